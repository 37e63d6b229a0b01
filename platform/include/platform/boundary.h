// The edge between an exported C function and the C++ inside it: no
// exception may cross it. Every exported function runs its body through
// guarded() (or guardedVoid() when it returns nothing); an exception that
// leaves the body (a failed allocation, or anything an outside library
// throws) becomes the function's own failure result.
//
//   int IoSomething(int a) {
//     return qx::platform::guarded([&] { return doSomething(a); }, -1,
//                                  [](qx::platform::Fault) { /* trace, store an error */ });
//   }
//
// The fault handler is optional. It runs inside the catch, must not rely on
// allocating, and whatever it throws is swallowed.
#pragma once

#include <new>
#include <type_traits>
#include <utility>

namespace qx::platform {

// What went wrong inside a body.
enum class Fault {
  OutOfMemory,  // std::bad_alloc
  Other,        // any other exception
};

namespace detail {
inline void noFaultHandler(Fault) noexcept {}

template <typename OnFault>
void reportFault(OnFault& onFault, Fault fault) noexcept {
  try {
    onFault(fault);
  } catch (...) {
    // The failure result is returned all the same.
  }
}
}  // namespace detail

// Returns what `body()` returns, or `failure` when an exception leaves it.
// The failure's type is the body's result type, so `nullptr` or an error
// number converts to it.
template <typename Body, typename OnFault = void (*)(Fault) noexcept>
auto guarded(Body&& body, std::invoke_result_t<Body&> failure,
             OnFault&& onFault = detail::noFaultHandler) noexcept -> std::invoke_result_t<Body&> {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    detail::reportFault(onFault, Fault::OutOfMemory);
  } catch (...) {
    detail::reportFault(onFault, Fault::Other);
  }
  return failure;
}

// The same for a body that returns nothing.
template <typename Body, typename OnFault = void (*)(Fault) noexcept>
void guardedVoid(Body&& body, OnFault&& onFault = detail::noFaultHandler) noexcept {
  try {
    body();
  } catch (const std::bad_alloc&) {
    detail::reportFault(onFault, Fault::OutOfMemory);
  } catch (...) {
    detail::reportFault(onFault, Fault::Other);
  }
}

}  // namespace qx::platform
