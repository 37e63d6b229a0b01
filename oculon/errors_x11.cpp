#include "errors_x11.h"

#include <mutex>
#include <vector>

namespace qx::oculon::x11 {

namespace {

struct Watched {
  Display* display;
  int firstError;
};

std::mutex watchLock;
std::vector<Watched> watched;
XErrorHandler previousHandler = nullptr;
std::once_flag installed;

int recordError(Display* display, XErrorEvent* event) {
  {
    std::lock_guard<std::mutex> guard(watchLock);
    for (Watched& w : watched) {
      if (w.display == display) {
        if (w.firstError == 0) w.firstError = event->error_code;
        return 0;
      }
    }
  }
  return previousHandler != nullptr ? previousHandler(display, event) : 0;
}

}  // namespace

void watchErrors(Display* display) {
  std::call_once(installed, [] { previousHandler = XSetErrorHandler(recordError); });
  std::lock_guard<std::mutex> guard(watchLock);
  watched.push_back({display, 0});
}

void unwatchErrors(Display* display) {
  std::lock_guard<std::mutex> guard(watchLock);
  for (size_t i = 0; i < watched.size(); ++i) {
    if (watched[i].display == display) {
      watched.erase(watched.begin() + static_cast<long>(i));
      return;
    }
  }
}

int syncAndTakeError(Display* display) {
  XSync(display, False);
  std::lock_guard<std::mutex> guard(watchLock);
  for (Watched& w : watched) {
    if (w.display == display) {
      const int error = w.firstError;
      w.firstError = 0;
      return error;
    }
  }
  return 0;
}

}  // namespace qx::oculon::x11
