// Writes and reads files through nimbrix for checks by readers and writers
// that are not ours (tests/nimbrix/check_*.sh).
//   bmp-write <file.bmp> <expected.bgr> <width> <height> <bits>
//       writes a test picture; expected.bgr gets its pixels as blue-green-red
//       rows top to bottom (grey levels tripled)
//   bmp-read <file.bmp> <pixels.out>
//       reads a file and dumps its pixels; prints "width height bits"
//   tiff-write <file.tif> <width> <height> <bits> <samples> [value]
//       writes a test picture (every byte `value` when given)
//   tiff-read <file.tif> <pixels.out>
//       reads a file and dumps its pixels; prints "width height bits samples"
//   avi-write <file.avi> <width> <height> <bits> <fps> <frames>
//       writes frames of a known pattern
//   avi-check <width> <height> <bits> <frames>
//       reads decoded frames (blue-green-red, rows top to bottom) from
//       standard input and checks each against what avi-write wrote
#include <algorithm>
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
  if (argv[7] != nullptr) std::fill(px.begin(), px.end(), std::atoi(argv[7]));
  return IoWriteTiff(argv[2], px.data(), w, h, bits, samples) == 0 ? 0 : 1;
}

int tiffRead(char** argv) {
  void* px = nullptr;
  int w = 0, h = 0, bits = 0, samples = 0;
  const int read = IoReadTiff(argv[2], &px, &w, &h, &bits, &samples);
  const bool ok = read != 0 && dump(argv[3], static_cast<unsigned char*>(px),
                                    static_cast<std::size_t>(w) * h * samples * (bits / 8));
  IoFreeTiff(px);
  if (!ok) return 1;
  std::printf("%d %d %d %d\n", w, h, bits, samples);
  return 0;
}

// Byte `b` of row `r`, column byte `c` of frame `i`: cheap to make and check.
unsigned char frameByte(int i, int r, int c) {
  return static_cast<unsigned char>(i * 31 + r * 7 + c * 3);
}

int aviWrite(char** argv) {
  const int w = std::atoi(argv[3]), h = std::atoi(argv[4]), bits = std::atoi(argv[5]);
  const double fps = std::atof(argv[6]);
  const int frames = std::atoi(argv[7]);
  const int row = w * bits / 8;
  std::vector<unsigned char> frame(static_cast<std::size_t>(row) * h);
  AviWriter* avi = nullptr;
  const int created = bits == 8 ? IoCreateAVIGray(&avi, argv[2], w, h, fps)
                                : IoCreateAVIColor(&avi, argv[2], w, h, fps);
  int result = created;
  for (int i = 0; result == 0 && i < frames; ++i) {
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < row; ++c)
        frame[static_cast<std::size_t>(r) * row + c] = frameByte(i, r, c);
    result = IoWriteAVIPicture(avi, i, frame.data());
  }
  IoCloseAVI(avi);
  if (result != 0) std::fprintf(stderr, "avi-write: %d\n", result);
  return result == 0 ? 0 : 1;
}

int aviCheck(char** argv) {
  const int w = std::atoi(argv[2]), h = std::atoi(argv[3]), bits = std::atoi(argv[4]);
  const int frames = std::atoi(argv[5]);
  const std::size_t size = static_cast<std::size_t>(w) * h * 3;
  std::vector<unsigned char> got(size);
  int i = 0;
  while (std::fread(got.data(), 1, size, stdin) == size) {
    // The frame's first row is the picture's bottom row.
    for (int r = 0; r < h; ++r)
      for (int x = 0; x < w; ++x)
        for (int k = 0; k < 3; ++k) {
          const int c = bits == 8 ? x : 3 * x + k;
          if (got[(static_cast<std::size_t>(h - 1 - r) * w + x) * 3 + k] != frameByte(i, r, c)) {
            std::printf("frame %d differs at row %d, column %d\n", i, r, x);
            return 1;
          }
        }
    ++i;
  }
  std::printf("%d frames\n", i);
  return i == frames ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "bmp-write" && argc == 7) return bmpWrite(argv);
  if (mode == "bmp-read" && argc == 4) return bmpRead(argv);
  if (mode == "tiff-write" && (argc == 7 || argc == 8)) return tiffWrite(argv);
  if (mode == "tiff-read" && argc == 4) return tiffRead(argv);
  if (mode == "avi-write" && argc == 8) return aviWrite(argv);
  if (mode == "avi-check" && argc == 6) return aviCheck(argv);
  std::fprintf(stderr, "usage: nimbrix_sample bmp-write|bmp-read ...\n");
  return 2;
}
