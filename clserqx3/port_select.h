// The camera-port multiplexer of designs with one UART for both camera
// ports. Which port each board's multiplexer was last switched to is kept in
// the shared block, one slot per board, for all processes; the named mutex
// guards it. A port holds the mutex from its selection until the transfer
// that follows has ended, so that no other process switches the multiplexer
// under a transfer. The mutex is always taken before the board access lock.
#pragma once

#include "serial_port.h"

namespace qx::clser {

// Switches the multiplexer to `port` unless the slot shows it there already
// (or always, when forced), and records the switch in the slot. The caller
// holds the named mutex.
void selectPortLocked(SerialPort& record, int port, bool forced);

// The selection for one transfer: takes the mutex and selects the record's
// port; the mutex is given back when the object goes, after the transfer.
// Designs with a UART per camera port need neither.
class TransferSelection {
 public:
  explicit TransferSelection(SerialPort& record);
  ~TransferSelection();
  TransferSelection(const TransferSelection&) = delete;
  TransferSelection& operator=(const TransferSelection&) = delete;

 private:
  SerialPort& record_;
  bool held_ = false;
};

}  // namespace qx::clser
