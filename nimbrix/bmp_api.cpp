// The BMP exports: writing grey and colour pictures, reading files back.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "bmp_format.h"
#include "bmp_image.h"
#include "nimbrix.h"
#include "platform/file_pieces.h"
#include "platform/wide_name.h"

namespace {

// Writes through a stream that `open` provides, once the picture has been
// found writable, so that a refused picture leaves no file behind.
template <typename Open>
int writeBmpFile(Open open, const unsigned char* pixels, int width, int height, int bits) {
  if (pixels == nullptr || !nimbrix::bmpLayout(width, height, bits).valid) return -1;
  std::FILE* f = open();
  if (f == nullptr) return -1;
  const bool written = nimbrix::writeBmp(f, pixels, width, height, bits);
  const bool closed = std::fclose(f) == 0;
  return written && closed ? 0 : -1;
}

// Reads a file into one block of its length: the headers and palette as they
// are, the rows straight into their places top to bottom without padding.
void readBmpFile(const char* name, BmpImage& image) {
  if (name == nullptr) return;
  std::FILE* f = std::fopen(name, "rb");
  if (f == nullptr) return;
  // 64-bit lengths on every system; the block holds only the headers and
  // the picture, whatever follows them in the file.
  const std::int64_t end = qx::platform::streamLength(f);
  const std::uint64_t length = end > 0 ? static_cast<std::uint64_t>(end) : 0;
  const std::size_t fixed = nimbrix::kBmpFileHeaderSize + nimbrix::kBmpInfoHeaderSize;
  unsigned char head[nimbrix::kBmpFileHeaderSize + nimbrix::kBmpInfoHeaderSize];
  nimbrix::BmpGeometry g;
  unsigned char* block = nullptr;
  if (length >= fixed && std::fread(head, 1, fixed, f) == fixed) {
    g = nimbrix::bmpGeometry(head, fixed, length);
    const std::size_t picture = g.rowBytes * static_cast<std::size_t>(g.height);
    block = g.valid ? static_cast<unsigned char*>(std::malloc(g.dataAt + picture)) : nullptr;
    const std::size_t rest = g.dataAt - fixed;
    if (block != nullptr) std::memcpy(block, head, fixed);
    if (block == nullptr || std::fread(block + fixed, 1, rest, f) != rest) g.valid = false;
  }
  if (g.valid) {
    unsigned char* const data = block + g.dataAt;
    const std::size_t rows = static_cast<std::size_t>(g.height);
    const std::size_t pad = g.stride - g.rowBytes;
    unsigned char skip[4];
    std::vector<qx::platform::FilePiece> pieces;
    pieces.reserve(rows * 2);
    for (std::size_t k = 0; k < rows; ++k) {
      const std::size_t to = g.bottomUp ? rows - 1 - k : k;
      pieces.push_back({data + to * g.rowBytes, g.rowBytes});
      if (pad != 0 && k + 1 < rows) pieces.push_back({skip, pad});
    }
    const std::int64_t expected = static_cast<std::int64_t>(rows * g.rowBytes + (rows - 1) * pad);
    g.valid = qx::platform::readPiecesAt(f, g.dataAt, pieces.data(), pieces.size()) == expected &&
              (g.bits != 8 ||
               nimbrix::applyPalette(data, rows * g.rowBytes, block + g.paletteAt, g.entries));
    if (g.valid) {
      image.pixels = data;
      image.width = g.width;
      image.height = g.height;
      image.bitsPerPixel = g.bits;
    }
  }
  std::fclose(f);
  image.fileBuffer = block;
}

}  // namespace

extern "C" {

NIMBRIX_API int IoWriteBmp(const char* fileName, unsigned char* pixels, int width, int height,
                           int bits) {
  if (fileName == nullptr) return -1;
  return writeBmpFile([&] { return std::fopen(fileName, "wb"); }, pixels, width, height, bits);
}

NIMBRIX_API int IoWriteBmpW(const wchar_t* fileName, unsigned char* pixels, int width, int height,
                            int bits) {
  return writeBmpFile([&] { return qx::platform::openFileWide(fileName, "wb"); }, pixels, width,
                      height, bits);
}

NIMBRIX_API BmpImage* IoReadBmp(const char* fileName, unsigned char** pixels, int* width,
                                int* height, int* bits) {
  BmpImage* image = new (std::nothrow) BmpImage;
  if (image == nullptr) return nullptr;
  readBmpFile(fileName, *image);
  if (pixels != nullptr) *pixels = image->pixels;
  if (width != nullptr) *width = image->width;
  if (height != nullptr) *height = image->height;
  if (bits != nullptr) *bits = image->bitsPerPixel;
  return image;
}

NIMBRIX_API int IoCloseBmp(BmpImage* image) {
  if (image != nullptr) {
    std::free(image->fileBuffer);
    delete image;
  }
  return 0;
}

}  // extern "C"
