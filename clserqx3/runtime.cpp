#include "runtime.h"

#include <mutex>

namespace qx::clser {
namespace {

contracts::BoardRuntimeTable& table() {
  static contracts::BoardRuntimeTable t;
  return t;
}

// Every entry this library calls; a runtime without one of them serves no
// board.
constexpr RuntimeEntry kCalled[] = {
    RuntimeEntry::initialize_multiquorlex,
    RuntimeEntry::free_quorlex,
    RuntimeEntry::GetDesignName,
    RuntimeEntry::load_design,
    RuntimeEntry::unload_design,
    RuntimeEntry::set_plx_clk,
    RuntimeEntry::set_fpga_clk,
    RuntimeEntry::configure_fpga,
    RuntimeEntry::get_plx_clk,
    RuntimeEntry::GetAccessPointer,
    RuntimeEntry::FreeAccessPointer,
    RuntimeEntry::GetHWStatus,
    RuntimeEntry::GetRegisterByName,
    RuntimeEntry::RegisterWrite,
    RuntimeEntry::UIQR_readBuffer,
    RuntimeEntry::UIQR_writeBuffer,
    RuntimeEntry::UIQR_getNrOfWords,
    RuntimeEntry::UIQR_clearBuffer,
};

}  // namespace

QxBoard openBoard(int boardIndex) {
  platform::LibraryHandle module = platform::loadLibrary(platform::kBoardRuntimeLibrary);
  if (module == nullptr) return nullptr;
  contracts::BoardRuntimeTable resolved;
  contracts::resolveRuntimeEntries(module, resolved);
  for (RuntimeEntry e : kCalled)
    if (!resolved.has(e)) return nullptr;
  {
    // Bound once: the library is never released, so every later binding
    // finds the same addresses, and open ports read the table unguarded.
    static std::mutex lock;
    static bool bound = false;
    std::lock_guard<std::mutex> guard(lock);
    if (!bound) table() = resolved;
    bound = true;
  }
  return rt<InitializeMultiquorlexFn>(RuntimeEntry::initialize_multiquorlex)(boardIndex);
}

const contracts::BoardRuntimeTable& runtime() {
  return table();
}

AccessLock::AccessLock(QxBoard board) : board_(board) {
  rt<AccessPointerFn>(RuntimeEntry::GetAccessPointer)(board_);
}

AccessLock::~AccessLock() {
  rt<AccessPointerFn>(RuntimeEntry::FreeAccessPointer)(board_);
}

}  // namespace qx::clser
