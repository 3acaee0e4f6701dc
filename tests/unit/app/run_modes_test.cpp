#include "app/run_modes.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "text/paths.h"

// No "sysprobe64.exe" lies beside the test program.
TEST(RunHandOverMode, ReportsAMissingSiblingAfterEnteringItsOwnFolder) {
    TempFolder folder;
    folder.EnterSubfolder(L"elsewhere");
    EXPECT_FALSE(RunHandOverMode());
    wchar_t ownPath[1024] = {};
    GetModuleFileNameW(nullptr, ownPath, 1024);
    EXPECT_EQ(CurrentDirectory(), std::filesystem::path(ownPath).parent_path());
}
