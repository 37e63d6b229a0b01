// The TIFF exports.
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>

#include <quorlex/nimbrix.h>
#include "exported.h"
#include "tiff_file.h"

namespace {

template <typename Open>
int writeTiffFile(Open open, const void* pixels, int width, int height, int bits, int samples) {
  // Pictures that cannot be written as whole-byte samples are refused before
  // any file exists.
  if (pixels == nullptr || !nimbrix::tiffWritable(width, height, bits, samples)) return -1;
  TIFF* tif = open();
  if (tif == nullptr) {
    std::printf("Could not open output.tif for writing\n");
    std::fflush(stdout);
    return -1;
  }
  return nimbrix::writeTiff(tif, static_cast<const unsigned char*>(pixels), width, height, bits,
                            samples)
             ? 0
             : -1;
}

int readTiffFile(TIFF* tif, void** pixels, int* width, int* height, int* bits, int* samples) {
  if (tif == nullptr) return 0;
  const nimbrix::TiffRead r = nimbrix::readTiff(tif);
  // The block is the caller's from the moment it exists.
  if (r.block != nullptr && pixels != nullptr) *pixels = r.block;
  if (r.block != nullptr && pixels == nullptr) std::free(r.block);
  if (r.gotWidth && width != nullptr) *width = r.width;
  if (r.gotHeight && height != nullptr) *height = r.height;
  if (bits != nullptr && r.tagsRead) *bits = r.gotBits ? r.bitsPerSample : 0;
  if (samples != nullptr && r.tagsRead) *samples = r.gotSamples ? r.samplesPerPixel : 0;
  return r.ok ? 1 : 0;
}

}  // namespace

extern "C" {

NIMBRIX_API int IoWriteTiff(const char* fileName, void* pixels, int width, int height,
                            int bitsPerSample, int samplesPerPixel) {
  return nimbrix::exported(-1, [&] {
    return writeTiffFile([&] { return fileName ? TIFFOpen(fileName, "w") : nullptr; }, pixels,
                         width, height, bitsPerSample, samplesPerPixel);
  });
}

NIMBRIX_API int IoWriteTiffW(const wchar_t* fileName, void* pixels, int width, int height,
                             int bitsPerSample, int samplesPerPixel) {
  return nimbrix::exported(-1, [&] {
    return writeTiffFile([&] { return nimbrix::openTiffWide(fileName, "w"); }, pixels, width,
                         height, bitsPerSample, samplesPerPixel);
  });
}

NIMBRIX_API int IoReadTiff(const char* fileName, void** pixels, int* width, int* height,
                           int* bitsPerSample, int* samplesPerPixel) {
  return nimbrix::exported(0, [&] {
    return readTiffFile(fileName ? TIFFOpen(fileName, "r") : nullptr, pixels, width, height,
                        bitsPerSample, samplesPerPixel);
  });
}

NIMBRIX_API int IoReadTiffW(const wchar_t* fileName, void** pixels, int* width, int* height,
                            int* bitsPerSample, int* samplesPerPixel) {
  return nimbrix::exported(0, [&] {
    return readTiffFile(nimbrix::openTiffWide(fileName, "r"), pixels, width, height, bitsPerSample,
                        samplesPerPixel);
  });
}

NIMBRIX_API int IoFreeTiff(void* pixels) {
  return nimbrix::exported(-1, [&] {
    std::free(pixels);
    return 0;
  });
}

}  // extern "C"
