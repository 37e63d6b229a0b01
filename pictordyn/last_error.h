// The process-wide last-error number of the library's own failures. Every
// thread and every handle shares it without a lock: the last writer wins. It
// orders nothing else, so relaxed accesses are enough.
#pragma once

#include <atomic>

extern std::atomic<int> px_lastError;

inline void setLastError(int number) {
  px_lastError.store(number, std::memory_order_relaxed);
}
inline int lastError() {
  return px_lastError.load(std::memory_order_relaxed);
}
