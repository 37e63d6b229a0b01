#include <tiffio.h>

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

  // The single uncompressed strip is appended to in runs of rows, so libtiff
  // copies nothing. Files are written in the machine's byte order and fill
  // order, so the bytes go out as they stand: the caller's rows directly, or
  // colour rows after their samples were turned around in a work area. The
  // work area stays in the cache, yet its runs are long enough for the
  // system to keep the file's cached pages in large blocks, which a later
  // read of the file copies faster (measured with the benchmark).
  const std::size_t workBytes = std::size_t{1} << 22;
  std::size_t run = swap ? workBytes / row : (std::size_t{1} << 26) / row;
  run = run < 1 ? 1 : run > rows ? rows : run;
  std::vector<unsigned char> work;
  bool ok = true;
  if (swap) {
    try {
      work.resize(run * row);
    } catch (...) {
      ok = false;
    }
  }
  for (std::size_t first = 0; ok && first < rows; first += run) {
    const std::size_t count = rows - first < run ? rows - first : run;
    const unsigned char* in = pixels + first * row;
    unsigned char* out = const_cast<unsigned char*>(in);
    if (swap) {
      out = work.data();
      for (std::size_t r = 0; r < count; ++r) {
        if (sample == 1) {
          swapRow8(in + r * row, out + r * row, row);
        } else {
          for (std::size_t at = r * row; at < (r + 1) * row; at += 6) {
            std::memcpy(out + at, in + at + 4, 2);
            std::memcpy(out + at + 2, in + at + 2, 2);
            std::memcpy(out + at + 4, in + at, 2);
          }
        }
      }
    }
    const tmsize_t bytes = static_cast<tmsize_t>(count * row);
    ok = TIFFWriteRawStrip(tif, 0, out, bytes) == bytes;
  }
  // The directory goes out at the flush: a failure there is a failed write.
  ok = TIFFFlush(tif) == 1 && ok;
  TIFFClose(tif);
  return ok;
}

}  // namespace nimbrix
