// The channel numbers of the board runtime's UART transfers (UIQR_* entries):
// receive and transmit of camera port A's UART (the only one of a
// shared-UART design) and of camera port B's. The serial library calls the
// runtime with them and the simulated runtime answers on them.
#pragma once

namespace qx::contracts {

constexpr int kReceiveChannelA = 1;
constexpr int kReceiveChannelB = 2;
constexpr int kTransmitChannelA = 4;
constexpr int kTransmitChannelB = 5;

}  // namespace qx::contracts
