// Stands in for the display library under grab (loaded first with
// LD_PRELOAD): keeps every picture grab hands to DrawBuffer in a file, or
// refuses them all, as QX_DRAW_PROBE says ("refuse", or a folder), taking
// QX_DRAW_DELAY_MS milliseconds for each, as a slow screen does.
//
// It also watches, without changing them, the pictures grab takes from the
// grabber and hands to the recording: with QX_COPY_PROBE naming a file, it
// writes there how many were handed over straight from the grabber's ring
// ("ring n") and how many from anywhere else, a copy ("copy n").
// QX_WRITE_STALL="n:ms" holds picture n up for ms milliseconds on its way
// into the writer, as a writer waiting for the disk does.
#include <dlfcn.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// One set for all displays: grab opens each with the same size.
std::atomic<int> depth{8}, width{0}, height{0};

thread_local void* lastFromGrabber = nullptr;
std::atomic<int> fromRing{0}, fromCopy{0};

__attribute__((destructor)) void reportHandedPictures() {
  const char* name = std::getenv("QX_COPY_PROBE");
  if (name == nullptr) return;
  if (std::FILE* f = std::fopen(name, "w")) {
    std::fprintf(f, "ring %d\ncopy %d\n", fromRing.load(), fromCopy.load());
    std::fclose(f);
  }
}
}  // namespace

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
  if (const char* delay = std::getenv("QX_DRAW_DELAY_MS")) {
    const long ms = std::atol(delay);
    timespec wait = {ms / 1000, ms % 1000 * 1000000L};
    nanosleep(&wait, nullptr);
  }
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

// The grabber's picture pointers, passed on unchanged.
__attribute__((visibility("default"))) void* Px_getImagePtr(void* handle, int number, int port) {
  using Real = void* (*)(void*, int, int);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "Px_getImagePtr"));
  lastFromGrabber = real(handle, number, port);
  return lastFromGrabber;
}

__attribute__((visibility("default"))) int IoWriteSeqPicture(void* handle, int number,
                                                             void* pixels) {
  using Real = int (*)(void*, int, void*);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "IoWriteSeqPicture"));
  ++(pixels == lastFromGrabber ? fromRing : fromCopy);
  // A writer that waits for the disk in the middle of a picture.
  if (const char* stall = std::getenv("QX_WRITE_STALL")) {
    int at = 0;
    long ms = 0;
    if (std::sscanf(stall, "%d:%ld", &at, &ms) == 2 && at == number) {
      timespec wait = {ms / 1000, ms % 1000 * 1000000L};
      nanosleep(&wait, nullptr);
    }
  }
  return real(handle, number, pixels);
}

}  // extern "C"
