// Draws the simulator's moving test pattern with the picture number stamped
// into its first four bytes (acqsim.h defines every byte).
//
// A board's transfer costs the processor nothing, so the simulator should
// cost no more than a copy of the picture: every row of every picture is a
// stretch of one of a few rows prepared once for the picture size, copied
// into place. The pattern repeats every 256 pixels across and every 256 rows
// down and moves whole pixels per picture, so a grey row is the one
// prepared ramp shifted by (y + 4n) pixels, and a colour row is one of 256
// prepared rows, chosen by (y + 2n), shifted by 2n pixels.
#pragma once

#include <cstddef>
#include <vector>

namespace qx::sim {

class PatternPainter {
 public:
  // Prepares the rows for pictures of this geometry; may throw
  // std::bad_alloc.
  PatternPainter(int width, int height, int bytesPerPixel);

  bool paints(int width, int height, int bytesPerPixel) const {
    return width == width_ && height == height_ && bytesPerPixel == bytes_;
  }
  // Writes picture n, width * height * bytesPerPixel bytes, into `data`.
  void draw(unsigned char* data, int picture) const;

 private:
  int width_;
  int height_;
  int bytes_;
  std::size_t stride_;  // bytes of a prepared row: width + 255 pixels
  std::vector<unsigned char> rows_;
};

}  // namespace qx::sim
