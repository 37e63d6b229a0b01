#include <tiffio.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// Blue-green-red to red-green-blue for a row of 8-bit samples.
void swapRow8(const unsigned char* in, unsigned char* out, std::size_t row) {
  for (std::size_t at = 0; at < row; at += 3) {
    out[at] = in[at + 2];
    out[at + 1] = in[at + 1];
    out[at + 2] = in[at];
  }
}

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
  std::vector<unsigned char> work;
  bool ok = true;
  try {
    work.resize(row);
  } catch (...) {
    ok = false;
  }
  const bool swap = samplesPerPixel == 3 && (sample == 1 || sample == 2);
  for (int r = 0; ok && r < height; ++r) {
    const unsigned char* in = pixels + static_cast<std::size_t>(r) * row;
    unsigned char* out = work.data();
    if (!swap) {
      // Files are written in the machine's byte order and fill order, so
      // libtiff neither swaps nor reverses the row it is given: the caller's
      // row goes out as it is.
      out = const_cast<unsigned char*>(in);
    } else if (sample == 1) {
      swapRow8(in, out, row);
    } else {
      for (std::size_t at = 0; at < row; at += 6) {
        std::memcpy(out + at, in + at + 4, 2);
        std::memcpy(out + at + 2, in + at + 2, 2);
        std::memcpy(out + at + 4, in + at, 2);
      }
    }
    ok = TIFFWriteScanline(tif, out, static_cast<std::uint32_t>(r), 0) == 1;
  }
  // The directory goes out at the flush: a failure there is a failed write.
  ok = TIFFFlush(tif) == 1 && ok;
  TIFFClose(tif);
  return ok;
}

}  // namespace nimbrix
