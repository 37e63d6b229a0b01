#include <algorithm>
#include <cstring>

#include "bmp_format.h"
#include "le_bytes.h"

namespace nimbrix {

BmpGeometry bmpGeometry(const unsigned char* head, std::size_t headLength,
                        std::uint64_t fileLength) {
  BmpGeometry g;
  const std::size_t fixed = kBmpFileHeaderSize + kBmpInfoHeaderSize;
  if (head == nullptr || headLength < fixed || fileLength < fixed) return g;
  if (head[0] != 'B' || head[1] != 'M') return g;

  const std::uint64_t infoSize = getLe32(head + 14);
  const std::int32_t width = getLe32s(head + 18);
  const std::int32_t height = getLe32s(head + 22);
  const std::uint32_t bits = getLe16(head + 28);
  const std::uint32_t compression = getLe32(head + 30);
  const std::uint64_t coloursUsed = getLe32(head + 46);
  if (infoSize < kBmpInfoHeaderSize || kBmpFileHeaderSize + infoSize > fileLength) return g;
  if (compression != 0 || (bits != 8 && bits != 24)) return g;
  // A negative height marks a file stored top row first.
  if (width <= 0 || height == 0 || height == INT32_MIN) return g;
  const std::uint64_t rows = height > 0 ? height : -static_cast<std::int64_t>(height);

  // Grey files index a palette of up to 256 entries (all 256 unless the file
  // says how many it uses); colour files may carry one too, which is skipped.
  std::uint64_t entries = coloursUsed;
  if (bits == 8) {
    if (entries > 256) return g;
    if (entries == 0) entries = 256;
  }
  const std::uint64_t paletteAt = kBmpFileHeaderSize + infoSize;
  const std::uint64_t paletteEnd = paletteAt + 4 * entries;
  if (paletteEnd > fileLength) return g;
  // The pixels follow the palette; a file that says they lie further on is
  // taken at its word.
  std::uint64_t dataAt = paletteEnd;
  const std::uint64_t declared = getLe32(head + 10);
  if (declared > paletteEnd && declared < fileLength) dataAt = declared;

  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * (bits / 8);
  const std::uint64_t padded = (rowBytes + 3) / 4 * 4;
  const std::uint64_t available = fileLength - dataAt;
  // Standard files pad rows to 4 bytes; files of the library's earlier
  // writer did not, and their pixel area is exactly width x height x bytes
  // per pixel, as their image-size field says. A standard file holds every
  // pixel byte (only the last row's padding may be missing); anything that
  // fits neither layout exactly, such as a standard file cut short, is
  // refused rather than read with its rows shifted. Where one file could be
  // either (one row, or rows already a multiple of 4), the two agree.
  const std::uint64_t imageSize = getLe32(head + 34);
  if (rowBytes <= available && rows - 1 <= (available - rowBytes) / padded)
    g.stride = static_cast<std::size_t>(padded);
  else if (available == rows * rowBytes && imageSize == rows * rowBytes)
    g.stride = static_cast<std::size_t>(rowBytes);
  else
    return g;
  if (dataAt + rows * rowBytes > SIZE_MAX) return g;
  g.valid = true;
  g.width = width;
  g.height = static_cast<int>(rows);
  g.bits = static_cast<int>(bits);
  g.bottomUp = height > 0;
  g.rowBytes = static_cast<std::size_t>(rowBytes);
  g.paletteAt = static_cast<std::size_t>(paletteAt);
  g.entries = static_cast<std::size_t>(entries);
  g.dataAt = static_cast<std::size_t>(dataAt);
  return g;
}

bool applyPalette(unsigned char* pixels, std::size_t count, const unsigned char* palette,
                  std::size_t entries) {
  // The full grey ramp that grey files carry maps every byte to itself.
  bool identity = entries == 256;
  for (std::size_t i = 0; identity && i < 256; ++i) identity = palette[4 * i + 2] == i;
  if (identity) return true;
  for (std::size_t i = 0; i < count; ++i) {
    if (pixels[i] >= entries) return false;
    pixels[i] = palette[4 * pixels[i] + 2];
  }
  return true;
}

BmpPicture decodeBmp(unsigned char* file, std::size_t length) {
  BmpPicture out;
  const BmpGeometry g = bmpGeometry(file, length, length);
  if (!g.valid) return out;
  unsigned char* const data = file + g.dataAt;
  const std::size_t row = g.rowBytes;
  const std::size_t rows = static_cast<std::size_t>(g.height);
  // Close up the padding (moving rows towards the start never overwrites a
  // row not yet moved), then turn the row order top to bottom.
  if (g.stride != row)
    for (std::size_t r = 1; r < rows; ++r) std::memmove(data + r * row, data + r * g.stride, row);
  if (g.bottomUp)
    for (std::size_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom)
      std::swap_ranges(data + top * row, data + top * row + row, data + bottom * row);
  if (g.bits == 8 && !applyPalette(data, row * rows, file + g.paletteAt, g.entries)) return out;
  out.pixels = data;
  out.width = g.width;
  out.height = g.height;
  out.bits = g.bits;
  return out;
}

}  // namespace nimbrix
