// Time per 1024 x 1024 picture that the acquisition simulator spends drawing
// its test pattern, grey and colour, against a plain memcpy of a picture of
// the same size into the same ring of buffers, in the same run. A real
// board's transfer costs the processor nothing; the simulator should cost
// no more than about one copy. The two alternate in rounds so that a busy
// machine slows both alike.
//
//   acqsim_bench [seconds per measurement, default 0.5]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "acqsim.h"
#include "picture.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSide = 1024;
constexpr int kRounds = 10;
// More buffers than fit in the caches close to the core, as in a ring that
// a recording program keeps.
constexpr int kRing = 8;

// Runs `step` for about `seconds`; adds how many times it ran and the time.
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

// Whether `p` is picture n as acqsim.h defines it.
bool isPicture(const unsigned char* p, int bytes, int n) {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      for (int c = 0; c < bytes; ++c) {
        const size_t offset = (static_cast<size_t>(y) * kSide + x) * bytes + c;
        const unsigned char want =
            offset < 4 ? static_cast<unsigned char>(static_cast<unsigned>(n) >> (8 * offset))
                       : acqsim_pattern(x, y, n, c);
        if (p[offset] != want) return false;
      }
  return true;
}

bool run(int bytes, double seconds) {
  const size_t size = static_cast<size_t>(kSide) * kSide * bytes;
  std::vector<std::vector<unsigned char>> ring(kRing, std::vector<unsigned char>(size, 0));
  std::vector<unsigned char> source(size);
  const qx::sim::PatternPainter painter(kSide, kSide, bytes);
  painter.draw(source.data(), 1);
  // What is measured must be the pattern itself.
  if (!isPicture(source.data(), bytes, 1)) {
    std::fprintf(stderr, "the simulator's picture is not the pattern\n");
    return false;
  }

  long drawn = 0, copied = 0;
  double drawTime = 0, copyTime = 0;
  int picture = 0;
  const unsigned char* last = nullptr;
  for (int round = 0; round < kRounds; ++round) {
    measure(
        seconds,
        [&](long i) {
          unsigned char* buffer = ring[i % kRing].data();
          painter.draw(buffer, ++picture);
          last = buffer;
        },
        drawn, drawTime);
    // The last picture drawn is checked before a copy overwrites it.
    if (!isPicture(last, bytes, picture)) {
      std::fprintf(stderr, "a measured picture is not the pattern\n");
      return false;
    }
    measure(
        seconds, [&](long i) { std::memcpy(ring[i % kRing].data(), source.data(), size); }, copied,
        copyTime);
  }
  const double drawUs = drawTime / drawn * 1e6;
  const double copyUs = copyTime / copied * 1e6;
  std::printf("%-6s %dx%d  simulator %8.1f us/picture  memcpy %8.1f us/picture  ratio %.2f\n",
              bytes == 1 ? "grey" : "colour", kSide, kSide, drawUs, copyUs, drawUs / copyUs);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: acqsim_bench [seconds per measurement]\n");
    return 2;
  }
  bool ok = run(1, seconds);
  ok = run(3, seconds) && ok;
  return ok ? 0 : 1;
}
