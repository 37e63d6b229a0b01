// The edge of every exported function: no exception (a failed allocation, or
// anything thrown below) leaves the library; the function returns its own
// failure result instead. The bodies hold their files and blocks in owners
// that release them, so an exception leaks nothing either.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "platform/boundary.h"

namespace nimbrix {

template <typename Body>
auto exported(std::invoke_result_t<Body&> failure, Body&& body) noexcept {
  return qx::platform::guarded(body, failure);
}

// Owners for the bodies' streams and malloc'd blocks.
struct StreamCloser {
  void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;
struct BlockFreer {
  void operator()(void* p) const noexcept { std::free(p); }
};
template <typename T>
using Block = std::unique_ptr<T, BlockFreer>;

}  // namespace nimbrix
