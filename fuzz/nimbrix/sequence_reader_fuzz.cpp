// Opening and reading a sequence file with arbitrary contents.
#include <cstdint>
#include <vector>

#include "fuzz_file.h"
#include "sequence_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!writeFuzzFile(data, size)) return 0;
  auto s = SequenceFile::open(fuzzFileName().c_str());
  if (!s) return 0;
  int count = 0, first = 0;
  s->info(&count, &first);
  // Headers may promise pictures of up to 2 GiB; the reads are what matters.
  if (s->picture() > (1 << 20)) return 0;
  std::vector<unsigned char> dest(static_cast<std::size_t>(s->picture()) + 1);
  for (int i : {-1, 0, 1, count - 1, count}) s->readPicture(i, dest.data());
  int number = 0;
  for (int i = 0; i < 3; ++i) s->readNextPicture(&number, dest.data());
  s->close();
  return 0;
}
