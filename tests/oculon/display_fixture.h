// A fixture for tests that show windows: fails at once when no display can
// be reached, and closes whatever a test left open.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <quorlex/oculon.h>
#include "screen.h"

namespace qx::test {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string problem = displayProblem();
    ASSERT_TRUE(problem.empty()) << "display tests need a display: " << problem;
  }
  void TearDown() override {
    for (int i = 0; i < 32; ++i) CloseDisplay(i);
  }
};

// The window's title once it equals `expected`, or the last one seen after
// two seconds (an X server may answer another client before it took the
// title that the library sent).
inline std::string titleBecomes(OculonWindow window, const std::string& expected) {
  std::string title;
  for (int attempt = 0; attempt < 40; ++attempt) {
    title = titleOf(window);
    if (title == expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return title;
}

// Closes every display when it goes out of scope: declared after a buffer
// handed to SetBuffer, it closes the displays before the buffer goes away,
// even when a test stops early.
struct CloseDisplaysHere {
  ~CloseDisplaysHere() {
    for (int i = 0; i < 32; ++i) CloseDisplay(i);
  }
};

// Grey ramp across the picture, shifted by two levels a row so that a
// picture upside down or shifted shows.
inline std::vector<uint8_t> greyPicture(int width, int height) {
  std::vector<uint8_t> p(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p[static_cast<size_t>(y) * width + x] = uint8_t(x + 2 * y);
  }
  return p;
}
inline uint32_t greyExpected(int x, int y) {
  const uint32_t g = uint8_t(x + 2 * y);
  return g << 16 | g << 8 | g;
}

// Blue rises to the right, green downwards, red falls to the right.
inline std::vector<uint8_t> colourPicture(int width, int height) {
  std::vector<uint8_t> p(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* px = &p[(static_cast<size_t>(y) * width + x) * 3];
      px[0] = uint8_t(x);
      px[1] = uint8_t(4 * y);
      px[2] = uint8_t(255 - x);
    }
  }
  return p;
}
inline uint32_t colourExpected(int x, int y) {
  return uint32_t(uint8_t(255 - x)) << 16 | uint32_t(uint8_t(4 * y)) << 8 | uint8_t(x);
}

inline std::vector<uint8_t> flatPicture(int width, int height, uint8_t level) {
  return std::vector<uint8_t>(static_cast<size_t>(width) * height, level);
}

// Compares the top-left width x height pixels of the window's client area
// with `expected` until they agree or five seconds passed (some systems show
// drawing a little later, and a busy machine makes that later still). Returns "" or a description
// of the first mismatch.
inline std::string screenShows(OculonWindow window, int width, int height,
                               const std::function<uint32_t(int, int)>& expected) {
  std::string mismatch = "window not found";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const Rect client = clientOf(window);
    if (client.width >= width && client.height >= height) {
      const std::vector<uint32_t> shot = screenshot(window, width, height);
      mismatch.clear();
      if (shot.size() != static_cast<size_t>(width) * height) {
        mismatch = "no screenshot";
      }
      for (int y = 0; y < height && mismatch.empty(); ++y) {
        for (int x = 0; x < width; ++x) {
          const uint32_t got = shot[static_cast<size_t>(y) * width + x];
          if (got != expected(x, y)) {
            char text[96];
            std::snprintf(text, sizeof text, "pixel (%d, %d) is %06x, expected %06x", x, y,
                          unsigned(got), unsigned(expected(x, y)));
            mismatch = text;
            break;
          }
        }
      }
      if (mismatch.empty()) return mismatch;
    } else {
      mismatch = "client area " + std::to_string(client.width) + " x " +
                 std::to_string(client.height) + " smaller than the area checked";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return mismatch;
}

}  // namespace qx::test
