// Forwarded parameter, configuration, applet, clock, trigger and dialog
// calls. Most are the common forwarded call; the ones written out each say
// how they differ.
#include "forward.h"

using qx::contracts::wordOfEntry;
using qx::pictordyn::checkedEntry;
using qx::pictordyn::exported;
using qx::pictordyn::forwarded;

using qx::pictordyn::kNoText;

extern "C" {

int Px_setParameter(Px_Struct* h, int parameter, void* value, int port) {
  return forwarded<wordOfEntry("Px_setParameter")>(h, parameter, value, port);
}

int Px_getParameter(Px_Struct* h, int parameter, void* value, int port) {
  return forwarded<wordOfEntry("Px_getParameter")>(h, parameter, value, port);
}

// Differs: traced under the name of the plain call (see below).
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
  return forwarded<wordOfEntry("Px_saveConfig")>(h, fileName);
}

// Differs: a "Px_loadConfig start" line comes before the applet is called,
// so a trace cut short by a configuration that hangs or crashes the applet
// still shows which call was under way.
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
  return forwarded<wordOfEntry("Px_getLoadAppletId")>(h);
}

int Px_getAppletId(Px_Struct* h, const char* appletName) {
  return forwarded<wordOfEntry("Px_getAppletId")>(h, appletName);
}

int Px_getAppletListCount(Px_Struct* h) {
  return forwarded<wordOfEntry("Px_getAppletListCount")>(h);
}

const char* Px_getAppletname(Px_Struct* h, int number) {
  return forwarded<wordOfEntry("Px_getAppletname")>(h, number);
}

// Differs: a handle that is not live writes no "invalid Px" line but the
// usual result line with -2001; a missing entry writes "no entry" only.
int Px_addApplet(Px_Struct* h, const char* name, int option1, int option2, int option3) {
  return exported("Px_addApplet", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    int r = PX_ERR_INVALID_HANDLE;
    const unsigned filledBy = qx::pictordyn::filledByOf(h);
    if (filledBy == 0) {
      // No "invalid" line here: the result line below tells it.
      setLastError(PX_ERR_INVALID_HANDLE);
    } else if (auto entry = qx::pictordyn::entryOf<PxAddAppletFn>(h, filledBy,
                                                                  PX_ENTRY_WORD("Px_addApplet"))) {
      r = entry(h, name, option1, option2, option3);
    } else {
      return PX_ERR_INVALID_HANDLE;
    }
    px_log("Px_addApplet(" PXP ",%s,%d,%d,%d) : %d\n", pxp(h), name ? name : "(null)", option1,
           option2, option3, r);
    return r;
  });
}

int Px_configure(Px_Struct* h, int value) {
  // Refused like every other call rather than handing the applet a null
  // handle to crash on.
  return forwarded<wordOfEntry("Px_configure")>(h, value);
}

// Differs: the result line has no blank before its colon ("...,%d): %d").
// It has always been written so and trace lines are kept byte for byte: not
// a typo to be fixed.
int Px_setClks(Px_Struct* h, int port, int value) {
  return exported("Px_setClks", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetClksFn>(h, PX_ENTRY_WORD("Px_setClks"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, port, value);
    px_log("Px_setClks(" PXP ",%d,%d): %d\n", pxp(h), port, value, r);
    return r;
  });
}

int Px_setExsync(Px_Struct* h, int port, int value) {
  return forwarded<wordOfEntry("Px_setExsync")>(h, port, value);
}

int Px_setFlash(Px_Struct* h, int port, int value) {
  return forwarded<wordOfEntry("Px_setFlash")>(h, port, value);
}

int Px_getSerialNumber(Px_Struct* h) {
  return forwarded<wordOfEntry("Px_getSerialNumber")>(h);
}

// Differs: the block goes to the applet whole, by value, but only its first
// word is traced, in hexadecimal.
int Px_doDialog(Px_Struct* h, int dialog, int option1, int option2, PxDialogBlock block) {
  return exported("Px_doDialog", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxDoDialogFn>(h, PX_ENTRY_WORD("Px_doDialog"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, dialog, option1, option2, block);
    px_log("Px_doDialog(" PXP ",%d,%d,%d,%x) : %d\n", pxp(h), dialog, option1, option2,
           static_cast<unsigned>(block.word[0]), r);
    return r;
  });
}

int Px_closeDialog(Px_Struct* h) {
  return forwarded<wordOfEntry("Px_closeDialog")>(h);
}

int Px_isOpenDialog(Px_Struct* h) {
  return forwarded<wordOfEntry("Px_isOpenDialog")>(h);
}

}  // extern "C"
