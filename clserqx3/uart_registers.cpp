#include "uart_registers.h"

#include "runtime.h"

#include <cstdio>

namespace qx::clser {
namespace {

constexpr int kScaleIR = 7;

QxRegister find(QxDesign design, const char* name) {
  return rt<GetRegisterByNameFn>(RuntimeEntry::GetRegisterByName)(design, name);
}

void lookUp(UartSet& set, QxDesign design, const char* prefix) {
  char name[40];
  auto one = [&](const char* field) {
    std::snprintf(name, sizeof name, "%s%s", prefix, field);
    return find(design, name);
  };
  set.enable = one("Enable");
  set.reset = one("Reset");
  set.baud = one("Baud");
  set.invSender = one("InvSender");
  set.invReceiver = one("InvReceiver");
  set.parOn = one("ParOn");
  set.scaleIR = one("scaleIR");
}

}  // namespace

UartLayout lookUpRegisters(UartRegisters& uart, QxDesign design) {
  const UartLayout layout = find(design, "ABDMA1Support") != nullptr ? DualUart : SharedUart;
  lookUp(uart.portA, design, "AARS232");
  lookUp(uart.portB, design, "ABRS232");
  uart.portSelect = find(design, "AARS232PortSelect");
  return layout;
}

const UartSet& SerialPort::portUart() const {
  return uartLayout == DualUart && portInBoard == 1 ? uart->portB : uart->portA;
}

int SerialPort::receiveChannel() const {
  return uartLayout == DualUart && portInBoard == 1 ? kReceiveChannelB : kReceiveChannelA;
}

int SerialPort::transmitChannel() const {
  return uartLayout == DualUart && portInBoard == 1 ? kTransmitChannelB : kTransmitChannelA;
}

void writeRegister(QxBoard board, QxRegister reg, int value) {
  if (reg != nullptr) rt<RegisterWriteFn>(RuntimeEntry::RegisterWrite)(board, reg, value);
}

int uartDivisor(int clockMhz, int rate) {
  if (rate <= 0) return 0;
  return static_cast<int>(static_cast<long long>(clockMhz) * 1000000 / rate);
}

void programUart(const SerialPort& port, int rate) {
  const UartSet& u = port.portUart();
  const QxBoard board = port.board;
  writeRegister(board, u.enable, 0);
  const int clock = rt<GetPlxClkFn>(RuntimeEntry::get_plx_clk)(board, port.design);
  writeRegister(board, u.baud, uartDivisor(clock, rate));
  writeRegister(board, u.invSender, 0);
  writeRegister(board, u.invReceiver, 0);
  writeRegister(board, u.reset, 1);
  writeRegister(board, u.reset, 0);
  writeRegister(board, u.enable, 1);
}

void writeParity(const SerialPort& port, std::uint32_t parityOn) {
  writeRegister(port.board, port.portUart().parOn, parityOn != 0 ? 1 : 0);
}

void writeScaleIR(const SerialPort& port) {
  writeRegister(port.board, port.portUart().scaleIR, kScaleIR);
}

}  // namespace qx::clser
