#include "pixel_convert.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define OC_HAVE_SSSE3_PATH 1
#endif

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

#if defined(OC_HAVE_SSSE3_PATH)
int greyRowSse2(const uint8_t* src, uint32_t* dst, int width);
#endif

bool littleEndian() {
  const uint16_t probe = 1;
  uint8_t first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

void greyRow(const uint8_t* src, uint32_t* dst, int width, bool plainRgb, const uint32_t* ramp) {
  if (plainRgb) {
    int x = 0;
#if defined(OC_HAVE_SSSE3_PATH)
    x = greyRowSse2(src, dst, width);
#endif
    for (; x < width; ++x) dst[x] = src[x] * 0x010101u;
  } else {
    for (int x = 0; x < width; ++x) dst[x] = ramp[src[x]];
  }
}

#if defined(OC_HAVE_SSSE3_PATH)
// Four pixels a shuffle; 16 bytes are loaded for 12, so the loop stops while
// at least 6 pixels remain in the row.
__attribute__((target("ssse3"))) int colourRowSsse3(const uint8_t* src, uint32_t* dst, int width) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int x = 0;
  for (; x + 6 <= width; x += 4) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_shuffle_epi8(in, spread));
  }
  return x;
}

// Sixteen grey pixels at a time, each level copied into blue, green and red.
// Plain stores: the server reads the image right after, best from the cache.
int greyRowSse2(const uint8_t* src, uint32_t* dst, int width) {
  const __m128i rgb = _mm_set1_epi32(0x00ffffff);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    const __m128i lo = _mm_unpacklo_epi8(g, g);
    const __m128i hi = _mm_unpackhi_epi8(g, g);
    auto* out = reinterpret_cast<__m128i*>(dst + x);
    const __m128i p0 = _mm_and_si128(_mm_unpacklo_epi16(lo, lo), rgb);
    const __m128i p1 = _mm_and_si128(_mm_unpackhi_epi16(lo, lo), rgb);
    const __m128i p2 = _mm_and_si128(_mm_unpacklo_epi16(hi, hi), rgb);
    const __m128i p3 = _mm_and_si128(_mm_unpackhi_epi16(hi, hi), rgb);
    _mm_storeu_si128(out, p0);
    _mm_storeu_si128(out + 1, p1);
    _mm_storeu_si128(out + 2, p2);
    _mm_storeu_si128(out + 3, p3);
  }
  return x;
}

bool hasSsse3() {
  static const bool present = __builtin_cpu_supports("ssse3");
  return present;
}
#endif

void colourRowPlain(const uint8_t* src, uint32_t* dst, int width) {
  int x = 0;
#if defined(OC_HAVE_SSSE3_PATH)
  if (hasSsse3()) {
    x = colourRowSsse3(src, dst, width);
    src += 3 * x;
    dst += x;
  }
#endif
  if (littleEndian()) {
    // Four pixels from three 32-bit words: B G R B | G R B G | R B G R.
    for (; x + 4 <= width; x += 4, src += 12, dst += 4) {
      uint32_t a, b, c;
      std::memcpy(&a, src, 4);
      std::memcpy(&b, src + 4, 4);
      std::memcpy(&c, src + 8, 4);
      dst[0] = a & 0xffffffu;
      dst[1] = (a >> 24) | ((b & 0xffffu) << 8);
      dst[2] = (b >> 16) | ((c & 0xffu) << 16);
      dst[3] = c >> 8;
    }
  }
  for (; x < width; ++x, src += 3, ++dst) {
    *dst = src[0] | (uint32_t{src[1]} << 8) | (uint32_t{src[2]} << 16);
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
