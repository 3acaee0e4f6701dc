#include "collectors/desktop_windows.h"

#include <cwchar>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "text/encoding.h"

namespace {

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// Class names ignore case, so one process cannot have both "WorkerW" and "workerw": the
// lower-case one stands for the shell's, and "WorkerWide" for longer names. Class names are
// atoms, of at most 255 characters, so the longest one fills the 255 that are listed.
const std::wstring kLongestClass = L"WorkerW" + std::wstring(248, L'x');
const wchar_t* const kClasses[] = {L"Progman", L"workerw", L"WorkerWide", L"Worker",
                                   L"SysprobeChild", kLongestClass.c_str()};

class DesktopWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const wchar_t* name : kClasses) {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = name;
            ASSERT_TRUE(RegisterClassW(&windowClass)) << WideToUtf8(name);
        }
    }

    static UniqueWindow Create(const wchar_t* className, const std::wstring& title, DWORD style,
                               int x, int y, int width, int height, HWND parent = nullptr) {
        UniqueWindow window(CreateWindowExW(parent ? 0 : WS_EX_TOOLWINDOW, className,
                                            title.c_str(), style, x, y, width, height, parent,
                                            nullptr, GetModuleHandleW(nullptr), nullptr));
        EXPECT_TRUE(window) << WideToUtf8(className);
        return window;
    }

    static std::wstring Hex(HWND window) {
        wchar_t text[32] = {};
        std::swprintf(text, 32, L"%08llx",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
        return text;
    }
};

}  // namespace

TEST_F(DesktopWindowsTest, ListsDesktopClassWindowsWithEverythingInside) {
    const std::wstring longTitle(300, L'x');
    const std::wstring cutTitle(255, L'x');
    const auto progman = Create(L"Progman", L"Program Manager", WS_POPUP, -300, -200, 100, 50);
    const auto progmanChild = Create(L"SysprobeChild", longTitle, WS_CHILD, 5, 6, 10, 10,
                                     progman.get());
    const auto workerw = Create(L"workerw", L"", WS_POPUP, 10, 20, 30, 40);
    const auto workerwChild = Create(L"SysprobeChild", L"one", WS_CHILD, 1, 2, 3, 4, workerw.get());
    const auto nested = Create(L"SysprobeChild", L"two", WS_CHILD, 0, 0, 2, 2, workerwChild.get());
    const auto longerName = Create(L"WorkerWide", longTitle, WS_POPUP, -5, 0, 5, 5);
    const auto longestClass = Create(kLongestClass.c_str(), L"longest", WS_POPUP, 0, 0, 1, 1);
    const auto worker = Create(L"Worker", L"not listed", WS_POPUP, 0, 0, 10, 10);
    const auto workerChild = Create(L"SysprobeChild", L"not listed", WS_CHILD, 0, 0, 1, 1,
                                    worker.get());

    const std::wstring top = L" parent (0x00000000), ";
    // Top-level windows always clip their siblings, so WS_CLIPSIBLINGS joins WS_POPUP.
    const std::wstring popup = L"style: 0x84000000, exStyle: 0x00000080, ";
    const std::wstring child = L"style: 0x40000000, exStyle: 0x00000000, ";
    const std::wstring blocks[] = {
        L"0x" + Hex(progman.get()) + top + L"name: Program Manager, class: Progman, " + popup +
            L"rect: left -300, top -200, right -200, bottom -150\n"
            L"-- 0x" + Hex(progmanChild.get()) + L" parent (0x" + Hex(progman.get()) +
            L"), name: " + cutTitle + L", class: SysprobeChild, " + child +
            L"rect: left -295, top -194, right -285, bottom -184\n",
        L"0x" + Hex(workerw.get()) + top + L"name: , class: workerw, " + popup +
            L"rect: left 10, top 20, right 40, bottom 60\n"
            L"-- 0x" + Hex(workerwChild.get()) + L" parent (0x" + Hex(workerw.get()) +
            L"), name: one, class: SysprobeChild, " + child +
            L"rect: left 11, top 22, right 14, bottom 26\n"
            L"-- 0x" + Hex(nested.get()) + L" parent (0x" + Hex(workerwChild.get()) +
            L"), name: two, class: SysprobeChild, " + child +
            L"rect: left 11, top 22, right 13, bottom 24\n",
        L"0x" + Hex(longerName.get()) + top + L"name: " + cutTitle + L", class: WorkerWide, " +
            popup + L"rect: left -5, top 0, right 0, bottom 5\n",
        L"0x" + Hex(longestClass.get()) + top + L"name: longest, class: " +
            kLongestClass + L", " + popup +
            L"rect: left 0, top 0, right 1, bottom 1\n",
    };

    const std::wstring text = DescribeDesktopWindows();
    for (const std::wstring& block : blocks) {
        const size_t at = text.find(block);
        ASSERT_NE(at, std::wstring::npos) << WideToUtf8(block) << "\nin\n" << WideToUtf8(text);
        // The block starts a line and nothing else of its window follows it.
        EXPECT_TRUE(at == 0 || text[at - 1] == L'\n');
        EXPECT_NE(text.compare(at + block.size(), 3, L"-- "), 0) << WideToUtf8(block);
    }
    EXPECT_EQ(text.find(L"0x" + Hex(worker.get())), std::wstring::npos);
    EXPECT_EQ(text.find(L"0x" + Hex(workerChild.get())), std::wstring::npos);
}
