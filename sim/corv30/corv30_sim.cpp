// Simulated board runtime library: boards and their types, configured by
// QUORLEX_SIM ("boards = N", "board<i>.type = 163|2609", "board<i>.present =
// 0"), every call journaled. Designs, registers, clocks and the UART
// channels are in the neighbouring files.
#include "board.h"
#include "journal.h"
#include "sim_config.h"
#include "sim_export.h"

namespace {

constexpr int kStandardBoard = 163;

}  // namespace

using qx::sim::journal;
using qx::sim::SimBoard;
using qx::sim::SimConfig;

SIM_EXPORT void* initialize_multiquorlex(int boardIndex) {
  const SimConfig config = SimConfig::fromEnvironment();
  const int boards = config.number("boards", 1);
  // "board<i>.present = 0" leaves a gap in the board sequence.
  const bool present = config.number("board" + std::to_string(boardIndex) + ".present", 1) != 0;
  if (boardIndex < 0 || boardIndex >= boards || !present) {
    journal("initialize_multiquorlex(%d) = null", boardIndex);
    return nullptr;
  }
  auto* board =
      new SimBoard{boardIndex,
                   config.number("board" + std::to_string(boardIndex) + ".type", kStandardBoard),
                   {}};
  journal("initialize_multiquorlex(%d)", boardIndex);
  return board;
}

SIM_EXPORT int free_quorlex(void* handle) {
  auto* board = static_cast<SimBoard*>(handle);
  if (board == nullptr) return -1;
  journal("free_quorlex(%d)", board->index);
  delete board;
  return 0;
}

SIM_EXPORT int GetBoardType(void* handle) {
  auto* board = static_cast<SimBoard*>(handle);
  if (board == nullptr) return 0;
  journal("GetBoardType(%d) = %d", board->index, board->type);
  return board->type;
}
