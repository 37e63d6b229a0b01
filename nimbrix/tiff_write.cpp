#include <tiffio.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

#include "tiff_file.h"

namespace nimbrix {

bool tiffWritable(int width, int height, int bitsPerSample, int samplesPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerSample <= 0 || bitsPerSample % 8 != 0 ||
      bitsPerSample > 64 || samplesPerPixel <= 0 || samplesPerPixel > 0xFFFF)
    return false;
  const std::uint64_t row = static_cast<std::uint64_t>(bitsPerSample / 8) * width * samplesPerPixel;
  // libtiff keeps strip sizes in signed machine words.
  return row <= static_cast<std::uint64_t>(PTRDIFF_MAX) / static_cast<std::uint64_t>(height);
}

namespace {

// Blue-green-red to red-green-blue for pixels [from, row / 3) of a row of
// 8-bit samples.
void swapPixels8(const unsigned char* in, unsigned char* out, std::size_t from, std::size_t row) {
  for (std::size_t at = from; at < row; at += 3) {
    out[at] = in[at + 2];
    out[at + 1] = in[at + 1];
    out[at + 2] = in[at];
  }
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// Five pixels per byte shuffle: each 16-byte store carries 15 finished
// bytes, and the next store (or the tail) overwrites the sixteenth.
__attribute__((target("ssse3"))) std::size_t swapRow8Ssse3(const unsigned char* in,
                                                           unsigned char* out, std::size_t row) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::size_t at = 0;
  for (; at + 16 <= row; at += 15) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_shuffle_epi8(v, order));
  }
  return at;
}

void swapRow8(const unsigned char* in, unsigned char* out, std::size_t row) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  swapPixels8(in, out, ssse3 ? swapRow8Ssse3(in, out, row) : 0, row);
}
#else
void swapRow8(const unsigned char* in, unsigned char* out, std::size_t row) {
  swapPixels8(in, out, 0, row);
}
#endif

}  // namespace

bool writeTiff(TIFF* tif, const unsigned char* pixels, int width, int height, int bitsPerSample,
               int samplesPerPixel) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<unsigned>(bitsPerSample));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<unsigned>(samplesPerPixel));
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(height));
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  // Anything but colour is declared WhiteIsZero.
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
               samplesPerPixel == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, 150.0);
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, 150.0);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);

  const std::size_t sample = static_cast<std::size_t>(bitsPerSample / 8);
  const std::size_t pixel = sample * static_cast<std::size_t>(samplesPerPixel);
  const std::size_t row = pixel * static_cast<std::size_t>(width);
  const std::size_t rows = static_cast<std::size_t>(height);
  const bool swap = samplesPerPixel == 3 && (sample == 1 || sample == 2);

  // The single uncompressed strip is appended to in runs, so libtiff copies
  // nothing. Files are written in the machine's byte order and fill order,
  // so the bytes go out as they stand. Each run ends on a 4 MiB boundary of
  // the file: the system then keeps the file's cached pages in large aligned
  // blocks, which a later read copies faster (measured with the benchmark).
  constexpr std::size_t kRun = std::size_t{4} << 20;
  const toff_t end = TIFFGetSeekProc(tif)(TIFFClientdata(tif), 0, SEEK_END);
  std::size_t due = kRun - (end == static_cast<toff_t>(-1) ? 0 : end % kRun);
  bool ok = true;
  auto append = [&](const unsigned char* bytes, std::size_t count) {
    ok = ok && TIFFWriteRawStrip(tif, 0, const_cast<unsigned char*>(bytes),
                                 static_cast<tmsize_t>(count)) == static_cast<tmsize_t>(count);
  };
  if (!swap) {
    // The caller's rows directly.
    const std::size_t total = rows * row;
    for (std::size_t at = 0; ok && at < total; at += due, due = kRun)
      append(pixels + at, std::min(due, total - at));
  } else {
    // Colour rows have their samples turned around in a work area that stays
    // in the cache until it reaches the next boundary.
    std::vector<unsigned char> work;
    try {
      work.resize(std::min(rows * row, kRun + row));
    } catch (...) {
      ok = false;
    }
    std::size_t filled = 0;
    for (std::size_t r = 0; ok && r < rows; ++r) {
      const unsigned char* in = pixels + r * row;
      unsigned char* out = work.data() + filled;
      if (sample == 1) {
        swapRow8(in, out, row);
      } else {
        for (std::size_t at = 0; at < row; at += 6) {
          std::memcpy(out + at, in + at + 4, 2);
          std::memcpy(out + at + 2, in + at + 2, 2);
          std::memcpy(out + at + 4, in + at, 2);
        }
      }
      filled += row;
      // Less than a run is left over, so the next row fits: a row longer
      // than a run may complete several.
      std::size_t sent = 0;
      for (; ok && filled - sent >= due; due = kRun) {
        append(work.data() + sent, due);
        sent += due;
      }
      std::memmove(work.data(), work.data() + sent, filled - sent);
      filled -= sent;
    }
    if (filled > 0) append(work.data(), filled);
  }
  // The directory goes out at the flush: a failure there is a failed write.
  ok = TIFFFlush(tif) == 1 && ok;
  TIFFClose(tif);
  return ok;
}

}  // namespace nimbrix
