#include "grab.h"

#include <cstdio>
#include <string>

namespace grab {

Progress::Progress(int total, const std::vector<int>& ports)
    : total_(total), ports_(ports), state_(ports.size()), terminal_(standardOutputIsTerminal()) {}

void Progress::update(int index, int done, int lost, double seconds, double bytes) {
  if (!terminal_) return;
  std::lock_guard<std::mutex> hold(lock_);
  Port& p = state_[static_cast<size_t>(index)];
  p.done = done;
  p.lost = lost;
  p.seconds = seconds;
  p.bytes = bytes;
  bool allDone = true;
  for (const Port& each : state_) allDone = allDone && each.done == total_;
  // A few updates a second are plenty, and the last one always shows.
  if (!allDone && seconds - lastShown_ < 0.25) return;
  lastShown_ = seconds;
  std::string line = "\r";
  for (size_t i = 0; i < state_.size(); ++i) {
    const Port& each = state_[i];
    const double rate = each.seconds > 0 ? each.done / each.seconds : 0;
    const double megabytes = each.seconds > 0 ? each.bytes / each.seconds / 1e6 : 0;
    char part[160];
    if (state_.size() == 1)
      std::snprintf(part, sizeof part, "%d/%d pictures  %.1f/s  %d dropped  %.1f MB/s ", each.done,
                    total_, rate, each.lost, megabytes);
    else
      std::snprintf(part, sizeof part, "%sport %d: %d/%d  %.1f/s  %d dropped  %.1f MB/s ",
                    i > 0 ? "| " : "", ports_[i], each.done, total_, rate, each.lost, megabytes);
    line += part;
  }
  std::fputs(line.c_str(), stdout);
  std::fflush(stdout);
  shown_ = true;
}

void Progress::finish() {
  std::lock_guard<std::mutex> hold(lock_);
  if (shown_) std::printf("\n");
  shown_ = false;
  std::fflush(stdout);
}

}  // namespace grab
