// The error functions: the library's own last error and its texts, or, for
// a valid handle, the applet library's error state of that handle.
#include "applet_entries.h"
#include "applet_table.h"
#include "entry.h"
#include "forward.h"
#include "last_error.h"
#include "pictordyn.h"
#include "trace.h"

std::atomic<int> px_lastError{0};

using qx::pictordyn::exported;
using qx::pictordyn::filledByOf;

namespace {

// A handle that is not live (null, or released) reports the library's own
// error; one that was never set
// becomes "px-struct is not initialized", so the caller learns why.
void promoteUnsetError() {
  if (lastError() == 0) setLastError(PX_ERR_INVALID_HANDLE);
}

}  // namespace

extern "C" {

const char* getErrorDescription(int errorNumber) {
  return exported(nullptr, "Invalid Error", [&]() -> const char* {
    switch (errorNumber) {
      case PX_ERR_NO_BOARD: return "no quorlexboard available";
      case PX_ERR_HAP_NOT_LOADED: return "hap-file not load";
      case PX_ERR_BOARD_NOT_INITIALISED: return "quorlex is not initialized!";
      case PX_ERR_DLL_NOT_LOADED: return "framegrabber-dll not load";
      case PX_ERR_INVALID_HANDLE: return "px-struct is not initialized";
      case PX_ERR_MEMORY_WRITE: return "can not write memory, configuration failed";
      case PX_ERR_NO_VALID_DESIGN: return "no valid Design";
      case PX_ERR_CONFIGURATION: return "configuration failed";
      case PX_ERR_RECONFIGURATION: return "reconfiguration failed";
      case PX_ERR_LOAD_DESIGN: return "cannot load design";
      case PX_ERR_INVALID_CONFIG_FILE: return "invalid config file";
      default: return "Invalid Error";
    }
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
