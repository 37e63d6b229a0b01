// BMP and TIFF pictures through nimbrix, and a plain write and read of the
// same bytes (one fwrite of the whole picture, one fread into a fresh
// block): the system's limit for moving that many bytes through a file.
//
//   nimbrix_files <folder> [rounds]
#include <cstdio>
#include <cstdlib>

#include <quorlex/nimbrix.h>
#include "file_contest.h"

namespace {

using contest::Picture;

bool plainWrite(const std::string& file, const Picture& p) {
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(p.pixels.data(), 1, p.size(), f) == p.size();
  return std::fclose(f) == 0 && ok;
}

std::size_t plainRead(const std::string& file, std::size_t bytes) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) return 0;
  auto* block = static_cast<unsigned char*>(std::malloc(bytes));
  const std::size_t got = block != nullptr ? std::fread(block, 1, bytes, f) : 0;
  std::fclose(f);
  std::free(block);
  return got;
}

bool bmpWrite(const std::string& file, const Picture& p) {
  return IoWriteBmp(file.c_str(), const_cast<unsigned char*>(p.pixels.data()), p.width, p.height,
                    p.bytesPerPixel * 8) == 0;
}

std::size_t bmpRead(const std::string& file) {
  unsigned char* pixels = nullptr;
  int width = 0, height = 0, bits = 0;
  BmpImage* image = IoReadBmp(file.c_str(), &pixels, &width, &height, &bits);
  const std::size_t got =
      pixels != nullptr ? static_cast<std::size_t>(width) * height * (bits / 8) : 0;
  IoCloseBmp(image);
  return got;
}

bool tiffWrite(const std::string& file, const Picture& p) {
  return IoWriteTiff(file.c_str(), const_cast<unsigned char*>(p.pixels.data()), p.width, p.height,
                     8, p.bytesPerPixel) == 0;
}

std::size_t tiffRead(const std::string& file) {
  void* pixels = nullptr;
  int width = 0, height = 0, bits = 0, samples = 0;
  if (IoReadTiff(file.c_str(), &pixels, &width, &height, &bits, &samples) == 0) return 0;
  IoFreeTiff(pixels);
  return static_cast<std::size_t>(width) * height * samples * (bits / 8);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  int rounds = 0;
  if (!contest::parseArguments(argc, argv, folder, rounds)) {
    std::fprintf(stderr, "usage: nimbrix_files <folder> [rounds]\n");
    return 2;
  }
  bool ok = true;
  for (int bytes : {1, 3}) {
    const Picture p = contest::makePicture(bytes);
    const auto plainReadAll = [&](const std::string& file) { return plainRead(file, p.size()); };
    // The plain figures are the limit of both formats: measured once per
    // picture, between them.
    ok =
        contest::measure("bmp", p, "nimbrix", folder + "/nimbrix.bmp", rounds, bmpWrite, bmpRead) &&
        ok;
    ok = contest::measure("plain", p, "plain", folder + "/plain.bin", rounds, plainWrite,
                          plainReadAll) &&
         ok;
    ok = contest::measure("tiff", p, "nimbrix", folder + "/nimbrix.tif", rounds, tiffWrite,
                          tiffRead) &&
         ok;
  }
  return ok ? 0 : 1;
}
