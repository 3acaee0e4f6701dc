#include "detect/module_snapshot.h"

#include <gtest/gtest.h>

TEST(TakeSnapshotRetrying, RetriesOnlyWhileTheLengthIsBad) {
    struct Case {
        DWORD error;        // the failure before a handle comes
        int failures;       // how many times it fails first
        bool handle;        // a snapshot comes in the end
        int calls;          // calls made
    };
    const Case cases[] = {
        {ERROR_BAD_LENGTH, 0, true, 1},
        {ERROR_BAD_LENGTH, 2, true, 3},
        {ERROR_BAD_LENGTH, kModuleSnapshotAttempts - 1, true, kModuleSnapshotAttempts},
        {ERROR_BAD_LENGTH, kModuleSnapshotAttempts, false, kModuleSnapshotAttempts},
        {ERROR_ACCESS_DENIED, 1, false, 1},
        {ERROR_PARTIAL_COPY, 3, false, 1},
    };
    for (const auto& c : cases) {
        int calls = 0;
        const UniqueHandle snapshot = TakeSnapshotRetrying([&]() -> HANDLE {
            if (calls++ < c.failures) {
                SetLastError(c.error);
                return INVALID_HANDLE_VALUE;
            }
            return CreateEventW(nullptr, TRUE, FALSE, nullptr);
        });
        EXPECT_EQ(static_cast<bool>(snapshot), c.handle) << c.error << " x" << c.failures;
        EXPECT_EQ(calls, c.calls) << c.error << " x" << c.failures;
    }
}
