// The forwarding pattern: refuse a handle that is not live, find the entry
// of the same name, call it with the caller's arguments, trace the result;
// and the guard that keeps every exception inside the library.
#pragma once

#include "applet_entries.h"
#include "entry.h"
#include "grabber.h"
#include "last_error.h"
#include "pictordyn.h"
#include "platform/boundary.h"
#include "trace.h"

#include <type_traits>

namespace qx::pictordyn {

// The entry to call, or null when the handle is not live (null, or already
// released: traced as "<name>: invalid Px", -2001 stored) or the entry word
// is empty (traced as "<name>: no entry", -120 stored). The caller then
// returns its null-handle result.
template <typename Fn>
Fn checkedEntry(Px_Struct* handle, int word) {
  const unsigned filledBy = filledByOf(handle);
  if (filledBy == 0) {
    setLastError(PX_ERR_INVALID_HANDLE);
    px_log("%s: invalid Px\n", contracts::kPxWords[word].name);
    return nullptr;
  }
  return entryOf<Fn>(handle, filledBy, word);
}

// Stores -120 for an exception that left an exported function and, when
// `name` is given (the function writes trace lines), traces
// "<name>: out of memory" or "<name>: failed".
void recordFault(const char* name, platform::Fault fault) noexcept;

// The body of an exported function: what it returns, or `failure` when an
// exception leaves it (see recordFault).
template <typename Body>
auto exported(const char* name, std::invoke_result_t<Body&> failure, Body&& body) noexcept {
  return platform::guarded(body, failure,
                           [name](platform::Fault fault) { recordFault(name, fault); });
}

}  // namespace qx::pictordyn

// Pointers printed in decimal, as one result line wants them.
#define PXD "%" PRIdPTR
inline std::intptr_t pxd(const void* p) {
  return reinterpret_cast<std::intptr_t>(p);
}
