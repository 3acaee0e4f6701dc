#include "text/windows_version.h"

#include <gtest/gtest.h>

// The test prefix reports Windows 10 (10.0, no service pack).
TEST(IsWindowsVersionAtLeast, ComparesMajorMinorAndServicePackInOrder) {
    struct Case { unsigned short major, minor, servicePack; bool expected; };
    const Case cases[] = {
        {10, 0, 0, true},
        {6, 1, 0, true},
        {6, 3, 5, true},   // a higher major version outranks minor and service pack
        {10, 0, 1, false},
        {10, 1, 0, false},
        {11, 0, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWindowsVersionAtLeast(c.major, c.minor, c.servicePack), c.expected)
            << c.major << "." << c.minor << " SP" << c.servicePack;
    }
}
