// The trace file "pictor.log": one line per call, stamped with the
// milliseconds since the trace was opened.
#pragma once

#include <cinttypes>
#include <cstdint>

#if defined(__GNUC__)
#define PX_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define PX_PRINTF(fmt, args)
#endif

// Pointers in trace lines: lower-case hexadecimal without prefix, as wide as
// a pointer. Used as "Px_FreeGrabber(" PXP ")", with pxp(pointer) as argument.
#define PXP "%" PRIxPTR
inline std::uintptr_t pxp(const void* p) {
  return reinterpret_cast<std::uintptr_t>(p);
}

// Writes one line (the stamp, then the formatted message) to the trace, if
// one is open, and flushes it. Lines of concurrent callers never mix. Never
// throws: a line too long for the memory at hand is written cut.
void px_log(const char* format, ...) noexcept PX_PRINTF(1, 2);

namespace qx::pictordyn {

// Creates "pictor.log" in the current directory anew and restarts the tick
// origin. The stream of an earlier opening is closed; when the file cannot be
// created the trace stays silent.
void openTrace();

}  // namespace qx::pictordyn
