#include "pixel_convert.h"

#include <cstring>

namespace qx::oculon {

namespace {

// The channel value `level` (0 to 255) placed into `mask`, scaled to the
// mask's width.
uint32_t place(uint32_t mask, uint32_t level) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  int bits = 0;
  while (shift + bits < 32 && ((mask >> (shift + bits)) & 1u) != 0) ++bits;
  uint32_t scaled = bits >= 8 ? level << (bits - 8) : level >> (8 - bits);
  if (bits > 8) scaled |= level >> (16 - bits > 0 ? 16 - bits : 0);
  return (scaled << shift) & mask;
}

void greyRow(const uint8_t* src, uint32_t* dst, int width, bool plainRgb, const uint32_t* ramp) {
  if (plainRgb) {
    for (int x = 0; x < width; ++x) dst[x] = src[x] * 0x010101u;
  } else {
    for (int x = 0; x < width; ++x) dst[x] = ramp[src[x]];
  }
}

void colourRowPlain(const uint8_t* src, uint32_t* dst, int width) {
  for (int x = 0; x < width; ++x) {
    const uint8_t* p = src + 3 * x;
    dst[x] = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
  }
}

}  // namespace

PixelLayout::PixelLayout(uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
    : plainRgb_(redMask == 0xff0000u && greenMask == 0xff00u && blueMask == 0xffu) {
  for (uint32_t i = 0; i < 256; ++i) {
    red_[i] = place(redMask, i);
    green_[i] = place(greenMask, i);
    blue_[i] = place(blueMask, i);
    grey_[i] = red_[i] | green_[i] | blue_[i];
  }
}

void PixelLayout::convert(const uint8_t* source, int64_t sourceStride, int bitDepth,
                          uint8_t* target, int64_t targetStride, int width, int height) const {
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = source + y * sourceStride;
    // Target rows of an image are 32-bit aligned.
    uint32_t* dst = reinterpret_cast<uint32_t*>(target + y * targetStride);
    if (bitDepth == 8) {
      greyRow(src, dst, width, plainRgb_, grey_);
    } else if (plainRgb_) {
      colourRowPlain(src, dst, width);
    } else {
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = src + 3 * x;
        dst[x] = colour(p[0], p[1], p[2]);
      }
    }
  }
}

}  // namespace qx::oculon
