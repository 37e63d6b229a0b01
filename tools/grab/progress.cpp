#include "grab.h"

#include <cstdio>

namespace grab {

Progress::Progress(int total) : total_(total), terminal_(standardOutputIsTerminal()) {}

void Progress::update(int done, int lost, double seconds, double bytes) {
  if (!terminal_) return;
  // A few updates a second are plenty, and the last one always shows.
  if (done != total_ && seconds - lastShown_ < 0.25) return;
  lastShown_ = seconds;
  const double rate = seconds > 0 ? done / seconds : 0;
  const double megabytes = seconds > 0 ? bytes / seconds / 1e6 : 0;
  std::printf("\r%d/%d pictures  %.1f/s  %d dropped  %.1f MB/s ", done, total_, rate, lost,
              megabytes);
  std::fflush(stdout);
  shown_ = true;
}

void Progress::finish() {
  if (shown_) std::printf("\n");
  shown_ = false;
  std::fflush(stdout);
}

}  // namespace grab
