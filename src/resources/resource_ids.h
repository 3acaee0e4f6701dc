#pragma once
// Identifiers shared by the resource script and the dialog code.

#define IDD_RESULTS 119
#define IDD_SAVE_PROGRESS 121

// Results dialog
#define IDC_CLOSE 2
#define IDC_OPEN_FAQ 3
#define IDC_SAVE_FULL_LOG 1031
#define IDC_RESULTS_TEXT 1032
#define IDC_FIX_FIREWALL 1034
#define IDC_VIEW_MORE 1037

// Progress dialog
#define IDC_CANCEL 2
#define IDC_PROGRESS_BAR 1041
