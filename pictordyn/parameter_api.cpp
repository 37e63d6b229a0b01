// Forwarded parameter, configuration, applet, clock, trigger and dialog
// calls.
#include "forward.h"

using qx::pictordyn::checkedEntry;
using qx::pictordyn::exported;

namespace {
// What a failed applet-name query returns: a text, never null.
const char kNoText[] = "";
}  // namespace

extern "C" {

int Px_setParameter(Px_Struct* h, int parameter, void* value, int port) {
  return exported("Px_setParameter", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetParameterFn>(h, PX_ENTRY_WORD("Px_setParameter"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, parameter, value, port);
    px_log("Px_setParameter(" PXP ",%d," PXP ",%d) : %d\n", pxp(h), parameter, pxp(value), port, r);
    return r;
  });
}

int Px_getParameter(Px_Struct* h, int parameter, void* value, int port) {
  return exported("Px_getParameter", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetParameterFn>(h, PX_ENTRY_WORD("Px_getParameter"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, parameter, value, port);
    px_log("Px_getParameter(" PXP ",%d," PXP ",%d) : %d\n", pxp(h), parameter, pxp(value), port, r);
    return r;
  });
}

int Px_getParameterEx(Px_Struct* h, int parameter, void* value, int port, void* extra,
                      int extraSize) {
  return exported("Px_getParameterEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetParameterExFn>(h, PX_ENTRY_WORD("Px_getParameterEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, parameter, value, port, extra, extraSize);
    // Traced under the name of the plain call, with its extra arguments.
    px_log("Px_getParameter(" PXP ",%d," PXP ",%d," PXP ",%d) : %d\n", pxp(h), parameter,
           pxp(value), port, pxp(extra), extraSize, r);
    return r;
  });
}

int Px_saveConfig(Px_Struct* h, const char* fileName) {
  return exported("Px_saveConfig", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSaveConfigFn>(h, PX_ENTRY_WORD("Px_saveConfig"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, fileName);
    px_log("Px_saveConfig(" PXP ",%s) : %d\n", pxp(h), fileName ? fileName : "(null)", r);
    return r;
  });
}

int Px_loadConfig(Px_Struct* h, const char* fileName) {
  return exported("Px_loadConfig", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxLoadConfigFn>(h, PX_ENTRY_WORD("Px_loadConfig"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    px_log("Px_loadConfig start\n");
    const int r = entry(h, fileName);
    px_log("Px_loadConfig(" PXP ",%s) : %d\n", pxp(h), fileName ? fileName : "(null)", r);
    return r;
  });
}

int Px_getLoadAppletId(Px_Struct* h) {
  return exported("Px_getLoadAppletId", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetLoadAppletIdFn>(h, PX_ENTRY_WORD("Px_getLoadAppletId"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h);
    px_log("Px_getLoadAppletId(" PXP ") : %d\n", pxp(h), r);
    return r;
  });
}

int Px_getAppletId(Px_Struct* h, const char* appletName) {
  return exported("Px_getAppletId", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetAppletIdFn>(h, PX_ENTRY_WORD("Px_getAppletId"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, appletName);
    px_log("Px_getAppletId(" PXP ",%s) : %d\n", pxp(h), appletName ? appletName : "(null)", r);
    return r;
  });
}

int Px_getAppletListCount(Px_Struct* h) {
  return exported("Px_getAppletListCount", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetAppletListCountFn>(h, PX_ENTRY_WORD("Px_getAppletListCount"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h);
    px_log("Px_getAppletListCount(" PXP ") : %d\n", pxp(h), r);
    return r;
  });
}

const char* Px_getAppletname(Px_Struct* h, int number) {
  return exported("Px_getAppletname", kNoText, [&]() -> const char* {
    auto entry = checkedEntry<PxGetAppletnameFn>(h, PX_ENTRY_WORD("Px_getAppletname"));
    if (entry == nullptr) return kNoText;
    const char* r = entry(h, number);
    px_log("Px_getAppletname(" PXP ",%d) : %s\n", pxp(h), number, r ? r : "(null)");
    return r;
  });
}

int Px_addApplet(Px_Struct* h, const char* name, int a, int b, int c) {
  return exported("Px_addApplet", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    int r = PX_ERR_INVALID_HANDLE;
    const unsigned filledBy = qx::pictordyn::filledByOf(h);
    if (filledBy == 0) {
      // No "invalid" line here: the result line below tells it.
      setLastError(PX_ERR_INVALID_HANDLE);
    } else if (auto entry = qx::pictordyn::entryOf<PxAddAppletFn>(h, filledBy,
                                                                  PX_ENTRY_WORD("Px_addApplet"))) {
      r = entry(h, name, a, b, c);
    } else {
      return PX_ERR_INVALID_HANDLE;
    }
    px_log("Px_addApplet(" PXP ",%s,%d,%d,%d) : %d\n", pxp(h), name ? name : "(null)", a, b, c, r);
    return r;
  });
}

int Px_configure(Px_Struct* h, int value) {
  return exported("Px_configure", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    // Refused like every other call rather than handing the applet a null
    // handle to crash on.
    auto entry = checkedEntry<PxConfigureFn>(h, PX_ENTRY_WORD("Px_configure"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, value);
    px_log("Px_configure(" PXP ",%d) : %d\n", pxp(h), value, r);
    return r;
  });
}

int Px_setClks(Px_Struct* h, int a, int b) {
  return exported("Px_setClks", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetClksFn>(h, PX_ENTRY_WORD("Px_setClks"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b);
    px_log("Px_setClks(" PXP ",%d,%d): %d\n", pxp(h), a, b, r);
    return r;
  });
}

int Px_setExsync(Px_Struct* h, int a, int b) {
  return exported("Px_setExsync", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetExsyncFn>(h, PX_ENTRY_WORD("Px_setExsync"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b);
    px_log("Px_setExsync(" PXP ",%d,%d) : %d\n", pxp(h), a, b, r);
    return r;
  });
}

int Px_setFlash(Px_Struct* h, int a, int b) {
  return exported("Px_setFlash", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetFlashFn>(h, PX_ENTRY_WORD("Px_setFlash"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b);
    px_log("Px_setFlash(" PXP ",%d,%d) : %d\n", pxp(h), a, b, r);
    return r;
  });
}

int Px_getSerialNumber(Px_Struct* h) {
  return exported("Px_getSerialNumber", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetSerialNumberFn>(h, PX_ENTRY_WORD("Px_getSerialNumber"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h);
    px_log("Px_getSerialNumber(" PXP ") : %d\n", pxp(h), r);
    return r;
  });
}

int Px_doDialog(Px_Struct* h, int a, int b, int c, PxDialogBlock block) {
  return exported("Px_doDialog", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxDoDialogFn>(h, PX_ENTRY_WORD("Px_doDialog"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b, c, block);
    px_log("Px_doDialog(" PXP ",%d,%d,%d,%x) : %d\n", pxp(h), a, b, c,
           static_cast<unsigned>(block.word[0]), r);
    return r;
  });
}

int Px_closeDialog(Px_Struct* h) {
  return exported("Px_closeDialog", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxCloseDialogFn>(h, PX_ENTRY_WORD("Px_closeDialog"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h);
    px_log("Px_closeDialog(" PXP ") : %d\n", pxp(h), r);
    return r;
  });
}

int Px_isOpenDialog(Px_Struct* h) {
  return exported("Px_isOpenDialog", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxIsOpenDialogFn>(h, PX_ENTRY_WORD("Px_isOpenDialog"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h);
    px_log("Px_isOpenDialog(" PXP ") : %d\n", pxp(h), r);
    return r;
  });
}

}  // extern "C"
