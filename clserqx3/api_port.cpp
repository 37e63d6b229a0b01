// The Camera Link functions that work on an open port.
#include <quorlex/clserqx3.h>
#include "exported.h"
#include "port_open.h"
#include "port_select.h"
#include "references.h"
#include "runtime.h"
#include "uart_registers.h"

using namespace qx::clser;

namespace {

// The runtime takes at most this many bytes per write call.
constexpr int kWritePiece = 32;

// The rate in bit/s of a single rate bit; 0 for anything else.
int rateOfBit(CLUINT32 bit) {
  switch (bit) {
    case CL_BAUDRATE_9600: return 9600;
    case CL_BAUDRATE_19200: return 19200;
    case CL_BAUDRATE_38400: return 38400;
    case CL_BAUDRATE_57600: return 57600;
    case CL_BAUDRATE_115200: return 115200;
    default: return 0;
  }
}

void flush(SerialPort& port) {
  rebindDesign(port);
  AccessLock lock(port.board);
  rt<UiqrClearBufferFn>(RuntimeEntry::UIQR_clearBuffer)(port.board, port.receiveChannel());
  rt<UiqrClearBufferFn>(RuntimeEntry::UIQR_clearBuffer)(port.board, port.transmitChannel());
}

}  // namespace

CLSER_API CLINT32 clSerialInit(CLUINT32 serialIndex, hSerRef* serialRefPtr) {
  return exported([&]() -> CLINT32 {
    if (serialIndex > kLastOpenableIndex) return CL_ERR_INVALID_INDEX;
    if (serialRefPtr == nullptr) return CL_ERR_INVALID_REFERENCE;
    SerialPort* record = nullptr;
    const int status = openPort(static_cast<int>(serialIndex), record);
    if (status != CL_ERR_NO_ERR) return status;
    const hSerRef ref = addReference(record);
    if (ref == nullptr) return CL_ERR_OUT_OF_MEMORY;
    *serialRefPtr = ref;
    flush(*record);
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clSerialRead(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                               CLUINT32 serialTimeout) {
  return exported([&]() -> CLINT32 {
    const PortUse port = findReference(serialRef);
    if (port == nullptr) return CL_ERR_INVALID_REFERENCE;
    if (bufferSize == nullptr) return CL_ERR_BUFFER_TOO_SMALL;
    const CLUINT32 requested = *bufferSize;
    *bufferSize = 0;
    if (buffer == nullptr && requested != 0) return CL_ERR_BUFFER_TOO_SMALL;
    rebindDesign(*port);
    TransferSelection selection(*port);
    const int got = rt<UiqrReadBufferFn>(RuntimeEntry::UIQR_readBuffer)(
        port->board, port->receiveChannel(), buffer, static_cast<int>(requested),
        static_cast<int>(serialTimeout));
    if (got < 0) return CL_ERR_TIMEOUT;
    *bufferSize = static_cast<CLUINT32>(got);
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clSerialWrite(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                                CLUINT32 serialTimeout) {
  return exported([&]() -> CLINT32 {
    const PortUse port = findReference(serialRef);
    if (port == nullptr) return CL_ERR_INVALID_REFERENCE;
    if (bufferSize == nullptr) return CL_ERR_BUFFER_TOO_SMALL;
    const auto count = static_cast<CLINT32>(*bufferSize);
    *bufferSize = 0;
    if (buffer == nullptr && count > 0) return CL_ERR_BUFFER_TOO_SMALL;
    rebindDesign(*port);
    TransferSelection selection(*port);
    const auto write = rt<UiqrWriteBufferFn>(RuntimeEntry::UIQR_writeBuffer);
    const int timeout = static_cast<int>(serialTimeout);
    if (count <= kWritePiece) {
      *bufferSize = static_cast<CLUINT32>(
          write(port->board, port->transmitChannel(), buffer, count, timeout));
      return CL_ERR_NO_ERR;
    }
    // Pieces of 32 bytes, each with the full time-out; their results are
    // not examined.
    const auto total = static_cast<CLUINT32>(count);
    const CLUINT32 pieces = (total + kWritePiece - 1) / kWritePiece;
    CLUINT32 remaining = total;
    const CLINT8* position = buffer;
    for (CLUINT32 i = 0; i < pieces; ++i) {
      const CLUINT32 length = remaining > kWritePiece ? kWritePiece : remaining;
      write(port->board, port->transmitChannel(), position, static_cast<int>(length), timeout);
      remaining -= length;
      position += length;
    }
    *bufferSize = total;
    return CL_ERR_NO_ERR;
  });
}

CLSER_API void clSerialClose(hSerRef serialRef) {
  exportedVoid([&] { removeReference(serialRef); });
}

CLSER_API CLINT32 clSetParity(hSerRef serialRef, CLUINT32 parityOn) {
  return exported([&]() -> CLINT32 {
    const PortUse port = findReference(serialRef);
    if (port == nullptr) return CL_ERR_INVALID_REFERENCE;
    AccessLock lock(port->board);
    writeParity(*port, parityOn);
    port->parity = parityOn;
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clGetNumBytesAvail(hSerRef serialRef, CLUINT32* numBytes) {
  return exported([&]() -> CLINT32 {
    if (numBytes != nullptr) *numBytes = 0;
    const PortUse port = findReference(serialRef);
    if (port == nullptr) return CL_ERR_INVALID_REFERENCE;
    if (numBytes == nullptr) return CL_ERR_BUFFER_TOO_SMALL;
    rebindDesign(*port);
    AccessLock lock(port->board);
    const int waiting = rt<UiqrGetNrOfWordsFn>(RuntimeEntry::UIQR_getNrOfWords)(
        port->board, port->receiveChannel());
    *numBytes = waiting > 0 ? static_cast<CLUINT32>(waiting) : 0;
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clFlushPort(hSerRef serialRef) {
  return exported([&]() -> CLINT32 {
    const PortUse port = findReference(serialRef);
    if (port == nullptr) return CL_ERR_INVALID_REFERENCE;
    flush(*port);
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clSetBaudRate(hSerRef serialRef, CLUINT32 baudRate) {
  return exported([&]() -> CLINT32 {
    const PortUse port = findReference(serialRef);
    if (port == nullptr) return CL_ERR_INVALID_REFERENCE;
    const int rate = rateOfBit(baudRate);
    if (rate == 0) return CL_ERR_BAUD_RATE_NOT_SUPPORTED;
    port->baudRate = rate;
    AccessLock lock(port->board);
    programUart(*port, rate);
    return CL_ERR_NO_ERR;
  });
}
