// Turning the kit's grey and blue-green-red pixels into the 32-bit pixels of
// a true-colour screen.
#pragma once

#include <cstdint>

namespace qx::oculon {

// Where the screen keeps red, green and blue in a 32-bit pixel.
class PixelLayout {
 public:
  PixelLayout(uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

  // Converts a width x height area. `source` rows are `sourceStride` bytes
  // apart and hold 1 (grey, shown through a grey ramp) or 3 (blue, green,
  // red) bytes per pixel; `target` rows are `targetStride` bytes apart.
  // With `copy`, the source bytes of the area are also copied there (rows
  // `sourceStride` apart) in the same pass, so that each source byte is read
  // once; `copy` must not overlap `source`.
  void convert(const uint8_t* source, int64_t sourceStride, int bitDepth, uint8_t* target,
               int64_t targetStride, int width, int height, uint8_t* copy = nullptr) const;

  uint32_t grey(uint8_t level) const { return grey_[level]; }
  uint32_t colour(uint8_t blue, uint8_t green, uint8_t red) const {
    return red_[red] | green_[green] | blue_[blue];
  }

 private:
  // Most screens keep 8 bits a channel as 0x00RRGGBB: converted without
  // tables.
  bool plainRgb_;
  uint32_t red_[256];
  uint32_t green_[256];
  uint32_t blue_[256];
  uint32_t grey_[256];
};

}  // namespace qx::oculon
