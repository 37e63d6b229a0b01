// BMP pictures through stb_image_write and stb_image, on the protocol of
// file_contest.h. stb neither writes nor reads TIFF. Its BMP writer always
// stores three bytes per pixel, so a grey picture's file is three times
// the picture: that is part of what it costs.
//
//   stb_files <folder> [rounds]
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstdio>

#include "file_contest.h"

namespace {

using contest::Picture;

bool write(const std::string& file, const Picture& p) {
  return stbi_write_bmp(file.c_str(), p.width, p.height, p.bytesPerPixel, p.pixels.data()) != 0;
}

// Asks for the picture's own number of channels back.
contest::Read reader(int channels) {
  return [channels](const std::string& file) -> std::size_t {
    int width = 0, height = 0, inFile = 0;
    unsigned char* pixels = stbi_load(file.c_str(), &width, &height, &inFile, channels);
    if (pixels == nullptr) return 0;
    stbi_image_free(pixels);
    return static_cast<std::size_t>(width) * height * channels;
  };
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  int rounds = 0;
  if (!contest::parseArguments(argc, argv, folder, rounds)) {
    std::fprintf(stderr, "usage: stb_files <folder> [rounds]\n");
    return 2;
  }
  bool ok = true;
  for (int bytes : {1, 3}) {
    const Picture p = contest::makePicture(bytes);
    ok = contest::measure("bmp", p, "stb", folder + "/stb.bmp", rounds, write, reader(bytes)) && ok;
  }
  return ok ? 0 : 1;
}
