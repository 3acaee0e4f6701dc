#pragma once
// The Results dialog: the coloured summary of the start-up findings and the commands.
// Created modelessly with a pointer to the ApplicationState as its creation parameter.
#include <windows.h>

// Private messages.
constexpr UINT kShowDetails = WM_USER + 1;  // wParam 1: the detailed view with found paths
constexpr UINT kFinishSave = WM_USER + 2;

INT_PTR CALLBACK ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
