// Pixel conversion for X11 screens (with the copy made in the same pass)
// against a plain per-pixel rule. Built twice: as the processor allows, and
// with the SSSE3 path forced.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "pixel_convert.h"

// The two builds name their tests apart.
#if defined(OC_FORCE_SSSE3)
#define OC_CONVERT_SUITE PixelConvertSsse3
#else
#define OC_CONVERT_SUITE PixelConvert
#endif

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

TEST(OC_CONVERT_SUITE, EveryWidthDepthAndLayoutMatchesThePerPixelRuleAndCopiesTheSource) {
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

}  // namespace
}  // namespace qx::oculon
