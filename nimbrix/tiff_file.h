// TIFF files through libtiff: uncompressed single-strip pictures written
// with a fixed set of tags, and any file libtiff decodes strip by strip read
// into one block.
#pragma once

#include <cstddef>
#include <cstdint>

typedef struct tiff TIFF;

namespace nimbrix {

// Opens a file named in wide characters with libtiff.
TIFF* openTiffWide(const wchar_t* name, const char* mode);

// Whether a picture can be written: whole bytes per sample, positive sizes,
// rows and picture addressable.
bool tiffWritable(int width, int height, int bitsPerSample, int samplesPerPixel);
// Writes the tags and the rows (blue-green-red turned to red-green-blue for
// 3 samples of 8 or 16 bits) and closes the file; false when libtiff reports
// a failed write. The caller's pixels are only read.
bool writeTiff(TIFF* tif, const unsigned char* pixels, int width, int height, int bitsPerSample,
               int samplesPerPixel);

struct TiffRead {
  bool ok = false;
  void* block = nullptr;  // allocated: the caller's, also when !ok
  int width = 0;
  int height = 0;
  int bitsPerSample = 0;
  int samplesPerPixel = 0;
  bool tagsRead = false;  // the strips were read and the tags asked for
  bool gotWidth = false, gotHeight = false, gotBits = false, gotSamples = false;
};
// Bytes of the block that holds every strip back to back; 0 when that is
// nothing, more than this machine addresses, or (uncompressed) more than
// the file holds, so that no header makes the reader allocate what the
// file cannot fill.
std::size_t tiffBlockSize(TIFF* tif);
// Reads every strip back to back into one block of strips x strip size
// bytes, bit-reversing it for fill order 2, and closes the file. Compressed
// pictures are decoded row by row into a block that grows as they decode.
// Samples stored plane after plane and palette pictures are refused.
TiffRead readTiff(TIFF* tif);

}  // namespace nimbrix
