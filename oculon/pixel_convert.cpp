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

bool littleEndian() {
  const uint16_t probe = 1;
  uint8_t first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

// The row functions below convert `width` pixels and, when `copy` is given,
// store the source bytes they read there as well. The vector ones return the
// number of pixels done; greyRow and colourRow finish the rest.

#if defined(OC_HAVE_SSSE3_PATH)
// Sixteen grey pixels at a time, each level copied into blue, green and red.
// Plain stores: the server reads the image right after, best from the cache.
template <bool kCopy>
int greyRowSse2(const uint8_t* src, uint32_t* dst, int width, uint8_t* copy) {
  const __m128i rgb = _mm_set1_epi32(0x00ffffff);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    if (kCopy) _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + x), g);
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

// Four pixels a shuffle; 16 bytes are loaded for 12, so the loop stops while
// at least 6 pixels remain in the row. The copy takes the 16 bytes too: the
// 4 beyond the pixels done are rewritten with the same values later.
template <bool kCopy>
__attribute__((target("ssse3"))) int colourRowSsse3(const uint8_t* src, uint32_t* dst, int width,
                                                    uint8_t* copy) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int x = 0;
  for (; x + 6 <= width; x += 4) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
    if (kCopy) _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + 3 * x), in);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_shuffle_epi8(in, spread));
  }
  return x;
}

// Eight pixels a shuffle: each 128-bit lane takes the 12 bytes of four
// pixels. The second load reaches 16 bytes past the first pixel of the second
// half, so the loop stops while at least 10 pixels remain.
template <bool kCopy>
__attribute__((target("avx2"))) int colourRowAvx2(const uint8_t* src, uint32_t* dst, int width,
                                                  uint8_t* copy) {
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                          1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int x = 0;
  for (; x + 10 <= width; x += 8) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x + 12));
    if (kCopy) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + 3 * x), lo);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + 3 * x + 12), hi);
    }
    const __m256i in = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), _mm256_shuffle_epi8(in, spread));
  }
  return x;
}

bool hasSsse3() {
  static const bool present = __builtin_cpu_supports("ssse3");
  return present;
}

bool hasAvx2() {
#if defined(OC_FORCE_SSSE3)
  // Built so for tests of the SSSE3 path on processors that have AVX2.
  return false;
#else
  static const bool present = __builtin_cpu_supports("avx2");
  return present;
#endif
}
#endif

void greyRow(const uint8_t* src, uint32_t* dst, int width, uint8_t* copy) {
  int x = 0;
#if defined(OC_HAVE_SSSE3_PATH)
  x = copy != nullptr ? greyRowSse2<true>(src, dst, width, copy)
                      : greyRowSse2<false>(src, dst, width, nullptr);
#endif
  if (copy != nullptr) std::memcpy(copy + x, src + x, static_cast<size_t>(width - x));
  for (; x < width; ++x) dst[x] = src[x] * 0x010101u;
}

void colourRow(const uint8_t* src, uint32_t* dst, int width, uint8_t* copy) {
  int x = 0;
#if defined(OC_HAVE_SSSE3_PATH)
  if (hasAvx2())
    x = copy != nullptr ? colourRowAvx2<true>(src, dst, width, copy)
                        : colourRowAvx2<false>(src, dst, width, nullptr);
  else if (hasSsse3())
    x = copy != nullptr ? colourRowSsse3<true>(src, dst, width, copy)
                        : colourRowSsse3<false>(src, dst, width, nullptr);
#endif
  if (copy != nullptr) std::memcpy(copy + 3 * x, src + 3 * x, 3 * static_cast<size_t>(width - x));
  src += 3 * x;
  dst += x;
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
                          uint8_t* target, int64_t targetStride, int width, int height,
                          uint8_t* copy) const {
  const size_t rowBytes = static_cast<size_t>(width) * (bitDepth == 8 ? 1 : 3);
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = source + y * sourceStride;
    uint8_t* copyRow = copy != nullptr ? copy + y * sourceStride : nullptr;
    // Target rows of an image are 32-bit aligned.
    uint32_t* dst = reinterpret_cast<uint32_t*>(target + y * targetStride);
    if (plainRgb_ && bitDepth == 8) {
      greyRow(src, dst, width, copyRow);
    } else if (plainRgb_) {
      colourRow(src, dst, width, copyRow);
    } else {
      if (copyRow != nullptr) std::memcpy(copyRow, src, rowBytes);
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = src + (bitDepth == 8 ? x : 3 * x);
        dst[x] = bitDepth == 8 ? grey_[p[0]] : colour(p[0], p[1], p[2]);
      }
    }
  }
}

}  // namespace qx::oculon
