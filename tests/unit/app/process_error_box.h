#pragma once
// Reads and dismisses the launcher's "Process Error" box from a second thread, since the
// box blocks the test's own thread until it is dismissed.
#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include <windows.h>

#include "e2e/ui_driver.h"

class ProcessErrorBox {
public:
    ProcessErrorBox()
        : watcher_([this] {
              const DWORD deadline = GetTickCount() + 30000;
              while (!stop_ && GetTickCount() < deadline) {
                  const auto boxes = FindDialogs(GetCurrentProcessId(), L"Process Error");
                  if (!boxes.empty()) {
                      text_ = DialogItemText(boxes.front(), kMessageBoxTextId);
                      shown_ = true;
                      PressButton(boxes.front(), IDOK);
                      return;
                  }
                  Sleep(20);
              }
          }) {}
    ProcessErrorBox(const ProcessErrorBox&) = delete;
    ProcessErrorBox& operator=(const ProcessErrorBox&) = delete;
    ~ProcessErrorBox() { Text(); }

    // The box's text once the box was dismissed; nothing when no box came up. Call after
    // the code that shows the box has returned.
    std::optional<std::wstring> Text() {
        stop_ = true;
        if (watcher_.joinable()) watcher_.join();
        if (!shown_) return std::nullopt;
        return text_;
    }

private:
    std::atomic<bool> stop_{false};
    bool shown_ = false;
    std::wstring text_;
    std::thread watcher_;
};
