#include "platform/ticks.h"

#include <windows.h>

namespace qx::platform {

std::uint32_t tickCount() {
  return GetTickCount();
}

}  // namespace qx::platform
