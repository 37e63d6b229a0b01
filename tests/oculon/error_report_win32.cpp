#include <windows.h>

#include <atomic>
#include <thread>

#include "error_report.h"

namespace qx::test {

namespace {

struct Found {
  DWORD process;
  HWND box;
};

BOOL CALLBACK checkWindow(HWND window, LPARAM param) {
  auto* f = reinterpret_cast<Found*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char caption[16] = {};
  char text[16] = {};
  GetWindowTextA(window, caption, sizeof caption);
  // Static control 0xFFFF holds a message box's text.
  GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
  if (process == f->process && lstrcmpA(caption, "ERR") == 0 && lstrcmpA(text, "ERR") == 0) {
    f->box = window;
    return FALSE;
  }
  return TRUE;
}

// The message box of this process whose caption is "ERR" and whose text is
// "ERR".
HWND findErrorBox() {
  Found found{GetCurrentProcessId(), nullptr};
  EnumWindows(checkWindow, reinterpret_cast<LPARAM>(&found));
  return found.box;
}

}  // namespace

struct ErrorReport::Watch {
  std::atomic<bool> stop{false};
  std::atomic<int> seen{0};
  std::thread answerer;
};

ErrorReport::ErrorReport() : watch_(new Watch) {
  Watch* w = watch_.get();
  w->answerer = std::thread([w] {
    while (!w->stop) {
      if (HWND box = findErrorBox()) {
        ++w->seen;
        // Pressing OK, as the user would.
        SendMessageA(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(20);
    }
  });
}

ErrorReport::~ErrorReport() {
  finish();
}

int ErrorReport::finish() {
  if (!watch_) return count_;
  watch_->stop = true;
  watch_->answerer.join();
  count_ = watch_->seen;
  watch_.reset();
  return count_;
}

}  // namespace qx::test
