// The BMP layouts the library writes and the reading of BMP files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "bmp_image.h"

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

// Writes the whole file (headers, palette, padded rows bottom to top) to a
// stream just opened; false on a short write. The pixels are only read.
bool writeBmp(std::FILE* file, const unsigned char* pixels, int width, int height, int bits);

// Where a BMP file keeps its picture, from its first 54 bytes and its length.
struct BmpGeometry {
  bool valid = false;  // false: the file is refused
  int width = 0;
  int height = 0;  // rows, positive
  int bits = 0;    // 8 or 24
  bool bottomUp = true;
  std::size_t rowBytes = 0;   // a row in memory
  std::size_t stride = 0;     // a row in the file: padded, or not in older files
  std::size_t paletteAt = 0;  // offset of the palette
  std::size_t entries = 0;    // palette entries
  std::size_t dataAt = 0;     // offset of the first stored row
};
// Checks every header value against the file's length: other bit counts,
// compression, and sizes that do not fit the file are refused.
// The picture (headers, palette and rows without padding) always fits this
// machine's memory when the result is valid.
BmpGeometry bmpGeometry(const unsigned char* head, std::size_t headLength,
                        std::uint64_t fileLength);

// Turns palette indices into grey levels (the red component of each entry);
// false when a byte indexes past the palette.
bool applyPalette(unsigned char* pixels, std::size_t count, const unsigned char* palette,
                  std::size_t entries);

// Reads a BMP file into `image`: one block (`fileBuffer`) of the file's
// bytes up to the picture, then the rows top to bottom without padding (grey
// levels for 8-bit files, blue-green-red for 24-bit files). Refused or
// unreadable files leave the pixel pointer null. The library's reader and
// the fuzz target both come here.
void readBmpFile(const char* name, BmpImage& image);

}  // namespace nimbrix
