// The BMP reader on arbitrary file contents, through the library's own
// export: it must refuse or decode without touching memory outside the
// block it allocates for the file.
#include <cstdint>
#include <cstdlib>

#include <quorlex/nimbrix.h>
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!writeFuzzFile(data, size)) return 0;
  unsigned char* px = nullptr;
  int w = 0, h = 0, bits = 0;
  BmpImage* image = IoReadBmp(fuzzFileName().c_str(), &px, &w, &h, &bits);
  if (px != nullptr) {
    if (w <= 0 || h <= 0 || (bits != 8 && bits != 24)) std::abort();
    // Every pixel handed out is read: one outside the block is caught by
    // the address sanitiser.
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * (bits / 8);
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += px[i];
    if (sum == 1u << 31) std::abort();  // keeps the reads
  }
  IoCloseBmp(image);
  return 0;
}
