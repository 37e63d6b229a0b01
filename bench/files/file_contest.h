// The protocol every program that writes and reads picture files follows,
// so that the kit, a plain write and read of the same bytes and the peer
// libraries are measured alike: the same 2048 x 2048 picture, grey (one
// byte per pixel) or colour (blue, green, red), written `rounds` times into
// a fresh file and then read back `rounds` times; the best of each, as
// megabytes of picture per second (the picture's bytes, whatever the file
// holds besides). Each measurement prints one line that scripts/bench reads:
//
//   file <format> <grey|colour> <write|read> <who> <MB/s>
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace contest {

constexpr int kSide = 2048;

struct Picture {
  int width = kSide;
  int height = kSide;
  int bytesPerPixel = 1;
  std::vector<unsigned char> pixels;
  std::size_t size() const { return pixels.size(); }
};

inline Picture makePicture(int bytesPerPixel) {
  Picture p;
  p.bytesPerPixel = bytesPerPixel;
  p.pixels.resize(static_cast<std::size_t>(p.width) * p.height * bytesPerPixel);
  for (std::size_t i = 0; i < p.pixels.size(); ++i)
    p.pixels[i] = static_cast<unsigned char>(i * 13 + i / 4099);
  return p;
}

// Writes the picture to the file; false on failure.
using Write = std::function<bool(const std::string& file, const Picture& picture)>;
// Reads the file back and releases what it read; returns the bytes of
// picture it got (0 on failure).
using Read = std::function<std::size_t(const std::string& file)>;

inline double seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Measures one contender on one format and picture; prints its two lines.
// A failed write or read prints nothing for it and returns false.
inline bool measure(const std::string& format, const Picture& picture, const std::string& who,
                    const std::string& file, int rounds, const Write& write, const Read& read) {
  const char* kind = picture.bytesPerPixel == 1 ? "grey" : "colour";
  double bestWrite = 0, bestRead = 0;
  for (int r = 0; r < rounds; ++r) {
    std::remove(file.c_str());
    const auto t0 = std::chrono::steady_clock::now();
    if (!write(file, picture)) {
      std::fprintf(stderr, "%s: writing %s %s failed\n", who.c_str(), format.c_str(), kind);
      return false;
    }
    bestWrite = std::max(bestWrite, picture.size() / seconds(t0));
  }
  for (int r = 0; r < rounds; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    if (read(file) != picture.size()) {
      std::fprintf(stderr, "%s: reading %s %s failed\n", who.c_str(), format.c_str(), kind);
      return false;
    }
    bestRead = std::max(bestRead, picture.size() / seconds(t0));
  }
  std::remove(file.c_str());
  std::printf("file %s %s write %s %.1f\n", format.c_str(), kind, who.c_str(), bestWrite / 1e6);
  std::printf("file %s %s read %s %.1f\n", format.c_str(), kind, who.c_str(), bestRead / 1e6);
  std::fflush(stdout);
  return true;
}

// Command line shared by the programs: <folder> [rounds, default 20].
inline bool parseArguments(int argc, char** argv, std::string& folder, int& rounds) {
  if (argc < 2) return false;
  folder = argv[1];
  rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  return rounds > 0;
}

}  // namespace contest
