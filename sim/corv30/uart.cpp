#include "uart.h"

#include "camera.h"
#include "designs.h"
#include "uart_channels.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace qx::sim {
namespace {

bool has(const std::vector<std::string>& registers, const char* name) {
  return std::find(registers.begin(), registers.end(), name) != registers.end();
}

std::string reg(int uart, const char* field) {
  return std::string(uart == 0 ? "AARS232" : "ABRS232") + field;
}

// The receive buffer index of a channel, or -1.
int rxIndex(const BoardState& board, int channel) {
  if (channel == qx::contracts::kReceiveChannelA && (board.uarts & kUartA) != 0) return 0;
  if (channel == qx::contracts::kReceiveChannelB && (board.uarts & kUartB) != 0) return 1;
  return -1;
}

// Microseconds per byte, or 0 when the UART does not run.
std::int64_t byteTime(const BoardState& board, int uart) {
  const int divisor = registerValue(board, reg(uart, "Baud").c_str());
  if (registerValue(board, reg(uart, "Enable").c_str()) != 1 ||
      registerValue(board, reg(uart, "Reset").c_str()) != 0 || divisor <= 0 || board.plxClk <= 0)
    return 0;
  const int bits = registerValue(board, reg(uart, "ParOn").c_str()) != 0 ? 11 : 10;
  return std::max<std::int64_t>(1, std::int64_t{bits} * divisor / board.plxClk);
}

void dropAfter(RxChannel& rx, std::int64_t now) {
  while (rx.count > 0 && rx.arrival[rx.count - 1] > now) --rx.count;
}

}  // namespace

int uartsOfDesign(const char* design) {
  std::vector<std::string> registers;
  if (design == nullptr || !designRegisters(design, registers)) return 0;
  return (has(registers, "AARS232Enable") ? kUartA : 0) |
         (has(registers, "ABRS232Enable") ? kUartB : 0) |
         (has(registers, "AARS232PortSelect") ? kPortSelect : 0);
}

int uartWrite(BoardState& board, int boardIndex, int channel, const std::uint8_t* bytes,
              int count) {
  const int uart = channel == qx::contracts::kTransmitChannelA   ? 0
                   : channel == qx::contracts::kTransmitChannelB ? 1
                                                                 : -1;
  if (uart < 0 || (board.uarts & (uart == 0 ? kUartA : kUartB)) == 0) return -1;
  const std::int64_t perByte = byteTime(board, uart);
  if (perByte == 0) return 0;
  int camera = uart;
  if (uart == 0 && (board.uarts & kPortSelect) != 0) {
    camera = registerValue(board, "AARS232PortSelect");
    if (camera != 0 && camera != 1) return count;  // nothing on the other end
  }
  const std::string answers =
      cameraReceive(board.cameras[camera], boardIndex, camera, bytes, count);
  RxChannel& rx = board.rx[uart];
  std::int64_t at = nowMicros() + count * perByte;
  if (rx.count > 0) at = std::max(at, rx.arrival[rx.count - 1]);
  for (char c : answers) {
    if (rx.count == kRxCapacity) break;  // overrun: the rest is lost
    at += perByte;
    rx.bytes[rx.count] = static_cast<std::uint8_t>(c);
    rx.arrival[rx.count] = at;
    ++rx.count;
  }
  return count;
}

int uartArrived(BoardState& board, int channel, std::int64_t now) {
  const int i = rxIndex(board, channel);
  if (i < 0) return -1;
  const RxChannel& rx = board.rx[i];
  int n = 0;
  while (n < rx.count && rx.arrival[n] <= now) ++n;
  return n;
}

int uartTake(BoardState& board, int channel, std::uint8_t* bytes, int count, std::int64_t now) {
  const int arrived = uartArrived(board, channel, now);
  if (arrived <= 0) return arrived;
  RxChannel& rx = board.rx[rxIndex(board, channel)];
  const int n = std::min(arrived, count);
  std::memcpy(bytes, rx.bytes, static_cast<std::size_t>(n));
  std::memmove(rx.bytes, rx.bytes + n, static_cast<std::size_t>(rx.count - n));
  std::memmove(rx.arrival, rx.arrival + n,
               static_cast<std::size_t>(rx.count - n) * sizeof(std::int64_t));
  rx.count -= n;
  return n;
}

void uartClear(BoardState& board, int channel) {
  const int i = rxIndex(board, channel);
  if (i >= 0) board.rx[i].count = 0;
}

void uartRegisterWritten(BoardState& board, const char* name, int oldValue, int value) {
  if (std::strcmp(name, "AARS232PortSelect") == 0 && value != oldValue)
    dropAfter(board.rx[0], nowMicros());
  if (std::strcmp(name, "AARS232Reset") == 0 && value == 1) board.rx[0].count = 0;
  if (std::strcmp(name, "ABRS232Reset") == 0 && value == 1) board.rx[1].count = 0;
}

}  // namespace qx::sim
