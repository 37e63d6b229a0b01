#include <algorithm>
#include <cstring>

#include "bmp_format.h"
#include "le_bytes.h"

namespace nimbrix {

BmpPicture decodeBmp(unsigned char* file, std::size_t length) {
  BmpPicture out;
  if (file == nullptr || length < kBmpFileHeaderSize + kBmpInfoHeaderSize) return out;
  if (file[0] != 'B' || file[1] != 'M') return out;

  const std::uint64_t infoSize = getLe32(file + 14);
  const std::int32_t width = getLe32s(file + 18);
  const std::int32_t height = getLe32s(file + 22);
  const std::uint32_t bits = getLe16(file + 28);
  const std::uint32_t compression = getLe32(file + 30);
  const std::uint64_t coloursUsed = getLe32(file + 46);
  if (infoSize < kBmpInfoHeaderSize || kBmpFileHeaderSize + infoSize > length) return out;
  if (compression != 0 || (bits != 8 && bits != 24)) return out;
  // A negative height marks a file stored top row first.
  if (width <= 0 || height == 0 || height == INT32_MIN) return out;
  const bool bottomUp = height > 0;
  const std::uint64_t rows = bottomUp ? height : -static_cast<std::int64_t>(height);

  // Grey files index a palette of up to 256 entries (all 256 unless the file
  // says how many it uses); colour files may carry one too, which is skipped.
  std::uint64_t entries = coloursUsed;
  if (bits == 8 && (entries == 0 || entries > 256)) {
    if (entries > 256) return out;
    entries = 256;
  }
  const std::uint64_t paletteAt = kBmpFileHeaderSize + infoSize;
  const std::uint64_t paletteEnd = paletteAt + 4 * entries;
  if (paletteEnd > length) return out;
  // The pixels follow the palette; a file that says they lie further on is
  // taken at its word.
  std::uint64_t dataAt = paletteEnd;
  const std::uint64_t declared = getLe32(file + 10);
  if (declared > paletteEnd && declared < length) dataAt = declared;

  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * (bits / 8);
  const std::uint64_t padded = (rowBytes + 3) / 4 * 4;
  const std::uint64_t available = length - dataAt;
  // Standard files pad rows to 4 bytes; files of the library's earlier
  // writer did not. The size of the pixel area tells them apart.
  std::uint64_t stride;
  if (rows <= available / padded)
    stride = padded;
  else if (rows <= available / rowBytes)
    stride = rowBytes;
  else
    return out;

  unsigned char* const data = file + dataAt;
  const std::size_t row = static_cast<std::size_t>(rowBytes);
  const std::size_t count = static_cast<std::size_t>(rows);
  // Close up the padding (moving rows towards the start never overwrites a
  // row not yet moved), then turn the row order top to bottom.
  if (stride != rowBytes)
    for (std::size_t r = 1; r < count; ++r)
      std::memmove(data + r * row, data + r * static_cast<std::size_t>(stride), row);
  if (bottomUp)
    for (std::size_t top = 0, bottom = count - 1; top < bottom; ++top, --bottom)
      std::swap_ranges(data + top * row, data + top * row + row, data + bottom * row);

  if (bits == 8) {
    // Each byte becomes the red component of the entry it indexes: a grey
    // level for grey palettes.
    const unsigned char* palette = file + paletteAt;
    const std::size_t total = row * count;
    for (std::size_t i = 0; i < total; ++i) {
      if (data[i] >= entries) return out;
      data[i] = palette[4 * data[i] + 2];
    }
  }
  out.pixels = data;
  out.width = width;
  out.height = static_cast<int>(rows);
  out.bits = static_cast<int>(bits);
  return out;
}

}  // namespace nimbrix
