#include <tiffio.h>

#include <algorithm>
#include <cstdlib>

#include "tiff_file.h"

namespace nimbrix {

namespace {

unsigned char reversedBits(unsigned char b) {
  b = static_cast<unsigned char>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<unsigned char>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  return static_cast<unsigned char>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

// Whether strips x strip size is a block this machine can hold, and, for
// uncompressed files, one the file can fill: a header cannot make the reader
// allocate what the file does not hold.
bool blockFits(TIFF* tif, std::uint64_t strips, std::uint64_t stripSize, std::size_t& bytes) {
  if (strips == 0 || stripSize == 0 || strips > SIZE_MAX / stripSize) return false;
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
  const std::uint64_t fileSize = TIFFGetSizeProc(tif)(TIFFClientdata(tif));
  // Uncompressed strips are stored as they are: all but the last whole, and
  // at least a row of the last. Compressed ones may shrink a thousandfold.
  const tmsize_t row = TIFFScanlineSize(tif);
  if (row <= 0) return false;
  const std::uint64_t needed =
      compression == COMPRESSION_NONE
          ? (strips - 1) * stripSize + std::min<std::uint64_t>(stripSize, row)
          : strips * stripSize / 1024;
  if (needed > fileSize) return false;
  bytes = static_cast<std::size_t>(strips * stripSize);
  return true;
}

}  // namespace

TiffRead readTiff(TIFF* tif) {
  TiffRead r;
  const tmsize_t stripSize = TIFFStripSize(tif);
  const std::uint32_t strips = TIFFNumberOfStrips(tif);
  std::size_t bytes = 0;
  if (stripSize <= 0 || !blockFits(tif, strips, static_cast<std::uint64_t>(stripSize), bytes)) {
    TIFFClose(tif);
    return r;
  }
  unsigned char* block = static_cast<unsigned char*>(std::malloc(bytes));
  if (block == nullptr) {
    TIFFClose(tif);
    return r;
  }
  r.block = block;
  // Strips lie back to back, a short last strip included; the room left
  // bounds every read.
  std::size_t at = 0;
  bool ok = true;
  for (std::uint32_t s = 0; ok && s < strips; ++s) {
    const std::size_t room = bytes - at;
    const tmsize_t want =
        static_cast<std::size_t>(stripSize) < room ? stripSize : static_cast<tmsize_t>(room);
    const tmsize_t got = TIFFReadEncodedStrip(tif, s, block + at, want);
    if (got < 0)
      ok = false;
    else
      at += static_cast<std::size_t>(got);
  }
  if (ok) {
    std::uint16_t fillOrder = FILLORDER_MSB2LSB;
    TIFFGetField(tif, TIFFTAG_FILLORDER, &fillOrder);
    if (fillOrder != FILLORDER_MSB2LSB)
      for (std::size_t i = 0; i < bytes; ++i) block[i] = reversedBits(block[i]);
    r.tagsRead = true;
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 0, samples = 0;
    r.gotWidth = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) == 1;
    r.gotHeight = TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) == 1;
    r.gotBits = TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits) == 1;
    r.gotSamples = TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples) == 1;
    r.width = static_cast<int>(width);
    r.height = static_cast<int>(height);
    r.bitsPerSample = bits;
    r.samplesPerPixel = samples;
    r.ok = r.gotWidth && r.gotHeight && r.gotBits && r.gotSamples;
  }
  TIFFClose(tif);
  return r;
}

}  // namespace nimbrix
