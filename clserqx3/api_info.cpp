// The Camera Link functions that need no open port.
#include <quorlex/clserqx3.h>
#include "exported.h"
#include "runtime.h"
#include "serial_port.h"

#include <cstdio>
#include <cstring>

using namespace qx::clser;

namespace {

constexpr const char* kManufacturer = "Corvane";
constexpr int kMaxProbedBoards = 8;
constexpr CLUINT32 kSupportedRates = CL_BAUDRATE_9600 | CL_BAUDRATE_19200 | CL_BAUDRATE_38400 |
                                     CL_BAUDRATE_57600 | CL_BAUDRATE_115200;

// The status numbers and their standard texts, once: X(name, number, text).
// The table below is made from it, and every number is checked against the
// public header at compile time.
#define CLSER_ERROR_MAP(X)                                                                       \
  X(CL_ERR_NO_ERR, 0, "Function returned successfully.")                                         \
  X(CL_ERR_BUFFER_TOO_SMALL, -10001, "User buffer not large enough to hold data.")               \
  X(CL_ERR_MANU_DOES_NOT_EXIST, -10002,                                                          \
    "The requested manufacturer's DLL does not exist on your system.")                           \
  X(CL_ERR_PORT_IN_USE, -10003, "Port is valid but cannot be opened because it is in use.")      \
  X(CL_ERR_TIMEOUT, -10004, "Operation not completed within specified timeout period.")          \
  X(CL_ERR_INVALID_INDEX, -10005, "Not a valid index.")                                          \
  X(CL_ERR_INVALID_REFERENCE, -10006, "The serial reference is not valid.")                      \
  X(CL_ERR_ERROR_NOT_FOUND, -10007, "Could not find the error description for this error code.") \
  X(CL_ERR_BAUD_RATE_NOT_SUPPORTED, -10008,                                                      \
    "Requested baud rate not supported by this interface.")                                      \
  X(CL_ERR_OUT_OF_MEMORY, -10009,                                                                \
    "System is out of memory and could not perform required actions.")                           \
  X(CL_ERR_UNABLE_TO_LOAD_DLL, -10098,                                                           \
    "The DLL was unable to load due to a lack of memory or because it does not export all "      \
    "required functions.")                                                                       \
  X(CL_ERR_FUNCTION_NOT_FOUND, -10099, "Function does not exist in the manufacturer's library.") \
  X(CLSER_ERR_NO_BOARD, -1, "The board cannot be opened.")                                       \
  X(CLSER_ERR_NO_DESIGN, -2, "The serial design cannot be loaded on the board.")

#define CLSER_CHECK_NUMBER(name, number, text) \
  static_assert((name) == (number), #name " differs from the public header");
CLSER_ERROR_MAP(CLSER_CHECK_NUMBER)
#undef CLSER_CHECK_NUMBER

struct ErrorText {
  CLINT32 code;
  const char* text;
};

const ErrorText kErrorTexts[] = {
#define CLSER_ERROR_ENTRY(name, number, text) {name, text},
    CLSER_ERROR_MAP(CLSER_ERROR_ENTRY)
#undef CLSER_ERROR_ENTRY
};

// Copies `text` with its terminating zero when `*size` bytes hold it; sets
// `*size` to the bytes needed either way.
CLINT32 copyText(const char* text, CLINT8* out, CLUINT32* size) {
  const auto needed = static_cast<CLUINT32>(std::strlen(text) + 1);
  if (size == nullptr) return CL_ERR_BUFFER_TOO_SMALL;
  const CLUINT32 room = *size;
  *size = needed;
  if (out == nullptr || room < needed) return CL_ERR_BUFFER_TOO_SMALL;
  std::memcpy(out, text, needed);
  return CL_ERR_NO_ERR;
}

}  // namespace

CLSER_API CLINT32 clGetManufacturerInfo(CLINT8* manufacturerName, CLUINT32* bufferSize,
                                        CLUINT32* version) {
  return exported([&] {
    if (version != nullptr) *version = CL_DLL_VERSION_1_1;
    return copyText(kManufacturer, manufacturerName, bufferSize);
  });
}

CLSER_API CLINT32 clGetNumSerialPorts(CLUINT32* numSerialPorts) {
  return exported([&]() -> CLINT32 {
    if (numSerialPorts == nullptr) return CL_ERR_BUFFER_TOO_SMALL;
    *numSerialPorts = 0;
    CLUINT32 boards = 0;
    // Boards count up to the first one that cannot be opened.
    for (int index = 0; index < kMaxProbedBoards; ++index) {
      const QxBoard board = openBoard(index);
      if (board == nullptr) break;
      rt<FreeQuorlexFn>(RuntimeEntry::free_quorlex)(board);
      ++boards;
    }
    *numSerialPorts = kPortsPerBoard * boards;
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clGetSerialPortIdentifier(CLUINT32 serialIndex, CLINT8* portID,
                                            CLUINT32* bufferSize) {
  return exported([&]() -> CLINT32 {
    // "corv" and one digit with its terminating zero.
    if (bufferSize == nullptr || *bufferSize < 6 || portID == nullptr)
      return CL_ERR_BUFFER_TOO_SMALL;
    if (serialIndex > kLastIdentifiedIndex) return CL_ERR_INVALID_INDEX;
    std::snprintf(portID, 6, "corv%u", serialIndex);
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clGetSupportedBaudRates(hSerRef, CLUINT32* baudRates) {
  return exported([&]() -> CLINT32 {
    if (baudRates == nullptr) return CL_ERR_BUFFER_TOO_SMALL;
    *baudRates = (*baudRates & ~CLUINT32{0xFF}) | kSupportedRates;
    return CL_ERR_NO_ERR;
  });
}

CLSER_API CLINT32 clGetErrorText(CLINT32 errorCode, CLINT8* errorText, CLUINT32* errorTextSize) {
  return exported([&]() -> CLINT32 {
    for (const ErrorText& e : kErrorTexts)
      if (e.code == errorCode) return copyText(e.text, errorText, errorTextSize);
    return CL_ERR_ERROR_NOT_FOUND;
  });
}
