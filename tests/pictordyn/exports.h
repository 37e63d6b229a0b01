// The export table of the grabber library: name and fixed ordinal. The
// forwarded entries' ordinals come from the entry table; the library's
// exports that are no applet entries are listed here.
#pragma once

#include "applet_table.h"

#include <array>
#include <cstddef>

namespace qx::test {

namespace detail {

struct Export {
  const char* name;
  int ordinal;
};

// Every entry of the table with its ordinal, 0 for the ones not exported.
inline constexpr Export kEntryOrdinals[] = {
#define QX_ENTRY_ORDINAL(word, name, by, role, ordinal, type) {#name, ordinal},
    QX_APPLET_ENTRIES(QX_ENTRY_ORDINAL)
#undef QX_ENTRY_ORDINAL
};

inline constexpr Export kOwnExports[] = {
    {"getLastErrorNumber", 25}, {"getErrorDescription", 26}, {"Px_InitCamera", 50}, {"Px_Init", 51},
    {"Px_InitConfig", 52},      {"Px_FreeMem", 54},          {"Px_getVersion", 61},
};

constexpr std::size_t exportedEntryCount() {
  std::size_t n = 0;
  for (const Export& e : kEntryOrdinals) n += e.ordinal != 0 ? 1 : 0;
  return n;
}

constexpr std::size_t kExportCount = exportedEntryCount() + std::size(kOwnExports);

constexpr std::array<Export, kExportCount> exports() {
  std::array<Export, kExportCount> all{};
  std::size_t n = 0;
  for (const Export& e : kEntryOrdinals) {
    if (e.ordinal != 0) all[n++] = e;
  }
  for (const Export& e : kOwnExports) all[n++] = e;
  return all;
}

}  // namespace detail

inline constexpr std::array<detail::Export, detail::kExportCount> kPictordynExports =
    detail::exports();
static_assert(kPictordynExports.size() == 59, "the grabber library exports 59 functions");

}  // namespace qx::test
