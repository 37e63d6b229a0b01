// Allocations refused by count: a Refusal lets a given number of allocations
// through and refuses every further one until it ends. Include it in exactly
// one file of a test program; it defines qx::test::refuseAllocation, so that
// file defines no other.
#pragma once

#include <atomic>
#include <cstddef>

#include "replaced_new.h"

namespace qx::test {
namespace counted_refusal {
// While refusing, allocations left before every further one fails.
inline std::atomic<bool> refusing{false};
inline std::atomic<long> allowed{0};
// Whether an allocation was refused since the count was last set.
inline std::atomic<bool> refused{false};
}  // namespace counted_refusal

// Lets `allowed` allocations through and refuses the rest, until the end of
// the scope.
struct Refusal {
  explicit Refusal(long allowed) {
    counted_refusal::refused.store(false);
    counted_refusal::allowed.store(allowed);
    counted_refusal::refusing.store(true);
  }
  ~Refusal() { counted_refusal::refusing.store(false); }
  Refusal(const Refusal&) = delete;
  Refusal& operator=(const Refusal&) = delete;
};

// Whether an allocation was refused since the last Refusal began.
inline bool allocationRefused() {
  return counted_refusal::refused.load();
}

}  // namespace qx::test

bool qx::test::refuseAllocation(std::size_t) noexcept {
  if (!counted_refusal::refusing.load(std::memory_order_relaxed) ||
      counted_refusal::allowed.fetch_sub(1, std::memory_order_relaxed) > 0)
    return false;
  counted_refusal::refused.store(true);
  return true;
}
