// Designs, clocks, the status word and the board access lock of the
// simulated runtime.
#include "board.h"
#include "designs.h"
#include "journal.h"
#include "machine.h"
#include "sim_export.h"

using namespace qx::sim;

namespace {

const char* nameOf(void* design) {
  if (design == nullptr) return "null";
  const LoadedDesign* loaded = findDesign(design);
  return loaded != nullptr ? loaded->name.c_str() : "invalid";
}

}  // namespace

SIM_EXPORT const char* GetDesignName(void* handle) {
  auto* board = static_cast<SimBoard*>(handle);
  if (board == nullptr) return nullptr;
  {
    MachineLock machine;
    BoardState* state = machine.board(board->index);
    board->designName = state != nullptr ? state->design : "";
  }
  if (board->designName.empty()) {
    journal("GetDesignName(%d) = null", board->index);
    return nullptr;
  }
  journal("GetDesignName(%d) = %s", board->index, board->designName.c_str());
  return board->designName.c_str();
}

SIM_EXPORT void* load_design(void* handle, const char* name) {
  const int index = boardIndexOf(handle);
  void* design = index >= 0 && name != nullptr ? loadDesign(index, name) : nullptr;
  if (design == nullptr)
    journal("load_design(%d, %s) = 0", index, name != nullptr ? name : "null");
  else
    journal("load_design(%d, %s)", index, name);
  return design;
}

SIM_EXPORT int unload_design(void* design) {
  journal("unload_design(%s)", nameOf(design));
  return unloadDesign(design) ? 0 : -1;
}

SIM_EXPORT int set_plx_clk(void* handle, void* design, int mhz) {
  const int index = boardIndexOf(handle);
  journal("set_plx_clk(%d, %s, %d)", index, nameOf(design), mhz);
  MachineLock machine;
  BoardState* state = machine.board(index);
  if (state == nullptr || mhz <= 0) return -1;
  state->plxClk = mhz;
  return 0;
}

SIM_EXPORT int set_fpga_clk(void* handle, void* design, int mhz) {
  const int index = boardIndexOf(handle);
  journal("set_fpga_clk(%d, %s, %d)", index, nameOf(design), mhz);
  MachineLock machine;
  BoardState* state = machine.board(index);
  if (state == nullptr || mhz <= 0) return -1;
  state->fpgaClk = mhz;
  return 0;
}

SIM_EXPORT int get_plx_clk(void* handle, void* design) {
  const int index = boardIndexOf(handle);
  int clk = 0;
  {
    MachineLock machine;
    BoardState* state = machine.board(index);
    if (state != nullptr) clk = state->plxClk;
  }
  journal("get_plx_clk(%d, %s) = %d", index, nameOf(design), clk);
  return clk;
}

SIM_EXPORT int configure_fpga(void* handle, void* design) {
  const int index = boardIndexOf(handle);
  journal("configure_fpga(%d, %s)", index, nameOf(design));
  const LoadedDesign* loaded = findDesign(design);
  if (loaded == nullptr) return -1;
  MachineLock machine;
  BoardState* state = machine.board(index);
  if (state == nullptr) return -1;
  runDesign(*state, loaded->name.c_str());
  return 0;
}

SIM_EXPORT int GetHWStatus(void* handle) {
  const int index = boardIndexOf(handle);
  int status = 0;
  {
    MachineLock machine;
    BoardState* state = machine.board(index);
    if (state != nullptr) status = state->hwStatus;
  }
  journal("GetHWStatus(%d) = %d", index, status);
  return status;
}

SIM_EXPORT int GetAccessPointer(void* handle) {
  const int index = boardIndexOf(handle);
  lockBoardAccess(index);
  journal("GetAccessPointer(%d)", index);
  return 0;
}

SIM_EXPORT int FreeAccessPointer(void* handle) {
  const int index = boardIndexOf(handle);
  journal("FreeAccessPointer(%d)", index);
  unlockBoardAccess(index);
  return 0;
}
