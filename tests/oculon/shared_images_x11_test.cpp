// The X11 backend's shared images: their hand-over when the server refuses
// a transfer.
// Google Test first: Xlib's macros would rename some of its identifiers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>

#include "errors_x11.h"
#include "image_x11.h"

namespace qx::oculon {
namespace {

TEST(SharedImages, ARefusedTransferFreesItsImageWithoutWaitingForACompletion) {
  const char* name = std::getenv("DISPLAY");
  ASSERT_TRUE(name != nullptr && *name != '\0')
      << "needs a display: start Xvfb (scripts/test does)";
  Display* dpy = XOpenDisplay(nullptr);
  ASSERT_NE(dpy, nullptr);
  x11::watchErrors(dpy);
  const int screen = DefaultScreen(dpy);
  const Window window = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, 64, 48, 0, 0, 0);
  GC gc = XCreateGC(dpy, window, 0, nullptr);
  x11::ImageSurface surface;
  ASSERT_TRUE(surface.reserve(dpy, DefaultVisual(dpy, screen), DefaultDepth(dpy, screen), 64, 48));
  if (!surface.usesSharedMemory()) GTEST_SKIP() << "the server offers no shared images";
  surface.acquire(dpy);
  surface.put(dpy, window, gc, 64, 48);
  // The window goes: from now on the server answers every transfer with an
  // error instead of a completion.
  XDestroyWindow(dpy, window);
  const auto start = std::chrono::steady_clock::now();
  // Each round waits for the image sent two transfers before; from the third
  // round on that is a refused one, which must be free at once.
  for (int i = 0; i < 6; ++i) {
    ASSERT_NE(surface.acquire(dpy), nullptr);
    surface.put(dpy, window, gc, 64, 48);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  surface.release(dpy);
  EXPECT_EQ(x11::syncAndTakeError(dpy), BadDrawable);
  XFreeGC(dpy, gc);
  x11::unwatchErrors(dpy);
  XCloseDisplay(dpy);
}

}  // namespace
}  // namespace qx::oculon
