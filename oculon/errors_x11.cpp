#include "errors_x11.h"

#include <atomic>
#include <mutex>
#include <vector>

// The per-connection hook that turns wire errors into error events is part
// of Xlib's interface for extensions; its header defines min and max.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace qx::oculon::x11 {

namespace {

struct Watched {
  Display* display;
  int firstError;
};

std::mutex watchLock;
std::vector<Watched> watched;

bool isWatched(Display* display) {
  std::lock_guard<std::mutex> guard(watchLock);
  for (const Watched& w : watched) {
    if (w.display == display) return true;
  }
  return false;
}

// The application's I/O error handler (or Xlib's default, which ends the
// process), for the application's own connections.
std::atomic<XIOErrorHandler> applicationIoHandler{nullptr};

// Xlib calls the process-wide I/O error handler first and the connection's
// exit handler after it returns. For our connections it returns.
int onIoError(Display* display) {
  if (isWatched(display)) return 0;
  const XIOErrorHandler previous = applicationIoHandler.load();
  return previous != nullptr ? previous(display) : 0;
}

// Called by Xlib for every error on a connection we watch, before the
// process-wide handler; False drops the error there.
Bool recordError(Display* display, XErrorEvent* event, xError*) {
  std::lock_guard<std::mutex> guard(watchLock);
  for (Watched& w : watched) {
    if (w.display == display) {
      if (w.firstError == 0) w.firstError = event->error_code;
      return False;
    }
  }
  return True;
}

}  // namespace

void watchErrors(Display* display) {
  {
    std::lock_guard<std::mutex> guard(watchLock);
    watched.push_back({display, 0});
  }
  // Every error code, the core protocol's and those of extensions.
  for (int code = 0; code < 256; ++code) XESetWireToError(display, code, recordError);
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

void keepIoErrorHandler() {
  const XIOErrorHandler found = XSetIOErrorHandler(onIoError);
  if (found != onIoError) applicationIoHandler.store(found);
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
