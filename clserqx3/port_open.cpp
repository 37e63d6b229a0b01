#include "port_open.h"

#include <quorlex/clserqx3.h>
#include "port_select.h"
#include "runtime.h"
#include "uart_registers.h"

#include <cstring>
#include <memory>
#include <new>

namespace qx::clser {
namespace {

constexpr const char* kOwnDesign = "clser.hap";
constexpr int kPlxClkMhz = 60;
constexpr int kFpgaClkMhz = 100;
constexpr int kOpeningRate = 9600;

// Loads the design the board runs; on a board that runs none, loads our own
// serial design and puts it into the FPGA. Null when the name does not fit
// the name buffer or the design cannot be loaded.
QxDesign bindBoardDesign(SerialPort& record, bool* configured = nullptr) {
  if (configured != nullptr) *configured = false;
  const char* name = rt<GetDesignNameFn>(RuntimeEntry::GetDesignName)(record.board);
  const bool boardHasDesign = name != nullptr;
  if (!boardHasDesign) name = kOwnDesign;
  const std::size_t length = strnlen(name, kDesignNameSize);
  if (length >= static_cast<std::size_t>(kDesignNameSize)) return nullptr;
  std::memcpy(record.designName, name, length + 1);
  QxDesign design = rt<LoadDesignFn>(RuntimeEntry::load_design)(record.board, record.designName);
  if (design != nullptr && !boardHasDesign) {
    rt<SetClkFn>(RuntimeEntry::set_plx_clk)(record.board, design, kPlxClkMhz);
    rt<SetClkFn>(RuntimeEntry::set_fpga_clk)(record.board, design, kFpgaClkMhz);
    rt<ConfigureFpgaFn>(RuntimeEntry::configure_fpga)(record.board, design);
    if (configured != nullptr) *configured = true;
  }
  return design;
}

void releaseRecord(SerialPort* record) {
  if (record->design != nullptr) rt<UnloadDesignFn>(RuntimeEntry::unload_design)(record->design);
  if (record->board != nullptr) rt<FreeQuorlexFn>(RuntimeEntry::free_quorlex)(record->board);
  platform::closeNamedMutex(record->mutex);
  platform::closeSharedBlock(record->mapping);
  delete record->uart;
  delete record;
}

struct RecordReleaser {
  void operator()(SerialPort* record) const noexcept { releaseRecord(record); }
};

// The named mutex held for one scope of an opening.
class NamedMutexHold {
 public:
  explicit NamedMutexHold(platform::NamedMutexHandle mutex)
      : mutex_(mutex), held_(platform::lockNamedMutex(mutex)) {}
  ~NamedMutexHold() {
    if (held_) platform::unlockNamedMutex(mutex_);
  }
  NamedMutexHold(const NamedMutexHold&) = delete;
  NamedMutexHold& operator=(const NamedMutexHold&) = delete;

 private:
  platform::NamedMutexHandle mutex_;
  bool held_;
};

// The status of an opening that could not have the named objects: another
// user's process holds them and we may not use them, or the system has no
// room for them.
int namedObjectStatus() {
  return platform::lastNamedObjectFailure() == platform::NamedObjectFailure::AccessDenied
             ? CL_ERR_PORT_IN_USE
             : CL_ERR_OUT_OF_MEMORY;
}

// Rate, parity and scaleIR of the record on the port's UART; the caller
// holds the board access lock.
void applySettings(SerialPort& record) {
  programUart(record, record.baudRate);
  writeParity(record, record.parity);
  writeScaleIR(record);
}

}  // namespace

int openPort(int serialIndex, SerialPort*& out) {
  const QxBoard board = openBoard(serialIndex / kPortsPerBoard);
  if (board == nullptr) return CLSER_ERR_NO_BOARD;
  // Owned until it is handed out: an early return or an exception (from an
  // allocation, or from the runtime) releases all it holds so far.
  std::unique_ptr<SerialPort, RecordReleaser> record(new (std::nothrow) SerialPort);
  if (record == nullptr) {
    rt<FreeQuorlexFn>(RuntimeEntry::free_quorlex)(board);
    return CL_ERR_OUT_OF_MEMORY;
  }
  record->board = board;
  record->serialIndex = serialIndex;
  record->portInBoard = serialIndex % kPortsPerBoard;
  record->design = bindBoardDesign(*record);
  if (record->design == nullptr) return CLSER_ERR_NO_DESIGN;
  record->uart = new (std::nothrow) UartRegisters;
  if (record->uart == nullptr) return CL_ERR_OUT_OF_MEMORY;
  record->mutex = platform::openNamedMutex(kMutexName);
  if (record->mutex == nullptr) return namedObjectStatus();
  // The mutex before the block: a first opener marks the slots unknown
  // before any other opener or transfer can read one. The mutex is taken
  // before the access lock and kept through both selections.
  {
    const NamedMutexHold hold(record->mutex);
    bool firstOpener = false;
    record->mapping = platform::openSharedBlock(kSharedBlockName,
                                                kSharedSlots * sizeof(std::int32_t), &firstOpener);
    if (record->mapping == nullptr) return namedObjectStatus();
    record->sharedSlots = static_cast<std::int32_t*>(platform::sharedBlockView(record->mapping));
    // A new block knows nothing of the multiplexers: a run before may have
    // left any of them on camera port B.
    if (firstOpener)
      for (int slot = 0; slot < kSharedSlots; ++slot) record->sharedSlots[slot] = kUnknownPort;
    record->uartLayout = lookUpRegisters(*record->uart, record->design);
    AccessLock lock(board);
    programUart(*record, kOpeningRate);
    if (firstOpener) selectPortLocked(*record, 0, true);
    selectPortLocked(*record, record->portInBoard, false);
    record->parity = 0;
    applySettings(*record);
  }
  record->hwStatus = rt<GetHWStatusFn>(RuntimeEntry::GetHWStatus)(board);
  out = record.release();
  return CL_ERR_NO_ERR;
}

void closePort(SerialPort* record) {
  if (record != nullptr) releaseRecord(record);
}

void rebindDesign(SerialPort& record) {
  const int status = rt<GetHWStatusFn>(RuntimeEntry::GetHWStatus)(record.board);
  std::int32_t seen = record.hwStatus;
  if (status == seen) return;
  // Of several threads that use the reference, the one that records the
  // new status binds again; the others go on with the binding they have.
  if (!record.hwStatus.compare_exchange_strong(seen, status)) return;
  AccessLock lock(record.board);
  if (record.design != nullptr) rt<UnloadDesignFn>(RuntimeEntry::unload_design)(record.design);
  record.design = nullptr;  // an exception below must not leave it to be unloaded twice
  bool configured = false;
  record.design = bindBoardDesign(record, &configured);
  if (record.design == nullptr) {
    // The old handles died with the old design: until a design is bound
    // again, register writes are skipped. The layout stays as it was.
    *record.uart = UartRegisters{};
    return;
  }
  // Handles and layout belong to the design they were looked up in.
  record.uartLayout = lookUpRegisters(*record.uart, record.design);
  record.muxUnknown = true;
  applySettings(record);
  // Configuring our own design changes the status word once more; that
  // change is ours and needs no second binding.
  if (configured) record.hwStatus = rt<GetHWStatusFn>(RuntimeEntry::GetHWStatus)(record.board);
}

}  // namespace qx::clser
