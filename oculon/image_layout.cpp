#include "image_layout.h"

namespace qx::oculon {

int64_t pictureBytes(int width, int height, int bitDepth) {
  return (static_cast<int64_t>(width) + 7) / 8 * bitDepth * height;
}

int64_t rowStride(int width, int bitDepth) {
  return (static_cast<int64_t>(width) * bitDepth + 31) / 32 * 4;
}

int64_t imageMemoryBytes(int width, int height, int bitDepth) {
  return rowStride(width, bitDepth) * height;
}

int64_t displayMemoryBytes(int width, int height, int bitDepth) {
  const int64_t rows = imageMemoryBytes(width, height, bitDepth);
  const int64_t picture = pictureBytes(width, height, bitDepth);
  return rows > picture ? rows : picture;
}

bool isSupportedDepth(int bitDepth) {
  return bitDepth == 8 || bitDepth == 24;
}

}  // namespace qx::oculon
