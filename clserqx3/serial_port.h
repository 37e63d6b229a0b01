// The record behind every serial reference, and the UART register handles
// it drives.
#pragma once

#include "board_runtime.h"
#include "platform/named_objects.h"
#include "uart_channels.h"

#include <atomic>
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

// The register handles of the design the record is bound to; board, design
// and layout are the record's own (SerialPort).
struct UartRegisters {
  UartSet portA;  // "AARS232..."
  UartSet portB;  // "ABRS232..."
  QxRegister portSelect = nullptr;
};

// Serial index kPortsPerBoard x board + port: boards 0 to 3 open, so indices
// up to kLastOpenableIndex; identifiers are answered one index further.
constexpr int kPortsPerBoard = 2;
constexpr unsigned kLastOpenableIndex = 7;
constexpr unsigned kLastIdentifiedIndex = 8;

// The runtime's channels of camera port A's and port B's UART.
using contracts::kReceiveChannelA;
using contracts::kReceiveChannelB;
using contracts::kTransmitChannelA;
using contracts::kTransmitChannelB;

constexpr int kDesignNameSize = 256;
constexpr int kSharedSlots = 8;
constexpr const char* kMutexName = "clsermutex";
constexpr const char* kSharedBlockName = "clsersharedmem";
// What a slot holds while no process of this run has switched the board's
// multiplexer: the register may stand on either port (a run before may have
// left it on camera port B), so the next selection on the board writes it.
// Any value other than 0 and 1 has that effect on every reader of the block.
constexpr std::int32_t kUnknownPort = -1;

struct SerialPort {
  QxDesign design = nullptr;
  QxBoard board = nullptr;
  std::int32_t serialIndex = 0;
  platform::NamedMutexHandle mutex = nullptr;
  platform::SharedBlockHandle mapping = nullptr;
  std::int32_t* sharedSlots = nullptr;  // kSharedSlots words, one per board
  // The fields below may be read by one thread of a reference while another
  // rebinds or sets the rate; each is one atomic word. Register handles are
  // only touched under the board access lock.
  std::atomic<std::int32_t> uartLayout{SharedUart};
  std::atomic<std::int32_t> hwStatus{0};
  std::atomic<std::uint32_t> parity{0};
  std::atomic<std::int32_t> baudRate{9600};
  UartRegisters* uart = nullptr;
  std::int32_t portInBoard = 0;
  // The multiplexer may not stand where the slot says: set for a new
  // reference (the design may have been run again since the slot was
  // written, which puts the multiplexer back on port A) and after
  // re-binding (the new design starts wherever it puts it). The next
  // selection then writes the register whatever the slot says.
  std::atomic<bool> muxUnknown{true};
  char designName[kDesignNameSize] = {};

  int boardIndex() const { return serialIndex / kPortsPerBoard; }
  // The UART this port uses under the record's layout.
  const UartSet& portUart() const;
  int receiveChannel() const;
  int transmitChannel() const;
};

}  // namespace qx::clser
