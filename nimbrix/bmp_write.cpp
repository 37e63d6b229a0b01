#include "bmp_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "le_bytes.h"
#include "platform/file_pieces.h"

namespace nimbrix {

BmpLayout bmpLayout(int width, int height, int bits) {
  BmpLayout l;
  if ((bits != 8 && bits != 24) || width <= 0 || height <= 0) return l;
  const std::uint64_t row = static_cast<std::uint64_t>(width) * (bits / 8);
  const std::uint64_t stored = (row + 3) / 4 * 4;
  const std::uint64_t offset =
      kBmpFileHeaderSize + kBmpInfoHeaderSize + (bits == 8 ? kBmpGreyPaletteSize : 0);
  const std::uint64_t image = stored * static_cast<std::uint64_t>(height);
  // The file must fit the format's 32-bit size field, and the caller's buffer
  // must be addressable.
  if (image + offset > 0xFFFFFFFFu || row * static_cast<std::uint64_t>(height) > SIZE_MAX) return l;
  l.valid = true;
  l.rowBytes = static_cast<std::size_t>(row);
  l.storedRow = static_cast<std::size_t>(stored);
  l.dataOffset = static_cast<std::size_t>(offset);
  l.imageSize = static_cast<std::uint32_t>(image);
  l.fileSize = static_cast<std::uint32_t>(image + offset);
  return l;
}

namespace {

void formHeaders(unsigned char* h, const BmpLayout& l, int width, int height, int bits) {
  std::memset(h, 0, kBmpFileHeaderSize + kBmpInfoHeaderSize);
  h[0] = 'B';
  h[1] = 'M';
  putLe32(h + 2, l.fileSize);
  putLe32(h + 10, static_cast<std::uint32_t>(l.dataOffset));
  putLe32(h + 14, kBmpInfoHeaderSize);
  putLe32(h + 18, static_cast<std::uint32_t>(width));
  putLe32(h + 22, static_cast<std::uint32_t>(height));
  putLe16(h + 26, 1);
  putLe16(h + 28, static_cast<std::uint32_t>(bits));
  putLe32(h + 34, l.imageSize);
  // Grey files carry no resolution; colour files 100 pixels per metre.
  const std::uint32_t ppm = bits == 24 ? 100 : 0;
  putLe32(h + 38, ppm);
  putLe32(h + 42, ppm);
}

}  // namespace

bool writeBmp(std::FILE* file, const unsigned char* pixels, int width, int height, int bits) {
  const BmpLayout l = bmpLayout(width, height, bits);
  if (!l.valid || pixels == nullptr) return false;

  unsigned char head[kBmpFileHeaderSize + kBmpInfoHeaderSize + kBmpGreyPaletteSize];
  formHeaders(head, l, width, height, bits);
  if (bits == 8) {
    unsigned char* palette = head + kBmpFileHeaderSize + kBmpInfoHeaderSize;
    for (int i = 0; i < 256; ++i) {
      palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<unsigned char>(i);
      palette[4 * i + 3] = 0;
    }
  }
  // The headers and the rows go out bottom to top, each row followed by its
  // padding, straight from the caller's buffer in one gathered transfer: no
  // copy, and the buffer is never reordered.
  static unsigned char zeros[4] = {};
  const std::size_t pad = l.storedRow - l.rowBytes;
  std::vector<qx::platform::FilePiece> pieces;
  pieces.reserve(1 + static_cast<std::size_t>(height) * (pad ? 2 : 1));
  pieces.push_back({head, l.dataOffset});
  for (std::size_t row = static_cast<std::size_t>(height); row-- > 0;) {
    pieces.push_back({const_cast<unsigned char*>(pixels) + row * l.rowBytes, l.rowBytes});
    if (pad != 0) pieces.push_back({zeros, pad});
  }
  return qx::platform::writePiecesAt(file, 0, pieces.data(), pieces.size());
}

}  // namespace nimbrix
