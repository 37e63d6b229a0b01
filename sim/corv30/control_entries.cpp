// Entries that only the simulator has: they let a test act as the hardware
// or another application would, from outside the library under test.
#include "journal.h"
#include "machine.h"
#include "sim_export.h"

using namespace qx::sim;

// Sets board `boardIndex`'s hardware status word, as a reconfiguration
// through another application would.
SIM_EXPORT int corv30sim_setHWStatus(int boardIndex, int status) {
  MachineLock machine;
  BoardState* state = machine.board(boardIndex);
  if (state == nullptr) return -1;
  journal("sim: board %d status %d", boardIndex, status);
  state->hwStatus = status;
  return 0;
}

// Makes the board run another design (null or "" for none); the status word
// changes.
SIM_EXPORT int corv30sim_runDesign(int boardIndex, const char* design) {
  MachineLock machine;
  BoardState* state = machine.board(boardIndex);
  if (state == nullptr) return -1;
  journal("sim: board %d runs %s", boardIndex, design != nullptr && *design ? design : "none");
  runDesign(*state, design);
  return 0;
}

// The value of a register of the board's running design (0 if never
// written).
SIM_EXPORT int corv30sim_registerValue(int boardIndex, const char* name) {
  MachineLock machine;
  BoardState* state = machine.board(boardIndex);
  return state != nullptr && name != nullptr ? registerValue(*state, name) : 0;
}

// Takes board `boardIndex` out of the machine, as a board that fails or is
// pulled while applications hold it: from now on every runtime entry fails
// for it, in every process.
SIM_EXPORT int corv30sim_removeBoard(int boardIndex) {
  MachineLock machine;
  BoardState* state = machine.board(boardIndex);
  if (state == nullptr) return -1;
  journal("sim: board %d removed", boardIndex);
  state->removed = 1;
  return 0;
}
