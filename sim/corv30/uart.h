// The UARTs of a board's running design as the channel buffer entries see
// them: channel 1 receives and channel 4 transmits through UART A
// (registers "AARS232..."), channels 2 and 5 through UART B ("ABRS232...").
// UART A reaches the camera that "AARS232PortSelect" selects when the
// design has that multiplexer, camera port A otherwise; UART B reaches
// camera port B. A UART moves bytes only while it is enabled, out of reset
// and has a divisor; each byte then takes 10 bit times (11 with parity) at
// local-bus clock / divisor.
#pragma once

#include "machine.h"

#include <cstdint>

namespace qx::sim {

// What a design has: UART A, UART B, the multiplexer of UART A.
constexpr int kUartA = 1;
constexpr int kUartB = 2;
constexpr int kPortSelect = 4;
int uartsOfDesign(const char* design);

// Sends bytes to the camera; the bytes handed over, 0 when the UART is
// stopped, -1 for a channel the design has no UART for.
int uartWrite(BoardState& board, int board_index, int channel, const std::uint8_t* bytes,
              int count);
// Bytes of a receive channel that have fully arrived by `now`; -1 for a
// channel without UART.
int uartArrived(BoardState& board, int channel, std::int64_t now);
// Takes up to `count` arrived bytes.
int uartTake(BoardState& board, int channel, std::uint8_t* bytes, int count, std::int64_t now);
// Discards what a receive channel holds, arrived or under way.
void uartClear(BoardState& board, int channel);
// Register side effects: a reset pulse empties the UART's receive buffer; a
// multiplexer switch loses the bytes still under way from the old camera.
void uartRegisterWritten(BoardState& board, const char* name, int oldValue, int value);

}  // namespace qx::sim
