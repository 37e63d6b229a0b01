#include "board_runtime.h"

namespace qx::contracts {

const char* const kRuntimeEntryNames[kRuntimeEntryCount] = {
    "initialize_multiquorlex",
    "free_quorlex",
    "GetBoardType",
    "GetDesignName",
    "load_design",
    "unload_design",
    "set_plx_clk",
    "set_fpga_clk",
    "configure_fpga",
    "get_plx_clk",
    "GetAccessPointer",
    "FreeAccessPointer",
    "GetHWStatus",
    "GetRegisterByName",
    "GetNrOfRegister",
    "RegisterWrite",
    "UIQR_readBuffer",
    "UIQR_writeBuffer",
    "UIQR_getNrOfWords",
    "UIQR_clearBuffer",
};

void resolveRuntimeEntries(platform::LibraryHandle library, BoardRuntimeTable& table) {
  for (std::size_t i = 0; i < kRuntimeEntryCount; ++i)
    table.entry[i] = platform::resolveSymbol(library, kRuntimeEntryNames[i]);
}

}  // namespace qx::contracts
