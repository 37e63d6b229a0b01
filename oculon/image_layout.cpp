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

bool isSupportedDepth(int bitDepth) {
  return bitDepth == 8 || bitDepth == 24;
}

}  // namespace qx::oculon
