// The simulators' call journal: one line per call, appended to the file
// named by QUORLEX_SIM_JOURNAL, so that tests can assert what was called, in
// which order and with which arguments. Without the variable nothing is
// written.
#pragma once

#if defined(__GNUC__)
#define SIM_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define SIM_PRINTF(fmt, args)
#endif

namespace qx::sim {

void journal(const char* format, ...) SIM_PRINTF(1, 2);

}  // namespace qx::sim
