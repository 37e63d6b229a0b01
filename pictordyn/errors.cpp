// The error functions: the library's own last error and its texts, or, for
// a valid handle, the applet library's error state of that handle.
#include <quorlex/pictordyn.h>
#include "applet_entries.h"
#include "applet_table.h"
#include "entry.h"
#include "forward.h"
#include "last_error.h"
#include "trace.h"

#include <cstddef>
#include <iterator>

std::atomic<int> px_lastError{0};

using qx::pictordyn::exported;
using qx::pictordyn::filledByOf;

namespace {

// Every error number of the library that has a text of its own, once: its
// public name, the number the public header gives it (checked below, so a
// changed number cannot slip through unnoticed: callers compare with the
// numbers themselves) and its text. -2070 (invalid port) has no text of its
// own and reads as any unknown number does.
#define PX_ERROR_TEXTS(X)                                                     \
  X(PX_ERR_NO_BOARD, -20, "no quorlexboard available")                        \
  X(PX_ERR_HAP_NOT_LOADED, -100, "hap-file not load")                         \
  X(PX_ERR_BOARD_NOT_INITIALISED, -110, "quorlex is not initialized!")        \
  X(PX_ERR_DLL_NOT_LOADED, -120, "framegrabber-dll not load")                 \
  X(PX_ERR_INVALID_HANDLE, -2001, "px-struct is not initialized")             \
  X(PX_ERR_MEMORY_WRITE, -2026, "can not write memory, configuration failed") \
  X(PX_ERR_NO_VALID_DESIGN, -2050, "no valid Design")                         \
  X(PX_ERR_CONFIGURATION, -2052, "configuration failed")                      \
  X(PX_ERR_RECONFIGURATION, -2053, "reconfiguration failed")                  \
  X(PX_ERR_LOAD_DESIGN, -2080, "cannot load design")                          \
  X(PX_ERR_INVALID_CONFIG_FILE, -5000, "invalid config file")

#define PX_ERROR_NUMBER_CHECK(name, number, text) \
  static_assert(name == (number), #name " is not the public number " #number);
PX_ERROR_TEXTS(PX_ERROR_NUMBER_CHECK)
#undef PX_ERROR_NUMBER_CHECK

struct ErrorText {
  int number;
  const char* text;
};

constexpr ErrorText kErrorTexts[] = {
#define PX_ERROR_ENTRY(name, number, text) {name, text},
    PX_ERROR_TEXTS(PX_ERROR_ENTRY)
#undef PX_ERROR_ENTRY
};

constexpr bool numbersAreDistinct() {
  for (std::size_t i = 0; i < std::size(kErrorTexts); ++i) {
    for (std::size_t j = i + 1; j < std::size(kErrorTexts); ++j) {
      if (kErrorTexts[i].number == kErrorTexts[j].number) return false;
    }
  }
  return true;
}
static_assert(numbersAreDistinct(), "an error number with two texts");

// The text of a number the library does not know.
constexpr const char kUnknownError[] = "Invalid Error";

// A handle that is not live (null, or released) reports the library's own
// error; one that was never set
// becomes "px-struct is not initialized", so the caller learns why.
void promoteUnsetError() {
  if (lastError() == 0) setLastError(PX_ERR_INVALID_HANDLE);
}

}  // namespace

extern "C" {

const char* getErrorDescription(int errorNumber) {
  return exported(nullptr, kUnknownError, [&]() -> const char* {
    for (const ErrorText& e : kErrorTexts) {
      if (e.number == errorNumber) return e.text;
    }
    return kUnknownError;
  });
}

int getLastErrorNumber(void) {
  return exported("getLastErrorNumber", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    const int number = lastError();
    px_log("getLastErrorNumber() : %d\n", number);
    return number;
  });
}

int Px_getLastErrorNumber(Px_Struct* handle) {
  return exported("Px_getLastErrorNumber", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    px_log("Px_getLastErrorNumber(" PXP ")\n", pxp(handle));
    const unsigned filledBy = filledByOf(handle);
    if (filledBy == 0) {
      promoteUnsetError();
      return getLastErrorNumber();
    }
    auto entry = qx::pictordyn::entryOf<PxGetLastErrorNumberFn>(
        handle, filledBy, PX_ENTRY_WORD("Px_getLastErrorNumber"));
    if (entry == nullptr) return lastError();
    return entry(handle);
  });
}

const char* Px_getLastErrorDescription(Px_Struct* handle) {
  return exported("Px_getLastErrorDescription", getErrorDescription(PX_ERR_DLL_NOT_LOADED),
                  [&]() -> const char* {
                    px_log("Px_getLastErrorDescription(" PXP ")\n", pxp(handle));
                    const unsigned filledBy = filledByOf(handle);
                    if (filledBy == 0) {
                      promoteUnsetError();
                      return getErrorDescription(lastError());
                    }
                    auto entry = qx::pictordyn::entryOf<PxGetLastErrorDescriptionFn>(
                        handle, filledBy, PX_ENTRY_WORD("Px_getLastErrorDescription"));
                    if (entry == nullptr) return getErrorDescription(lastError());
                    return entry(handle);
                  });
}

const char* Px_getErrorDescription(Px_Struct* handle, int errorNumber) {
  return exported("Px_getErrorDescription", getErrorDescription(PX_ERR_DLL_NOT_LOADED),
                  [&]() -> const char* {
                    px_log("Px_getErrorDescription(" PXP ",%d)\n", pxp(handle), errorNumber);
                    const unsigned filledBy = filledByOf(handle);
                    if (filledBy == 0) return getErrorDescription(PX_ERR_INVALID_HANDLE);
                    auto entry = qx::pictordyn::entryOf<PxGetErrorDescriptionFn>(
                        handle, filledBy, PX_ENTRY_WORD("Px_getErrorDescription"));
                    if (entry == nullptr) return getErrorDescription(PX_ERR_INVALID_HANDLE);
                    return entry(handle, errorNumber);
                  });
}

}  // extern "C"
