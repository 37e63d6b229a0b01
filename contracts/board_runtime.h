// The entries of the board runtime library that the kit calls, and the table
// they are resolved into. Handles of the runtime are opaque pointers.
#pragma once

#include "platform/library.h"

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

// Every runtime entry, once: each is named in the table by its export name,
// which gives both the enumerator and the name it is resolved by.
#define QX_BOARD_RUNTIME_ENTRIES(X) \
  X(initialize_multiquorlex)        \
  X(free_quorlex)                   \
  X(GetBoardType)                   \
  X(GetDesignName)                  \
  X(load_design)                    \
  X(unload_design)                  \
  X(set_plx_clk)                    \
  X(set_fpga_clk)                   \
  X(configure_fpga)                 \
  X(get_plx_clk)                    \
  X(GetAccessPointer)               \
  X(FreeAccessPointer)              \
  X(GetHWStatus)                    \
  X(GetRegisterByName)              \
  X(GetNrOfRegister)                \
  X(RegisterWrite)                  \
  X(UIQR_readBuffer)                \
  X(UIQR_writeBuffer)               \
  X(UIQR_getNrOfWords)              \
  X(UIQR_clearBuffer)

enum class RuntimeEntry : std::size_t {
#define QX_RUNTIME_ENUMERATOR(name) name,
  QX_BOARD_RUNTIME_ENTRIES(QX_RUNTIME_ENUMERATOR)
#undef QX_RUNTIME_ENUMERATOR
      Count
};

inline constexpr std::size_t kRuntimeEntryCount = static_cast<std::size_t>(RuntimeEntry::Count);
inline constexpr const char* kRuntimeEntryNames[kRuntimeEntryCount] = {
#define QX_RUNTIME_NAME(name) #name,
    QX_BOARD_RUNTIME_ENTRIES(QX_RUNTIME_NAME)
#undef QX_RUNTIME_NAME
};

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
