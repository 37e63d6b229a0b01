// Registers and the UART channel buffers of the simulated runtime.
#include "board.h"
#include "designs.h"
#include "journal.h"
#include "machine.h"
#include "sim_export.h"
#include "uart.h"
#include "uart_channels.h"

#include <chrono>
#include <thread>

using namespace qx::sim;

SIM_EXPORT void* GetRegisterByName(void* design, const char* name) {
  void* reg = registerHandle(design, name);
  const LoadedDesign* loaded = findDesign(design);
  journal("GetRegisterByName(%s, %s)%s", loaded != nullptr ? loaded->name.c_str() : "invalid",
          name != nullptr ? name : "null", reg == nullptr ? " = 0" : "");
  return reg;
}

SIM_EXPORT int GetNrOfRegister(void* design) {
  const LoadedDesign* loaded = findDesign(design);
  return loaded != nullptr ? static_cast<int>(loaded->registers.size()) : -1;
}

SIM_EXPORT int RegisterWrite(void* handle, void* reg, int value) {
  const int index = boardIndexOf(handle);
  const LoadedDesign* design = nullptr;
  std::string name;
  if (reg == nullptr || !resolveRegister(reg, design, name)) {
    journal("RegisterWrite(%d, %s, %d) = -1", index, reg == nullptr ? "null" : "invalid", value);
    return -1;
  }
  MachineLock machine;
  BoardState* state = machine.board(index);
  if (state == nullptr || design->name != state->design) {
    // The register belongs to a design that the board does not run.
    journal("RegisterWrite(%d, %s, %d) = -1 (%s not running)", index, name.c_str(), value,
            design->name.c_str());
    return -1;
  }
  journal("RegisterWrite(%d, %s, %d)", index, name.c_str(), value);
  const int old = registerValue(*state, name.c_str());
  setRegisterValue(*state, name.c_str(), value);
  uartRegisterWritten(*state, name.c_str(), old, value);
  return 0;
}

SIM_EXPORT int UIQR_writeBuffer(void* handle, int channel, const void* buffer, int count,
                                int timeoutMs) {
  const int index = boardIndexOf(handle);
  int result = -1;
  if (count >= 0 && count <= 32 && (buffer != nullptr || count == 0)) {
    MachineLock machine;
    BoardState* state = machine.board(index);
    if (state != nullptr)
      result = uartWrite(*state, index, channel, static_cast<const std::uint8_t*>(buffer), count);
  }
  journal("UIQR_writeBuffer(%d, %d, %d, %d) = %d", index, channel, count, timeoutMs, result);
  return result;
}

// Waits until `count` bytes have arrived or the time-out has passed; gives
// what arrived by then, or -1 when nothing did.
SIM_EXPORT int UIQR_readBuffer(void* handle, int channel, void* buffer, int count, int timeoutMs) {
  const int index = boardIndexOf(handle);
  int result = -1;
  if (buffer != nullptr && count >= 0) {
    const std::int64_t deadline = nowMicros() + std::int64_t{timeoutMs > 0 ? timeoutMs : 0} * 1000;
    for (;;) {
      const std::int64_t now = nowMicros();
      {
        MachineLock machine;
        BoardState* state = machine.board(index);
        const int arrived = state != nullptr ? uartArrived(*state, channel, now) : -1;
        if (arrived < 0) break;
        if (arrived >= count || now >= deadline) {
          if (arrived > 0 || count == 0)
            result = uartTake(*state, channel, static_cast<std::uint8_t*>(buffer), count, now);
          break;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  journal("UIQR_readBuffer(%d, %d, %d, %d) = %d", index, channel, count, timeoutMs, result);
  return result;
}

SIM_EXPORT int UIQR_getNrOfWords(void* handle, int channel) {
  const int index = boardIndexOf(handle);
  int result = -1;
  {
    MachineLock machine;
    BoardState* state = machine.board(index);
    if (state != nullptr) {
      if (channel == qx::contracts::kTransmitChannelA ||
          channel == qx::contracts::kTransmitChannelB)
        result = 0;  // transmitted bytes leave at once
      else
        result = uartArrived(*state, channel, nowMicros());
    }
  }
  journal("UIQR_getNrOfWords(%d, %d) = %d", index, channel, result);
  return result;
}

SIM_EXPORT int UIQR_clearBuffer(void* handle, int channel) {
  const int index = boardIndexOf(handle);
  journal("UIQR_clearBuffer(%d, %d)", index, channel);
  MachineLock machine;
  BoardState* state = machine.board(index);
  if (state == nullptr) return -1;
  uartClear(*state, channel);
  return 0;
}
