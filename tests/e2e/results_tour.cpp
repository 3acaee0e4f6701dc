// Shows the Results dialog of a real run and keeps pictures of it: starts the product in
// the given tools folder, dismisses the introduction box, saves the dialog as a bitmap
// before and after "View more", prints the summary text, saves the full log as
// "info.txt" in the output folder through "Save Full Log" and closes the dialog.
//
//   results_tour.exe TOOLS_FOLDER PRODUCT_EXE OUTPUT_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <windows.h>

#include "e2e/ui_driver.h"
#include "text/encoding.h"
#include "text/win_handles.h"

namespace {

constexpr int kViewMore = 1037, kResultsText = 1032, kClose = 2, kSaveFullLog = 1031;
constexpr int kFileNameEdit = 0x480;

// Copies what the screen shows of the window into a 24-bit bitmap file.
bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) return false;

    const WindowDc screen(nullptr);
    const UniqueDc memory(CreateCompatibleDC(screen.Get()));
    const UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!screen || !memory || !bitmap) return false;
    // Selected only for the copy: GetDIBits wants the bitmap out of every device context.
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.Get(), frame.left, frame.top, SRCCOPY);
    SelectObject(memory.get(), previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    std::vector<char> pixels(stride * height);
    GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

void Print(const std::wstring& text) {
    const std::string utf8 = WideToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

// Lets the dialog finish painting before the screen is read.
void SettleAndShow(HWND window) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(1500);
}

// "Save Full Log" into the given path; true once the log is written and the Explorer
// window the product opens on it is closed again.
bool SaveFullLog(const TestProcess& run, HWND results, const std::wstring& path) {
    PressButton(results, kSaveFullLog);
    const HWND dialog = WaitForDialog(run, L"Save", 120000);
    if (!dialog) return false;
    SetWindowTextW(GetDlgItem(dialog, kFileNameEdit), path.c_str());
    PressButton(dialog, IDOK);
    for (int i = 0; i < 1200; ++i) {
        if (const HWND explorer = FindWindowW(L"ExplorerWClass", nullptr)) {
            PostMessageW(explorer, WM_CLOSE, 0, 0);
            return true;
        }
        Sleep(100);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: results_tour TOOLS_FOLDER PRODUCT_EXE OUTPUT_FOLDER\n");
        return 2;
    }
    const std::wstring tools = argv[1], product = argv[2], output = argv[3];
    TestProcess run(product, L"", tools);
    if (!run.Started()) return 1;

    const HWND introduction = WaitForDialog(run, L"Checking for conflicting programs", 120000);
    if (!introduction) return 1;
    PressButton(introduction, IDOK);

    const HWND results = WaitForDialog(run, L"Vistora System Diagnostics", 120000);
    if (!results) return 1;
    SettleAndShow(results);
    const bool first = SaveWindowBitmap(results, output + L"\\results.bmp");
    Print(L"Summary shown in the Results dialog:\n" + DialogItemText(results, kResultsText) +
          L"\n");

    PressButton(results, kViewMore);
    for (int i = 0; i < 100 && IsWindowVisible(GetDlgItem(results, kViewMore)); ++i) Sleep(100);
    SettleAndShow(results);
    const bool second = SaveWindowBitmap(results, output + L"\\results-view-more.bmp");
    const bool saved = SaveFullLog(run, results, output + L"\\info.txt");

    PressButton(results, kClose);
    const auto exitCode = run.WaitForExit(60000);
    return first && second && saved && exitCode == 0u ? 0 : 1;
}
