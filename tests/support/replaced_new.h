// The program's own operator new, for tests that make allocations fail: on
// Linux it serves the libraries loaded into the program too. Include it in
// exactly one file of a test program, and define there
//   bool qx::test::refuseAllocation(std::size_t bytes) noexcept
// which says whether an allocation of that size fails.
#pragma once

#include <cstdlib>
#include <new>

namespace qx::test {
bool refuseAllocation(std::size_t bytes) noexcept;
}  // namespace qx::test

namespace qx::test::detail {
inline void* allocate(std::size_t n) noexcept {
  return refuseAllocation(n) ? nullptr : std::malloc(n == 0 ? 1 : n);
}
}  // namespace qx::test::detail

// The memory comes from malloc, so free is the matching release; the
// compiler cannot see that pairing.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t n) {
  if (void* p = qx::test::detail::allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = qx::test::detail::allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  return qx::test::detail::allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  return qx::test::detail::allocate(n);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
