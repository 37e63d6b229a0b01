#include "picture.h"

#include "acqsim.h"

#include <cstring>

namespace qx::sim {
namespace {

// The pattern's period, across and down, in pixels.
constexpr int kPeriod = 256;

}  // namespace

PatternPainter::PatternPainter(int width, int height, int bytesPerPixel)
    : width_(width),
      height_(height),
      bytes_(bytesPerPixel),
      stride_(static_cast<std::size_t>(width + kPeriod - 1) * bytesPerPixel) {
  // Prepared row r holds, at pixel i, the pattern's pixel (i, r) of picture
  // 0 for colour; the grey ramp needs only r = 0. Each is built from the
  // public definition, so a picture can only be what acqsim_pattern says.
  const int count = bytes_ == 1 ? 1 : kPeriod;
  rows_.resize(stride_ * count);
  for (int r = 0; r < count; ++r) {
    unsigned char* out = rows_.data() + stride_ * r;
    for (int i = 0; i < width + kPeriod - 1; ++i)
      for (int c = 0; c < bytes_; ++c) *out++ = acqsim_pattern(i, r, 0, c);
  }
}

void PatternPainter::draw(unsigned char* data, int picture) const {
  const auto n = static_cast<unsigned>(picture);
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * bytes_;
  unsigned char* out = data;
  for (int y = 0; y < height_; ++y, out += rowBytes) {
    const unsigned char* from;
    if (bytes_ == 1) {
      from = rows_.data() + ((static_cast<unsigned>(y) + 4u * n) % kPeriod);
    } else {
      const unsigned row = (static_cast<unsigned>(y) + 2u * n) % kPeriod;
      from = rows_.data() + stride_ * row + (2u * n) % kPeriod * 3u;
    }
    std::memcpy(out, from, rowBytes);
  }
  for (int i = 0; i < 4; ++i) data[i] = static_cast<unsigned char>(n >> (8 * i));
}

}  // namespace qx::sim
