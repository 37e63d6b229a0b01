// The entries of the board runtime library that the kit calls, and the table
// they are resolved into. Handles of the runtime are opaque pointers.
#pragma once

#include "../platform/library.h"

#include <cstddef>

extern "C" {
using QxBoard = void*;
using QxDesign = void*;
using QxRegister = void*;

using InitializeMultiquorlexFn = QxBoard (*)(int boardIndex);
using FreeQuorlexFn = int (*)(QxBoard board);
using GetBoardTypeFn = int (*)(QxBoard board);
using GetDesignNameFn = const char* (*)(QxBoard board);
using LoadDesignFn = QxDesign (*)(QxBoard board, const char* designName);
using UnloadDesignFn = int (*)(QxDesign design);
using SetClkFn = int (*)(QxBoard board, QxDesign design, int mhz);
using ConfigureFpgaFn = int (*)(QxBoard board, QxDesign design);
using GetPlxClkFn = int (*)(QxBoard board, QxDesign design);
using AccessPointerFn = int (*)(QxBoard board);
using GetHWStatusFn = int (*)(QxBoard board);
using GetRegisterByNameFn = QxRegister (*)(QxDesign design, const char* name);
using GetNrOfRegisterFn = int (*)(QxDesign design);
using RegisterWriteFn = int (*)(QxBoard board, QxRegister reg, int value);
using UiqrReadBufferFn = int (*)(QxBoard board, int channel, void* buffer, int count,
                                 int timeoutMs);
using UiqrWriteBufferFn = int (*)(QxBoard board, int channel, const void* buffer, int count,
                                  int timeoutMs);
using UiqrGetNrOfWordsFn = int (*)(QxBoard board, int channel);
using UiqrClearBufferFn = int (*)(QxBoard board, int channel);
}

namespace qx::contracts {

enum class RuntimeEntry : std::size_t {
  initialize_multiquorlex,
  free_quorlex,
  GetBoardType,
  GetDesignName,
  load_design,
  unload_design,
  set_plx_clk,
  set_fpga_clk,
  configure_fpga,
  get_plx_clk,
  GetAccessPointer,
  FreeAccessPointer,
  GetHWStatus,
  GetRegisterByName,
  GetNrOfRegister,
  RegisterWrite,
  UIQR_readBuffer,
  UIQR_writeBuffer,
  UIQR_getNrOfWords,
  UIQR_clearBuffer,
  Count
};

inline constexpr std::size_t kRuntimeEntryCount = static_cast<std::size_t>(RuntimeEntry::Count);
extern const char* const kRuntimeEntryNames[kRuntimeEntryCount];

// One address per runtime entry; null where the library lacks the name.
struct BoardRuntimeTable {
  void* entry[kRuntimeEntryCount] = {};

  template <typename Fn>
  Fn get(RuntimeEntry e) const {
    return reinterpret_cast<Fn>(entry[static_cast<std::size_t>(e)]);
  }
  bool has(RuntimeEntry e) const { return entry[static_cast<std::size_t>(e)] != nullptr; }
};

// Resolves every entry of the table by name from `library`.
void resolveRuntimeEntries(platform::LibraryHandle library, BoardRuntimeTable& table);

}  // namespace qx::contracts
