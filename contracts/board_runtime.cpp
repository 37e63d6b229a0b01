#include "board_runtime.h"

namespace qx::contracts {

void resolveRuntimeEntries(platform::LibraryHandle library, BoardRuntimeTable& table) {
  for (std::size_t i = 0; i < kRuntimeEntryCount; ++i)
    table.entry[i] = platform::resolveSymbol(library, kRuntimeEntryNames[i]);
}

}  // namespace qx::contracts
