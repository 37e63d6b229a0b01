#include "trace.h"

#include "platform/ticks.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Trace {
  std::mutex lock;  // makes each line one write, and re-opening safe
  std::FILE* stream = nullptr;
  std::uint32_t origin = 0;
  // Read without the lock, so that calls cost next to nothing while no
  // trace is open.
  std::atomic<bool> open{false};
};

Trace& trace() {
  // Never destroyed: calls made while the process exits may still trace.
  static Trace* t = new Trace;
  return *t;
}

}  // namespace

namespace qx::pictordyn {

void openTrace() {
  Trace& t = trace();
  std::lock_guard<std::mutex> guard(t.lock);
  if (t.stream != nullptr) std::fclose(t.stream);
  t.stream = std::fopen("pictor.log", "w");
  t.origin = platform::tickCount();
  t.open.store(t.stream != nullptr, std::memory_order_release);
}

}  // namespace qx::pictordyn

void px_log(const char* format, ...) noexcept try {
  Trace& t = trace();
  if (!t.open.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> guard(t.lock);
  if (t.stream == nullptr) return;

  // The offset is a 32-bit difference shown signed, so it turns negative
  // after 2^31 ms, as the counter it comes from does.
  const auto offset = static_cast<std::int32_t>(qx::platform::tickCount() - t.origin);
  char prefix[24];
  const int prefixLength = std::snprintf(prefix, sizeof prefix, "%d : ", static_cast<int>(offset));

  char small[512];
  std::vector<char> large;
  char* message = small;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length >= static_cast<int>(sizeof small)) {
    try {
      large.resize(static_cast<std::size_t>(length) + 1);
      std::vsnprintf(large.data(), large.size(), format, again);
      message = large.data();
    } catch (const std::bad_alloc&) {
      // The line as far as it fits, still ended.
      length = static_cast<int>(sizeof small) - 1;
      small[length - 1] = '\n';
    }
  }
  va_end(again);
  if (length < 0) length = 0;

  std::fwrite(prefix, 1, static_cast<std::size_t>(prefixLength), t.stream);
  std::fwrite(message, 1, static_cast<std::size_t>(length), t.stream);
  std::fflush(t.stream);
} catch (...) {
  // A trace that cannot be written (its lock refused) loses the line.
}
