// Millisecond ticks: a 32-bit counter that wraps, used for trace stamps.
#pragma once

#include <cstdint>

namespace qx::platform {

std::uint32_t tickCount();

}  // namespace qx::platform
