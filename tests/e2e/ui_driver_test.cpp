// The driver facing a window whose thread has stopped pumping messages, as a hung product's.
#include "e2e/ui_driver.h"

#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "text/win_handles.h"

namespace {

using ::testing::HasSubstr;

constexpr DWORD kWaitMs = 60000;

}  // namespace

TEST(UiDriver, AHungWindowGivesAMarkerAndAFailureListingTheScreen) {
    const UniqueHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HWND window = nullptr;
    std::thread hung([&] {
        window = CreateWindowExW(0, L"Static", L"Hung window", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        SetEvent(created.get());
        // Waits without pumping, so a message sent to the window is never answered.
        WaitForSingleObject(release.get(), kWaitMs);
        DestroyWindow(window);
    });
    ASSERT_EQ(WaitForSingleObject(created.get(), kWaitMs), WAIT_OBJECT_0);
    ASSERT_NE(window, nullptr);

    ::testing::TestPartResultArray failures;
    std::wstring text, screen;
    {
        const ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD,
            &failures);
        text = WindowText(window);
        screen = DescribeTopLevelWindows();
    }
    SetEvent(release.get());
    hung.join();

    EXPECT_EQ(text, L"(not responding)");
    ASSERT_EQ(failures.size(), 1);
    const std::string message = failures.GetTestPartResult(0).message();
    EXPECT_THAT(message, HasSubstr("window \"Hung window\" of process " +
                                   std::to_string(GetCurrentProcessId()) +
                                   " does not answer a text request"));
    // The listing of the screen reads captions without asking the hung thread.
    EXPECT_THAT(message, HasSubstr("Top-level windows on screen:\n"));
    EXPECT_THAT(message, HasSubstr("class \"Static\", caption \"Hung window\"\n"));
    EXPECT_THAT(screen, HasSubstr(L"caption \"Hung window\"\n"));
}
