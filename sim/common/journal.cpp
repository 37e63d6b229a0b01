#include "journal.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace qx::sim {

void journal(const char* format, ...) {
  static std::mutex lock;
  const char* path = std::getenv("QUORLEX_SIM_JOURNAL");
  if (path == nullptr || *path == '\0') return;
  std::lock_guard<std::mutex> guard(lock);
  // Opened for each line so that several simulated libraries, and several
  // processes, can share one journal.
  std::FILE* f = std::fopen(path, "ab");
  if (f == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(f, format, args);
  va_end(args);
  std::fputc('\n', f);
  std::fclose(f);
}

}  // namespace qx::sim
