// Writes and reads files through nimbrix for checks by readers and writers
// that are not ours (tests/nimbrix/check_*.sh).
//   bmp-write <file.bmp> <expected.bgr> <width> <height> <bits>
//       writes a test picture; expected.bgr gets its pixels as blue-green-red
//       rows top to bottom (grey levels tripled)
//   bmp-read <file.bmp> <pixels.out>
//       reads a file and dumps its pixels; prints "width height bits"
//   tiff-write <file.tif> <width> <height> <bits> <samples>
//       writes a test picture
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "nimbrix.h"
#include "nimbrix_test_util.h"

namespace {

bool dump(const char* name, const unsigned char* p, std::size_t n) {
  std::FILE* f = std::fopen(name, "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(p, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

int bmpWrite(char** argv) {
  const int w = std::atoi(argv[4]), h = std::atoi(argv[5]), bits = std::atoi(argv[6]);
  auto px = nimbrix_test::pattern(static_cast<std::size_t>(w) * h * (bits / 8), w * 7 + h);
  std::vector<unsigned char> bgr;
  for (std::size_t i = 0; i < px.size(); ++i) {
    bgr.push_back(px[i]);
    if (bits == 8) bgr.insert(bgr.end(), 2, px[i]);
  }
  if (IoWriteBmp(argv[2], px.data(), w, h, bits) != 0) return 1;
  return dump(argv[3], bgr.data(), bgr.size()) ? 0 : 1;
}

int bmpRead(char** argv) {
  unsigned char* px = nullptr;
  int w = 0, h = 0, bits = 0;
  BmpImage* image = IoReadBmp(argv[2], &px, &w, &h, &bits);
  if (px == nullptr) return 1;
  const bool ok = dump(argv[3], px, static_cast<std::size_t>(w) * h * (bits / 8));
  std::printf("%d %d %d\n", w, h, bits);
  IoCloseBmp(image);
  return ok ? 0 : 1;
}

int tiffWrite(char** argv) {
  const int w = std::atoi(argv[3]), h = std::atoi(argv[4]);
  const int bits = std::atoi(argv[5]), samples = std::atoi(argv[6]);
  auto px = nimbrix_test::pattern(static_cast<std::size_t>(w) * h * samples * (bits / 8));
  return IoWriteTiff(argv[2], px.data(), w, h, bits, samples) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "bmp-write" && argc == 7) return bmpWrite(argv);
  if (mode == "bmp-read" && argc == 4) return bmpRead(argv);
  if (mode == "tiff-write" && argc == 7) return tiffWrite(argv);
  std::fprintf(stderr, "usage: nimbrix_sample bmp-write|bmp-read ...\n");
  return 2;
}
