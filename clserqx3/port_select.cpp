#include "port_select.h"

#include "runtime.h"
#include "uart_registers.h"

namespace qx::clser {

void selectPortLocked(SerialPort& record, int port, bool forced) {
  if (record.uartLayout == DualUart) return;
  std::int32_t& slot = record.sharedSlots[record.boardIndex()];
  if (record.muxUnknown.exchange(false)) forced = true;
  if (!forced && slot == port) return;
  AccessLock lock(record.board);
  if (port == 0 || port == 1) writeRegister(record.board, record.uart->portSelect, port);
  slot = port;
}

TransferSelection::TransferSelection(SerialPort& record) : record_(record) {
  if (record_.uartLayout == DualUart) return;
  held_ = platform::lockNamedMutex(record_.mutex);
  selectPortLocked(record_, record_.portInBoard, false);
}

TransferSelection::~TransferSelection() {
  if (held_) platform::unlockNamedMutex(record_.mutex);
}

}  // namespace qx::clser
