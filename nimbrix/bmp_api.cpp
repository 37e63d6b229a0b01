// The BMP exports: writing grey and colour pictures, reading files back.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <quorlex/nimbrix.h>
#include "bmp_format.h"
#include "bmp_image.h"
#include "exported.h"
#include "platform/wide_name.h"

namespace {

// Writes through a stream that `open` provides, once the picture has been
// found writable, so that a refused picture leaves no file behind.
template <typename Open>
int writeBmpFile(Open open, const unsigned char* pixels, int width, int height, int bits) {
  if (pixels == nullptr || !nimbrix::bmpLayout(width, height, bits).valid) return -1;
  nimbrix::Stream f(open());
  if (!f) return -1;
  const bool written = nimbrix::writeBmp(f.get(), pixels, width, height, bits);
  const bool closed = std::fclose(f.release()) == 0;
  return written && closed ? 0 : -1;
}

}  // namespace

extern "C" {

NIMBRIX_API int IoWriteBmp(const char* fileName, unsigned char* pixels, int width, int height,
                           int bits) {
  return nimbrix::exported(-1, [&] {
    if (fileName == nullptr) return -1;
    return writeBmpFile([&] { return std::fopen(fileName, "wb"); }, pixels, width, height, bits);
  });
}

NIMBRIX_API int IoWriteBmpW(const wchar_t* fileName, unsigned char* pixels, int width, int height,
                            int bits) {
  return nimbrix::exported(-1, [&] {
    return writeBmpFile([&] { return qx::platform::openFileWide(fileName, "wb"); }, pixels, width,
                        height, bits);
  });
}

NIMBRIX_API BmpImage* IoReadBmp(const char* fileName, unsigned char** pixels, int* width,
                                int* height, int* bits) {
  return nimbrix::exported(static_cast<BmpImage*>(nullptr), [&] {
    std::unique_ptr<BmpImage> image(new (std::nothrow) BmpImage);
    if (!image) return static_cast<BmpImage*>(nullptr);
    // A read that runs out of memory is a failed read like any other: the
    // handle comes back with a null pixel pointer.
    BmpImage read;
    if (!qx::platform::guarded(
            [&] {
              nimbrix::readBmpFile(fileName, read);
              return true;
            },
            false))
      read = BmpImage{};
    *image = read;
    if (pixels != nullptr) *pixels = image->pixels;
    if (width != nullptr) *width = image->width;
    if (height != nullptr) *height = image->height;
    if (bits != nullptr) *bits = image->bitsPerPixel;
    return image.release();
  });
}

NIMBRIX_API int IoCloseBmp(BmpImage* image) {
  return nimbrix::exported(-1, [&] {
    if (image != nullptr) {
      std::free(image->fileBuffer);
      delete image;
    }
    return 0;
  });
}

}  // extern "C"
