// The record behind every serial reference, and the UART register handles
// it drives.
#pragma once

#include "board_runtime.h"
#include "platform/named_objects.h"

#include <cstdint>

namespace qx::clser {

// How the design on the board serves the two camera ports.
enum UartLayout : std::int32_t {
  SharedUart = 1,  // one UART, switched between the ports by a multiplexer
  DualUart = 2,    // one UART per camera port
};

// The registers of one UART; 0 where the design lacks the register.
struct UartSet {
  QxRegister enable = nullptr;
  QxRegister reset = nullptr;
  QxRegister baud = nullptr;
  QxRegister invSender = nullptr;
  QxRegister invReceiver = nullptr;
  QxRegister parOn = nullptr;
  QxRegister scaleIR = nullptr;
};

struct UartRegisters {
  QxBoard board = nullptr;
  QxDesign design = nullptr;
  UartSet portA;  // "AARS232..."
  UartSet portB;  // "ABRS232..."
  QxRegister portSelect = nullptr;
  std::int32_t layout = SharedUart;
};

constexpr int kDesignNameSize = 256;
constexpr int kSharedSlots = 8;
constexpr const char* kMutexName = "clsermutex";
constexpr const char* kSharedBlockName = "clsersharedmem";

struct SerialPort {
  QxDesign design = nullptr;
  QxBoard board = nullptr;
  std::int32_t serialIndex = 0;
  platform::NamedMutexHandle mutex = nullptr;
  platform::SharedBlockHandle mapping = nullptr;
  std::int32_t* sharedSlots = nullptr;  // kSharedSlots words, one per board
  std::int32_t uartLayout = SharedUart;
  std::int32_t hwStatus = 0;
  std::uint32_t parity = 0;
  std::int32_t baudRate = 9600;
  UartRegisters* uart = nullptr;
  std::int32_t portInBoard = 0;
  // Set by re-binding: the new design's multiplexer starts wherever the
  // design puts it, so the next selection writes it whatever the slot says.
  bool muxUnknown = false;
  char designName[kDesignNameSize] = {};

  int boardIndex() const { return serialIndex / 2; }
  // The UART this port uses under the record's layout.
  const UartSet& portUart() const;
  int receiveChannel() const;
  int transmitChannel() const;
};

}  // namespace qx::clser
