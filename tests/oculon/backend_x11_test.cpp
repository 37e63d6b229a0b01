// The X11 backend's pieces on their own: pixel conversion (with the copy
// made in the same pass) against a plain per-pixel rule, and the shared
// images' hand-over when the server refuses a transfer.
// Google Test first: Xlib's macros would rename some of its identifiers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "errors_x11.h"
#include "image_x11.h"
#include "pixel_convert.h"

namespace qx::oculon {
namespace {

std::vector<uint8_t> noise(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(seed >> 24);
  }
  return v;
}

// The pixel the screen must get, channel by channel: 8 bits a channel, or
// the top bits of the level for narrower channels.
uint32_t expected(uint32_t rMask, uint32_t gMask, uint32_t bMask, uint8_t b, uint8_t g, uint8_t r) {
  auto put = [](uint32_t mask, uint32_t level) {
    int shift = 0, bits = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1u) != 0) ++bits;
    return ((bits >= 8 ? level << (bits - 8) : level >> (8 - bits)) << shift) & mask;
  };
  return put(rMask, r) | put(gMask, g) | put(bMask, b);
}

TEST(PixelConvert, EveryWidthDepthAndLayoutMatchesThePerPixelRuleAndCopiesTheSource) {
  struct Layout {
    uint32_t r, g, b;
  };
  // The common 0x00RRGGBB screen takes the vector paths; the others the
  // per-pixel tables.
  for (Layout l : {Layout{0xff0000, 0xff00, 0xff}, Layout{0xff, 0xff00, 0xff0000},
                   Layout{0xf800, 0x7e0, 0x1f}}) {
    const PixelLayout layout(l.r, l.g, l.b);
    for (int depth : {8, 24}) {
      const int bytes = depth / 8;
      for (int width = 1; width <= 70; ++width) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << l.r << std::dec << " depth " << depth << " width " << width);
        const int height = 3;
        const int64_t stride = width * bytes + 5;  // rows with a gap after them
        const auto source = noise(static_cast<size_t>(stride * height), width * 7 + depth);
        std::vector<uint8_t> copy(source.size(), 0xEE);
        const int64_t targetStride = 4 * (width + 2);
        std::vector<uint8_t> target(static_cast<size_t>(targetStride * height), 0xEE);
        layout.convert(source.data(), stride, depth, target.data(), targetStride, width, height,
                       copy.data());
        for (int y = 0; y < height; ++y) {
          const uint8_t* row = source.data() + y * stride;
          for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + x * bytes;
            const uint32_t want = depth == 8 ? expected(l.r, l.g, l.b, p[0], p[0], p[0])
                                             : expected(l.r, l.g, l.b, p[0], p[1], p[2]);
            uint32_t got;
            std::memcpy(&got, target.data() + y * targetStride + 4 * x, 4);
            ASSERT_EQ(got, want) << "row " << y << " pixel " << x;
          }
          // The pixels of the row are copied; nothing beyond them is touched,
          // in the copy or in the target.
          for (int64_t i = 0; i < stride; ++i)
            ASSERT_EQ(copy[y * stride + i], i < width * bytes ? row[i] : 0xEE) << "byte " << i;
          for (int64_t i = 4 * width; i < targetStride; ++i)
            ASSERT_EQ(target[y * targetStride + i], 0xEE);
        }
        // Without a copy, the conversion is the same.
        std::vector<uint8_t> again(target.size(), 0xEE);
        layout.convert(source.data(), stride, depth, again.data(), targetStride, width, height);
        ASSERT_EQ(again, target);
      }
    }
  }
}

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
