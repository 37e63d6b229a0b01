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

// Bytes of the last strip of an uncompressed file: the rows left for it by
// the strips before it, at least one.
std::uint64_t lastStripBytes(TIFF* tif, std::uint64_t strips, std::uint64_t stripSize) {
  std::uint32_t length = 0, perStrip = 0;
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &length);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &perStrip);
  const std::uint64_t before = (strips - 1) * std::max<std::uint32_t>(perStrip, 1);
  const std::uint64_t rows = length > before ? length - before : 1;
  const std::uint64_t bytes = TIFFVStripSize64(tif, static_cast<std::uint32_t>(rows));
  return bytes == 0 ? stripSize : std::min<std::uint64_t>(stripSize, bytes);
}

}  // namespace

std::size_t tiffBlockSize(TIFF* tif) {
  const tmsize_t size = TIFFStripSize(tif);
  if (size <= 0) return 0;
  const std::uint64_t strips = TIFFNumberOfStrips(tif);
  const std::uint64_t stripSize = static_cast<std::uint64_t>(size);
  if (strips == 0 || strips > SIZE_MAX / stripSize || TIFFScanlineSize(tif) <= 0) return 0;
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
  const std::uint64_t fileSize = TIFFGetSizeProc(tif)(TIFFClientdata(tif));
  // Uncompressed strips are stored as they are: all but the last whole, and
  // the last with the rows left for it (a one-strip header that promised
  // four billion rows of which the file holds one once made the reader ask
  // for 4 GiB). Compressed ones may shrink a thousandfold.
  const std::uint64_t needed =
      compression == COMPRESSION_NONE
          ? (strips - 1) * stripSize + lastStripBytes(tif, strips, stripSize)
          : strips * stripSize / 1024;
  if (needed > fileSize) return 0;
  return static_cast<std::size_t>(strips * stripSize);
}

TiffRead readTiff(TIFF* tif) {
  TiffRead r;
  const tmsize_t stripSize = TIFFStripSize(tif);
  const std::uint32_t strips = TIFFNumberOfStrips(tif);
  const std::size_t bytes = tiffBlockSize(tif);
  if (bytes == 0) {
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
