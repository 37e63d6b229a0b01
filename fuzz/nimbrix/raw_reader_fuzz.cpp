// IoReadRaw on arbitrary file contents: a block exactly as long as the data,
// or failure with no block.
#include <cstdint>
#include <cstdlib>

#include <quorlex/nimbrix.h>
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!writeFuzzFile(data, size)) return 0;
  void* block = nullptr;
  int w = 0, h = 0, third = 0;
  if (IoReadRaw(fuzzFileName().c_str(), &block, &w, &h, &third) == 0) {
    if (block == nullptr) std::abort();
    IoFreeRaw(block);
  } else if (block != nullptr) {
    std::abort();
  }
  return 0;
}
