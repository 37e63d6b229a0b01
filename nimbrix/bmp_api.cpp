// The BMP exports: writing grey and colour pictures, reading files back.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "bmp_format.h"
#include "bmp_image.h"
#include "nimbrix.h"
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

// The whole file in one block, read with one read; null on any failure.
unsigned char* readWholeFile(const char* name, std::size_t& length) {
  if (name == nullptr) return nullptr;
  std::FILE* f = std::fopen(name, "rb");
  if (f == nullptr) return nullptr;
  unsigned char* block = nullptr;
  long end = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) end = std::ftell(f);
  if (end > 0 && std::fseek(f, 0, SEEK_SET) == 0) {
    length = static_cast<std::size_t>(end);
    block = static_cast<unsigned char*>(std::malloc(length));
    if (block != nullptr && std::fread(block, 1, length, f) != length) {
      std::free(block);
      block = nullptr;
    }
  }
  std::fclose(f);
  return block;
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
  std::size_t length = 0;
  image->fileBuffer = readWholeFile(fileName, length);
  if (image->fileBuffer != nullptr) {
    const nimbrix::BmpPicture p = nimbrix::decodeBmp(image->fileBuffer, length);
    image->pixels = p.pixels;
    image->width = p.width;
    image->height = p.height;
    image->bitsPerPixel = p.bits;
  }
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
