// Checks what grab and seqtool wrote against the acquisition simulator's
// pattern, reading the files through the kit's own readers.
//
//   grab_check recording <seq> <w> <h> <bits> <count|-> [consecutive]
//   grab_check picture <file.tif|file.bmp> <w> <h> <bits> <number>
//   grab_check drawn <file.raw> <w> <h> <bits> <number>
//                                          a picture as the display reads it:
//                                          rows 4-byte aligned
//   grab_check frames <seq> <out.raw>     all pictures as 24-bit frames, bottom
//                                          row first
#include <quorlex/nimbrix.h>
#include "acqsim.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int fail(const std::string& text) {
  std::printf("FAIL: %s\n", text.c_str());
  return 1;
}

std::vector<unsigned char> expected(int w, int h, int bits, int n) {
  const int channels = bits / 8;
  std::vector<unsigned char> p(static_cast<size_t>(w) * h * channels);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c)
        p[(static_cast<size_t>(y) * w + x) * channels + c] = acqsim_pattern(x, y, n, c);
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<unsigned char>(static_cast<unsigned>(n) >> (8 * i));
  return p;
}

int recording(int argc, char** argv) {
  const int w = std::atoi(argv[3]), h = std::atoi(argv[4]), bits = std::atoi(argv[5]);
  const bool consecutive = argc > 7 && std::strcmp(argv[7], "consecutive") == 0;
  SequenceFile* seq = nullptr;
  int fw = 0, fh = 0, fbits = 0, count = 0, first = 0;
  if (IoOpenSeq(&seq, argv[2], &fw, &fh, &fbits) != 0) return fail("cannot open recording");
  IoGetSeqInfo(seq, &count, &first);
  int status = 0;
  if (fw != w || fh != h || fbits != bits) {
    status = fail("geometry " + std::to_string(fw) + "x" + std::to_string(fh) + "x" +
                  std::to_string(fbits));
  } else if (std::strcmp(argv[6], "-") != 0 && count != std::atoi(argv[6])) {
    status = fail("count " + std::to_string(count) + ", expected " + argv[6]);
  }
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * (bits / 8));
  int previous = 0;
  for (int i = 0; status == 0 && i < count; ++i) {
    int number = 0;
    if (IoReadNextSeqPicture(seq, &number, pixels.data()) != static_cast<int>(pixels.size())) {
      status = fail("record " + std::to_string(i) + " short");
    } else if (consecutive ? number != previous + 1 : number <= previous) {
      status = fail("record " + std::to_string(i) + " holds picture " + std::to_string(number) +
                    " after " + std::to_string(previous));
    } else if (pixels != expected(w, h, bits, number)) {
      status = fail("record " + std::to_string(i) + " (picture " + std::to_string(number) +
                    ") differs from the camera's picture");
    }
    previous = number;
  }
  if (status == 0 && count > 0 && first != previous - count + 1)
    status = fail("first number " + std::to_string(first));
  IoCloseSeq(seq);
  if (status == 0) std::printf("%d\n", count);
  return status;
}

int picture(char** argv) {
  const std::string name = argv[2];
  const int w = std::atoi(argv[3]), h = std::atoi(argv[4]), bits = std::atoi(argv[5]);
  std::vector<unsigned char> want = expected(w, h, bits, std::atoi(argv[6]));
  if (name.size() > 4 && name.substr(name.size() - 4) == ".bmp") {
    unsigned char* pixels = nullptr;
    int fw = 0, fh = 0, fbits = 0;
    BmpImage* image = IoReadBmp(name.c_str(), &pixels, &fw, &fh, &fbits);
    const bool same = pixels != nullptr && fw == w && fh == h && fbits == bits &&
                      std::memcmp(pixels, want.data(), want.size()) == 0;
    if (image != nullptr) IoCloseBmp(image);
    return same ? 0 : fail(name + " differs from the picture");
  }
  void* block = nullptr;
  int fw = 0, fh = 0, sampleBits = 0, samples = 0;
  const int read = IoReadTiff(name.c_str(), &block, &fw, &fh, &sampleBits, &samples);
  bool same = read != 0 && fw == w && fh == h && sampleBits == 8 && samples == bits / 8;
  if (same && samples == 3) {
    // TIFF keeps red-green-blue.
    for (size_t i = 0; i < want.size(); i += 3) std::swap(want[i], want[i + 2]);
  }
  same = same && std::memcmp(block, want.data(), want.size()) == 0;
  if (block != nullptr) IoFreeTiff(block);
  return same ? 0 : fail(name + " differs from the picture");
}

int drawn(char** argv) {
  const int w = std::atoi(argv[3]), h = std::atoi(argv[4]), bits = std::atoi(argv[5]);
  const std::vector<unsigned char> want = expected(w, h, bits, std::atoi(argv[6]));
  const size_t row = static_cast<size_t>(w) * (bits / 8);
  const size_t stride = (row + 3) / 4 * 4;
  std::vector<unsigned char> got(stride * h);
  std::FILE* f = std::fopen(argv[2], "rb");
  if (f == nullptr) return fail(std::string("cannot open ") + argv[2]);
  const size_t read = std::fread(got.data(), 1, got.size(), f);
  std::fclose(f);
  if (read != got.size()) return fail("short picture");
  for (int y = 0; y < h; ++y) {
    if (std::memcmp(&got[stride * y], &want[row * y], row) != 0)
      return fail("row " + std::to_string(y) + " is not where the display reads it");
  }
  return 0;
}

int frames(char** argv) {
  SequenceFile* seq = nullptr;
  int w = 0, h = 0, bits = 0, count = 0, first = 0;
  if (IoOpenSeq(&seq, argv[2], &w, &h, &bits) != 0) return fail("cannot open recording");
  IoGetSeqInfo(seq, &count, &first);
  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr) return fail("cannot create output");
  const size_t row = static_cast<size_t>(w) * (bits / 8);
  std::vector<unsigned char> pixels(row * h);
  for (int i = 0; i < count; ++i) {
    IoReadSeqPicture(seq, i, pixels.data());
    for (int y = h - 1; y >= 0; --y) {
      if (bits == 24) {
        std::fwrite(&pixels[row * y], 1, row, out);
        continue;
      }
      // Grey frames are compared as decoded to blue-green-red: through the
      // grey palette each level comes back exactly in all three.
      for (size_t x = 0; x < row; ++x)
        for (int c = 0; c < 3; ++c) std::fputc(pixels[row * y + x], out);
    }
  }
  std::fclose(out);
  IoCloseSeq(seq);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "recording" && argc >= 7) return recording(argc, argv);
  if (command == "picture" && argc == 7) return picture(argv);
  if (command == "frames" && argc == 4) return frames(argv);
  if (command == "drawn" && argc == 7) return drawn(argv);
  std::fprintf(stderr, "usage: see the head of grab_check.cpp\n");
  return 2;
}
