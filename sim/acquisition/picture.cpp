#include "picture.h"

#include "acqsim.h"

namespace qx::sim {

void drawPicture(unsigned char* data, int width, int height, int bytesPerPixel, int picture) {
  unsigned char* out = data;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < bytesPerPixel; ++c) *out++ = acqsim_pattern(x, y, picture, c);
    }
  }
  const auto n = static_cast<unsigned>(picture);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<unsigned char>(n >> (8 * i));
}

}  // namespace qx::sim
