#pragma once
// The product's interactive run gone through by a user who only looks: the introduction
// box dismissed, the Results dialog closed, and the product's end awaited. Needs the UI
// driver.
#include <optional>

#include <gtest/gtest.h>
#include <windows.h>

#include "e2e/ui_driver.h"

// Records a failure when a window does not show or the product does not end with code 0.
inline void LookThroughInteractiveRun(TestProcess& product, DWORD timeoutMs) {
    constexpr int kClose = 2;
    const HWND introduction =
        WaitForDialog(product, L"Checking for conflicting programs", timeoutMs);
    ASSERT_NE(introduction, nullptr);
    PressButton(introduction, IDOK);
    const HWND results = WaitForDialog(product, L"Vistora System Diagnostics", timeoutMs);
    ASSERT_NE(results, nullptr);
    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(timeoutMs), std::optional<DWORD>(0));
}
