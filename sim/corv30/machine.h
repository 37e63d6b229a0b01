// The simulated machine: the state of every simulated board that real
// hardware would hold (running design, registers, clocks, status word, UART
// receive buffers, the cameras on the camera ports). It lives in a named
// shared block, so that every process that uses the same simulator
// configuration file talks to the same boards, as processes on one machine
// share one set of hardware.
#pragma once

#include <cstdint>

namespace qx::sim {

constexpr int kMaxBoards = 8;
constexpr int kRxCapacity = 2048;
constexpr int kMaxRegisters = 40;
constexpr int kCameraValues = 8;
constexpr int kDesignNameSize = 512;

struct RegisterValue {
  char name[32];
  int value;
};

// Bytes that a camera sent towards one UART, each with the time it has fully
// arrived at the rate the UART runs.
struct RxChannel {
  int count;
  std::uint8_t bytes[kRxCapacity];
  std::int64_t arrival[kRxCapacity];
};

struct CameraState {
  char line[128];
  int lineLength;
  char keys[kCameraValues][16];
  char values[kCameraValues][32];
};

struct BoardState {
  char design[kDesignNameSize];  // running design; empty when none runs
  int uarts;                     // what the running design has, see uart.h
  int hwStatus;
  int plxClk;
  int fpgaClk;
  int registerCount;
  RegisterValue registers[kMaxRegisters];
  RxChannel rx[2];         // UART A, UART B
  CameraState cameras[2];  // camera port A, camera port B
  int removed;             // taken out of the machine: every entry fails for it
};

struct MachineState {
  int initialized;
  BoardState boards[kMaxBoards];
};

// Holds the machine's lock for its lifetime; all access to the state goes
// through one.
class MachineLock {
 public:
  MachineLock();
  ~MachineLock();
  MachineLock(const MachineLock&) = delete;
  MachineLock& operator=(const MachineLock&) = delete;

  // The board's state, or null for an index the machine does not have.
  BoardState* board(int index);

 private:
  MachineState* state_;
};

// The board access lock: one per board, shared by all processes, which the
// same thread may take again while it holds it.
void lockBoardAccess(int board);
void unlockBoardAccess(int board);

// Microseconds of a clock that every process on the machine shares.
std::int64_t nowMicros();

// Register values of a board; registers never written read as 0.
int registerValue(const BoardState& board, const char* name);
void setRegisterValue(BoardState& board, const char* name, int value);

// The board starts running `design` (empty: none): its registers and UART
// buffers start afresh and the status word changes.
void runDesign(BoardState& board, const char* design);

}  // namespace qx::sim
