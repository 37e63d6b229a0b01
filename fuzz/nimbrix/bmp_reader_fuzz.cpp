// The BMP reader on arbitrary file contents, both in memory and through the
// file path that places rows straight from the file: it must refuse or
// decode without touching memory outside the file's block.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bmp_format.h"
#include "fuzz_file.h"
#include "nimbrix.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size block, so that any read past the file is caught.
  unsigned char* block = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
  if (size != 0) std::memcpy(block, data, size);
  const nimbrix::BmpPicture p = nimbrix::decodeBmp(block, size);
  std::size_t n = 0;
  if (p.pixels != nullptr) {
    // Every pixel handed out must lie inside the block.
    n = static_cast<std::size_t>(p.width) * p.height * (p.bits / 8);
    if (p.pixels < block || p.pixels + n > block + size) std::abort();
  }
  if (writeFuzzFile(data, size)) {
    unsigned char* px = nullptr;
    int w = 0, h = 0, bits = 0;
    BmpImage* image = IoReadBmp(fuzzFileName().c_str(), &px, &w, &h, &bits);
    // Both paths agree on what they accept and on the pixels.
    if ((px != nullptr) != (p.pixels != nullptr)) std::abort();
    if (px != nullptr && std::memcmp(px, p.pixels, n) != 0) std::abort();
    IoCloseBmp(image);
  }
  std::free(block);
  return 0;
}
