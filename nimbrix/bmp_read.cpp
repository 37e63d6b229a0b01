#include <cstdlib>
#include <cstring>
#include <vector>

#include "bmp_format.h"
#include "exported.h"
#include "le_bytes.h"
#include "platform/file_pieces.h"

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

void readBmpFile(const char* name, BmpImage& image) {
  if (name == nullptr) return;
  const Stream f(std::fopen(name, "rb"));
  if (!f) return;
  // 64-bit lengths on every system; the block holds only the headers and
  // the picture, whatever follows them in the file.
  const std::int64_t end = qx::platform::streamLength(f.get());
  const std::uint64_t length = end > 0 ? static_cast<std::uint64_t>(end) : 0;
  const std::size_t fixed = kBmpFileHeaderSize + kBmpInfoHeaderSize;
  unsigned char head[kBmpFileHeaderSize + kBmpInfoHeaderSize];
  if (length < fixed || std::fread(head, 1, fixed, f.get()) != fixed) return;
  const BmpGeometry g = bmpGeometry(head, fixed, length);
  if (!g.valid) return;
  const std::size_t rows = static_cast<std::size_t>(g.height);
  // The file's bytes up to the picture as they are, the rows straight into
  // their places top to bottom without padding.
  Block<unsigned char> block(
      static_cast<unsigned char*>(std::malloc(g.dataAt + rows * g.rowBytes)));
  const std::size_t rest = g.dataAt - fixed;
  if (!block) return;
  std::memcpy(block.get(), head, fixed);
  if (std::fread(block.get() + fixed, 1, rest, f.get()) != rest) {
    image.fileBuffer = block.release();
    return;
  }
  unsigned char* const data = block.get() + g.dataAt;
  const std::size_t pad = g.stride - g.rowBytes;
  unsigned char skip[4];
  std::vector<qx::platform::FilePiece> pieces;
  pieces.reserve(rows * 2);
  for (std::size_t k = 0; k < rows; ++k) {
    const std::size_t to = g.bottomUp ? rows - 1 - k : k;
    pieces.push_back({data + to * g.rowBytes, g.rowBytes});
    if (pad != 0 && k + 1 < rows) pieces.push_back({skip, pad});
  }
  const std::int64_t expected = static_cast<std::int64_t>(rows * g.rowBytes + (rows - 1) * pad);
  const bool ok =
      qx::platform::readPiecesAt(f.get(), g.dataAt, pieces.data(), pieces.size()) == expected &&
      (g.bits != 8 || applyPalette(data, rows * g.rowBytes, block.get() + g.paletteAt, g.entries));
  if (ok) {
    image.pixels = data;
    image.width = g.width;
    image.height = g.height;
    image.bitsPerPixel = g.bits;
  }
  image.fileBuffer = block.release();
}

}  // namespace nimbrix
