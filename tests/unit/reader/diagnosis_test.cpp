#include <gtest/gtest.h>

#include "reader/diagnosis.h"

TEST(Diagnosis, RejectsText) { EXPECT_FALSE(DiagnoseLog("hello")); }
