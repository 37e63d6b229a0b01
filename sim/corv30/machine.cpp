#include "machine.h"

#include "platform/named_objects.h"
#include "sim_config.h"
#include "uart.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qx::sim {
namespace {

constexpr int kDefaultPlxClk = 60;
constexpr int kDefaultFpgaClk = 100;

// Processes that read the same configuration file share one machine; without
// one, each process has its own.
std::string machineName() {
  const char* config = std::getenv("QUORLEX_SIM");
  std::uint32_t hash = 2166136261u;
  std::string key = config != nullptr && *config != '\0'
                        ? std::string(config)
                        : "process" + std::to_string(reinterpret_cast<std::uintptr_t>(&hash)) +
                              "-" + std::to_string(nowMicros());
  for (unsigned char c : key) hash = (hash ^ c) * 16777619u;
  char name[48];
  std::snprintf(name, sizeof name, "corv30sim-%08x", hash);
  return name;
}

void initialise(MachineState& state) {
  const SimConfig config = SimConfig::fromEnvironment();
  for (int i = 0; i < kMaxBoards; ++i) {
    BoardState& board = state.boards[i];
    const std::string prefix = "board" + std::to_string(i) + ".";
    std::string design = config.text(prefix + "design", "dual_uart.hap");
    if (design == "none") design.clear();
    std::snprintf(board.design, sizeof board.design, "%s", design.c_str());
    board.uarts = uartsOfDesign(board.design);
    board.hwStatus = config.number(prefix + "hwstatus", 0);
    board.plxClk = config.number(prefix + "plxclk", kDefaultPlxClk);
    board.fpgaClk = config.number(prefix + "fpgaclk", kDefaultFpgaClk);
    board.removed = 0;
  }
  state.initialized = 1;
}

class Machine {
 public:
  Machine() {
    const std::string name = machineName();
    block_ = platform::openSharedBlock(name.c_str(), sizeof(MachineState), nullptr);
    lock_ = platform::openNamedMutex((name + "-state").c_str());
    for (int i = 0; i < kMaxBoards; ++i)
      access_[i] = platform::openNamedMutex((name + "-access" + std::to_string(i)).c_str());
    if (block_ == nullptr || lock_ == nullptr) std::abort();
  }
  ~Machine() {
    for (auto* m : access_) platform::closeNamedMutex(m);
    platform::closeNamedMutex(lock_);
    platform::closeSharedBlock(block_);
  }

  MachineState* state() { return static_cast<MachineState*>(platform::sharedBlockView(block_)); }
  platform::NamedMutexHandle lock() const { return lock_; }
  platform::NamedMutexHandle access(int board) const { return access_[board]; }

 private:
  platform::SharedBlockHandle block_ = nullptr;
  platform::NamedMutexHandle lock_ = nullptr;
  platform::NamedMutexHandle access_[kMaxBoards] = {};
};

Machine& machine() {
  static Machine m;
  return m;
}

}  // namespace

MachineLock::MachineLock() {
  platform::lockNamedMutex(machine().lock());
  state_ = machine().state();
  if (!state_->initialized) initialise(*state_);
}

MachineLock::~MachineLock() {
  platform::unlockNamedMutex(machine().lock());
}

BoardState* MachineLock::board(int index) {
  if (index < 0 || index >= kMaxBoards || state_->boards[index].removed != 0) return nullptr;
  return &state_->boards[index];
}

void lockBoardAccess(int board) {
  if (board >= 0 && board < kMaxBoards) platform::lockNamedMutex(machine().access(board));
}

void unlockBoardAccess(int board) {
  if (board >= 0 && board < kMaxBoards) platform::unlockNamedMutex(machine().access(board));
}

std::int64_t nowMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int registerValue(const BoardState& board, const char* name) {
  for (int i = 0; i < board.registerCount; ++i)
    if (std::strcmp(board.registers[i].name, name) == 0) return board.registers[i].value;
  return 0;
}

void setRegisterValue(BoardState& board, const char* name, int value) {
  for (int i = 0; i < board.registerCount; ++i) {
    if (std::strcmp(board.registers[i].name, name) == 0) {
      board.registers[i].value = value;
      return;
    }
  }
  if (board.registerCount == kMaxRegisters) return;
  RegisterValue& r = board.registers[board.registerCount++];
  std::snprintf(r.name, sizeof r.name, "%s", name);
  r.value = value;
}

void runDesign(BoardState& board, const char* design) {
  std::snprintf(board.design, sizeof board.design, "%s", design != nullptr ? design : "");
  board.uarts = uartsOfDesign(board.design);
  board.registerCount = 0;
  board.rx[0].count = 0;
  board.rx[1].count = 0;
  board.cameras[0].lineLength = 0;
  board.cameras[1].lineLength = 0;
  ++board.hwStatus;
}

}  // namespace qx::sim
