// IoReadTiff on arbitrary file contents: libtiff's decoding and our block.
#include <tiffio.h>

#include <cstdint>
#include <cstdlib>

#include <quorlex/nimbrix.h>
#include "fuzz_file.h"

namespace {
void quiet(const char*, const char*, va_list) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool once = [] {
    TIFFSetErrorHandler(quiet);
    TIFFSetWarningHandler(quiet);
    return true;
  }();
  (void)once;
  if (!writeFuzzFile(data, size)) return 0;
  void* block = nullptr;
  int w = 0, h = 0, bits = 0, samples = 0;
  IoReadTiff(fuzzFileName().c_str(), &block, &w, &h, &bits, &samples);
  IoFreeTiff(block);
  return 0;
}
