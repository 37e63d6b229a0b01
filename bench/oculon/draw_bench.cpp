// Pictures per second that DrawBuffer shows in a 1024 x 1024 display, grey
// and colour, against a bare loop of the system's own transfer of the same
// picture into the same window, in the same run. The two alternate in
// rounds so that a busy machine slows both alike.
//
//   oculon_bench [seconds per measurement, default 3]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <quorlex/oculon.h>
#include "bare_transfer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSide = 1024;
constexpr int kRounds = 12;

std::vector<uint8_t> picture(int bitDepth, int shift) {
  const int bytes = bitDepth / 8;
  std::vector<uint8_t> p(static_cast<size_t>(kSide) * kSide * bytes);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide * bytes; ++x) {
      p[static_cast<size_t>(y) * kSide * bytes + x] = static_cast<uint8_t>(x + y + shift);
    }
  }
  return p;
}

// Runs `step` for about `seconds`; returns how many times it ran and the
// time taken.
template <typename Step>
void measure(double seconds, Step step, long& count, double& elapsed) {
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  long n = 0;
  auto now = start;
  do {
    step(n++);
    now = Clock::now();
  } while (now < end);
  count += n;
  elapsed += std::chrono::duration<double>(now - start).count();
}

bool run(int bitDepth, double seconds) {
  const int index = CreateDisplay(bitDepth, kSide, kSide);
  if (index < 0) {
    std::fprintf(stderr, "cannot open a display (is DISPLAY set?)\n");
    return false;
  }
  SetBufferWidth(index, kSide, kSide);
  const std::vector<uint8_t> pictures[2] = {picture(bitDepth, 0), picture(bitDepth, 128)};
  auto bare =
      BareTransfer::open(GetWindowHandle(index), bitDepth, kSide, kSide, pictures[0].data());
  if (!bare) {
    std::fprintf(stderr, "cannot set up the bare %s loop\n", BareTransfer::name());
    CloseDisplay(index);
    return false;
  }
  auto draw = [&](long n) {
    DrawBuffer(index, pictures[n & 1].data(), static_cast<int>(n), "bench");
  };
  auto transfer = [&](long) { bare->transfer(); };
  long drawn = 0, transferred = 0, ignored = 0;
  double drawTime = 0, transferTime = 0, ignoredTime = 0;
  measure(0.3, draw, ignored, ignoredTime);
  measure(0.3, transfer, ignored, ignoredTime);
  for (int round = 0; round < kRounds; ++round) {
    measure(seconds / kRounds, draw, drawn, drawTime);
    measure(seconds / kRounds, transfer, transferred, transferTime);
  }
  const double drawRate = drawn / drawTime;
  const double bareRate = transferred / transferTime;
  std::printf("%-6s %d x %d: DrawBuffer %7.1f pictures/s, bare %s %7.1f pictures/s, ratio %.2f\n",
              bitDepth == 8 ? "grey" : "colour", kSide, kSide, drawRate, BareTransfer::name(),
              bareRate, drawRate / bareRate);
  bare.reset();
  CloseDisplay(index);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: oculon_bench [seconds per measurement]\n");
    return 2;
  }
  bool ok = run(8, seconds);
  ok = run(24, seconds) && ok;
  return ok ? 0 : 1;
}
