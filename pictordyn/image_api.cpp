// The two image calls that do more than forward: Px_getImageEx traces the
// picture's tag and transfer length, Px_getBoardPointer traces nothing.
#include "forward.h"

using qx::pictordyn::checkedEntry;
using qx::pictordyn::entryOf;
using qx::pictordyn::exported;
using qx::pictordyn::filledByOf;
using qx::pictordyn::hasEntry;

extern "C" {

int Px_getImageEx(Px_Struct* h, int selector, int pictureNumber, int port, int timeoutMs,
                  void* memory) {
  return exported("Px_getImageEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetImageExFn>(h, PX_ENTRY_WORD("Px_getImageEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, selector, pictureNumber, port, timeoutMs, memory);
    px_log("Px_getImageEx(" PXP ",%d,%d,%d,%d," PXP ") : %d\n", pxp(h), selector, pictureNumber,
           port, timeoutMs, pxp(memory), r);
    // Both parameters are read "by picture": the variable goes in holding the
    // result and comes back with the applet's answer for that picture. An
    // applet without the parameter entry is not asked: these reads only feed
    // the trace, and must not turn a success into a stored error.
    int tag = r;
    int length = r;
    if (hasEntry(h, filledByOf(h), PX_ENTRY_WORD("Px_getParameter"))) {
      Px_getParameter(h, qx::contracts::kParamImageTag, &tag, port);
      Px_getParameter(h, qx::contracts::kParamTransferLength, &length, port);
    }
    px_log("ImageTag: 0x%x, Translen 0x%x\n", static_cast<unsigned>(tag),
           static_cast<unsigned>(length));
    return r;
  });
}

void* Px_getBoardPointer(Px_Struct* h) {
  return exported(nullptr, nullptr, [&]() -> void* {
    const unsigned filledBy = filledByOf(h);
    if (filledBy == 0) return nullptr;
    auto entry = entryOf<PxGetBoardPointerFn>(h, filledBy, PX_ENTRY_WORD("Px_getBoardPointer"));
    return entry != nullptr ? entry(h) : nullptr;
  });
}

}  // extern "C"
