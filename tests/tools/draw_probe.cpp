// Stands in for the display library under grab (loaded first with
// LD_PRELOAD): keeps every picture grab hands to DrawBuffer in a file, or
// refuses them all, as QX_DRAW_PROBE says ("refuse", or a folder).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int depth = 8, width = 0, height = 0;
}

extern "C" {

__attribute__((visibility("default"))) int CreateDisplay(int bitDepth, int, int) {
  depth = bitDepth;
  return 0;
}

__attribute__((visibility("default"))) int SetBufferWidth(int, int w, int h) {
  width = w;
  height = h;
  return w;
}

__attribute__((visibility("default"))) int CloseDisplay(int) {
  return 0;
}

__attribute__((visibility("default"))) int DrawBuffer(int, const void* pixels, int number,
                                                      const char*) {
  const char* mode = std::getenv("QX_DRAW_PROBE");
  if (mode == nullptr || std::strcmp(mode, "refuse") == 0) return -1;
  // What DrawBuffer reads: whole groups of 8 pixels a row.
  const size_t bytes = static_cast<size_t>(width + 7) / 8 * depth * height;
  const std::string name = std::string(mode) + "/drawn_" + std::to_string(number) + ".raw";
  if (std::FILE* f = std::fopen(name.c_str(), "wb")) {
    std::fwrite(pixels, 1, bytes, f);
    std::fclose(f);
  }
  return 0;
}

}  // extern "C"
