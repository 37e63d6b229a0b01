// The forwarding pattern: refuse a null handle, find the entry of the same
// name, call it with the caller's arguments, trace the result.
#pragma once

#include "applet_entries.h"
#include "entry.h"
#include "last_error.h"
#include "pictordyn.h"
#include "trace.h"

namespace qx::pictordyn {

// The entry to call, or null when the handle is null (traced as
// "<name>: invalid Px", -2001 stored) or the entry word is empty (traced as
// "<name>: no entry", -120 stored). The caller then returns its null-handle
// result.
template <typename Fn>
Fn checkedEntry(Px_Struct* handle, int word) {
  if (handle == nullptr) {
    px_lastError = PX_ERR_INVALID_HANDLE;
    px_log("%s: invalid Px\n", contracts::kPxWords[word].name);
    return nullptr;
  }
  return entryOf<Fn>(handle, word);
}

}  // namespace qx::pictordyn

// Pointers printed in decimal, as one result line wants them.
#define PXD "%" PRIdPTR
inline std::intptr_t pxd(const void* p) {
  return reinterpret_cast<std::intptr_t>(p);
}
