// Records pictures into a sequence file until it is killed: picture k is
// numbered 1000 + k and every byte of it is (k * 31 + byte index) mod 251.
// After each picture it prints "written <k>" so that the test knows how far
// the recording has got.
//   fault_recorder <file> <width> <height>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <quorlex/nimbrix.h>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const int width = std::atoi(argv[2]);
  const int height = std::atoi(argv[3]);
  SequenceFile* s = nullptr;
  if (IoCreateSeq(&s, argv[1], width, height, 8) != 0) {
    std::printf("failed create\n");
    return 1;
  }
  std::vector<unsigned char> px(static_cast<std::size_t>(width) * height);
  for (int k = 0;; ++k) {
    for (std::size_t i = 0; i < px.size(); ++i)
      px[i] = static_cast<unsigned char>((k * 31 + i) % 251);
    if (IoWriteSeqPicture(s, 1000 + k, px.data()) != 0) {
      std::printf("failed write %d\n", k);
      std::fflush(stdout);
      return 1;
    }
    std::printf("written %d\n", k);
    std::fflush(stdout);
  }
}
