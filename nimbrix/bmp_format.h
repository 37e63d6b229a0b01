// The BMP layouts the library writes and the decoding of BMP files read into
// memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace nimbrix {

constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBmpInfoHeaderSize = 40;
constexpr std::size_t kBmpGreyPaletteSize = 256 * 4;

// Sizes of a BMP file for a picture; `valid` is false for bit counts other
// than 8 and 24, non-positive sizes, or files too large for the format.
struct BmpLayout {
  bool valid = false;
  std::size_t rowBytes = 0;     // bytes of a row in the caller's buffer
  std::size_t storedRow = 0;    // the same, padded to a multiple of 4
  std::size_t dataOffset = 0;   // 1078 (grey) or 54 (colour)
  std::uint32_t imageSize = 0;  // storedRow x height
  std::uint32_t fileSize = 0;
};
BmpLayout bmpLayout(int width, int height, int bits);

// Writes the whole file (headers, palette, padded rows bottom to top) to an
// open stream; false on a short write. The pixels are only read.
bool writeBmp(std::FILE* file, const unsigned char* pixels, int width, int height, int bits);

// A picture decoded in place inside a file image.
struct BmpPicture {
  unsigned char* pixels = nullptr;  // null when the file is refused
  int width = 0;
  int height = 0;
  int bits = 0;
};
// Checks every header value against the `length` bytes of `file` and turns
// the pixel area, in place, into rows top to bottom without padding (grey
// levels for 8-bit files, blue-green-red for 24-bit files). Refused files
// (other bit counts, compression, sizes that do not fit the file) give a
// null pixel pointer; nothing outside the block is touched either way.
BmpPicture decodeBmp(unsigned char* file, std::size_t length);

}  // namespace nimbrix
