#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

bool uncompressed(TIFF* tif) {
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
  return compression == COMPRESSION_NONE;
}

}  // namespace

std::size_t tiffBlockSize(TIFF* tif) {
  const tmsize_t size = TIFFStripSize(tif);
  if (size <= 0) return 0;
  const std::uint64_t strips = TIFFNumberOfStrips(tif);
  const std::uint64_t stripSize = static_cast<std::uint64_t>(size);
  if (strips == 0 || strips > SIZE_MAX / stripSize || TIFFScanlineSize(tif) <= 0) return 0;
  if (!uncompressed(tif)) return static_cast<std::size_t>(strips * stripSize);
  // Uncompressed strips are stored as they are: all but the last whole, and
  // the last with the rows left for it (a one-strip header that promised
  // four billion rows of which the file holds one once made the reader ask
  // for 4 GiB).
  const std::uint64_t fileSize = TIFFGetSizeProc(tif)(TIFFClientdata(tif));
  const std::uint64_t needed = (strips - 1) * stripSize + lastStripBytes(tif, strips, stripSize);
  if (needed > fileSize) return 0;
  return static_cast<std::size_t>(strips * stripSize);
}

namespace {

// Only what the block can hold as the rows of one picture with interleaved
// samples and grey or colour values is read: samples stored plane after
// plane, and palette indices, would be returned as something they are not.
bool readable(TIFF* tif) {
  std::uint16_t planar = PLANARCONFIG_CONTIG, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  if (planar != PLANARCONFIG_CONTIG && samples > 1) return false;
  return photometric != PHOTOMETRIC_PALETTE;
}

// Uncompressed strips, read straight into a block of the final size, which
// tiffBlockSize has checked against the file's length.
bool readStrips(TIFF* tif, unsigned char* block, std::size_t bytes) {
  const tmsize_t stripSize = TIFFStripSize(tif);
  const std::uint32_t strips = TIFFNumberOfStrips(tif);
  // Strips lie back to back, a short last strip included; the room left
  // bounds every read.
  std::size_t at = 0;
  for (std::uint32_t s = 0; s < strips; ++s) {
    const std::size_t room = bytes - at;
    const tmsize_t want =
        static_cast<std::size_t>(stripSize) < room ? stripSize : static_cast<tmsize_t>(room);
    const tmsize_t got = TIFFReadEncodedStrip(tif, s, block + at, want);
    if (got < 0) return false;
    at += static_cast<std::size_t>(got);
  }
  return true;
}

// Compressed pictures may be many thousand times larger than their file
// (a flat 4096 x 4096 picture is a few hundred bytes of zstd), so their size
// cannot be checked against the file beforehand. They are decoded row by
// row into a block that grows only as rows actually decode: a few bytes
// that claim billions of rows fail at the first rows that are not there,
// long before the block is large.
unsigned char* readRows(TIFF* tif, std::size_t bytes) {
  std::uint32_t rows = 0;
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &rows);
  const std::size_t row = static_cast<std::size_t>(TIFFScanlineSize(tif));
  if (rows == 0 || row == 0 || row > bytes || rows > bytes / row) return nullptr;
  // One row must be allocated before it can decode. No codec libtiff knows
  // turns a byte into more than 65536 (run-length blocks of zstd come
  // closest, at about 32768), so a row longer than that many times the
  // whole file cannot be real.
  const std::uint64_t fileSize = TIFFGetSizeProc(tif)(TIFFClientdata(tif));
  if (row > (1u << 20) && row / 65536 > fileSize) return nullptr;
  std::size_t capacity = std::min<std::size_t>(bytes, std::max<std::size_t>(row, 1 << 20));
  auto* block = static_cast<unsigned char*>(std::malloc(capacity));
  for (std::uint32_t r = 0; block != nullptr && r < rows; ++r) {
    const std::size_t at = static_cast<std::size_t>(r) * row;
    if (at + row > capacity) {
      const std::size_t doubled = capacity <= bytes / 2 ? capacity * 2 : bytes;
      capacity = std::min(bytes, std::max(at + row, doubled));
      auto* grown = static_cast<unsigned char*>(std::realloc(block, capacity));
      if (grown == nullptr) break;
      block = grown;
    }
    if (TIFFReadScanline(tif, block + at, r, 0) < 0) break;
    if (r + 1 < rows) continue;
    // Every row is there: the block takes its documented size, strips x
    // strip size, the end after the last row cleared.
    auto* whole = static_cast<unsigned char*>(std::realloc(block, bytes));
    if (whole == nullptr) break;
    std::memset(whole + at + row, 0, bytes - (at + row));
    return whole;
  }
  std::free(block);
  return nullptr;
}

}  // namespace

TiffRead readTiff(TIFF* tif) {
  TiffRead r;
  const std::size_t bytes = readable(tif) ? tiffBlockSize(tif) : 0;
  unsigned char* block = nullptr;
  bool ok = false;
  if (bytes != 0 && uncompressed(tif)) {
    block = static_cast<unsigned char*>(std::malloc(bytes));
    ok = block != nullptr && readStrips(tif, block, bytes);
  } else if (bytes != 0) {
    block = readRows(tif, bytes);
    ok = block != nullptr;
  }
  r.block = block;
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
