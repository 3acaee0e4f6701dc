#pragma once
// The product's interactive run gone through by a user who only looks: the introduction
// box dismissed, the Results dialog closed, and the product's end awaited. Needs the UI
// driver.
#include <optional>

#include <gtest/gtest.h>
#include <windows.h>

#include "e2e/ui_driver.h"

// Dismisses the introduction box and gives the Results dialog that follows it; null, with
// a recorded failure, when either does not show.
inline HWND DismissIntroduction(const TestProcess& product, DWORD timeoutMs) {
    const HWND introduction =
        WaitForDialog(product, L"Checking for conflicting programs", timeoutMs);
    if (!introduction) return nullptr;
    PressButton(introduction, IDOK);
    return WaitForDialog(product, L"Vistora System Diagnostics", timeoutMs);
}

// Records a failure when a window does not show or the product does not end with code 0.
inline void LookThroughInteractiveRun(TestProcess& product, DWORD timeoutMs) {
    constexpr int kClose = 2;
    const HWND results = DismissIntroduction(product, timeoutMs);
    ASSERT_NE(results, nullptr);
    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(timeoutMs), std::optional<DWORD>(0));
}
