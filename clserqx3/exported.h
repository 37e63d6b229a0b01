// The edge of every exported function: no exception (a failed allocation, or
// anything the board runtime throws) leaves the library. A function that
// returns a status returns CL_ERR_OUT_OF_MEMORY instead; what the body had
// opened is released by the owners it holds.
#pragma once

#include <quorlex/clserqx3.h>
#include "platform/boundary.h"

namespace qx::clser {

template <typename Body>
CLINT32 exported(Body&& body) noexcept {
  return platform::guarded(body, CL_ERR_OUT_OF_MEMORY);
}

template <typename Body>
void exportedVoid(Body&& body) noexcept {
  platform::guardedVoid(body);
}

}  // namespace qx::clser
