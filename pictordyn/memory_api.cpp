// Forwarded memory, acquisition and picture-number calls: each passes the
// caller's arguments to the applet entry of its name and traces the result.
// Most are the common forwarded call; the three written out differ in a
// result or a trace line that callers and trace readers already know.
#include "forward.h"

using qx::contracts::wordOfEntry;
using qx::pictordyn::checkedEntry;
using qx::pictordyn::exported;
using qx::pictordyn::forwarded;

extern "C" {

void* Px_AllocMemEx(Px_Struct* h, int size, int count) {
  return forwarded<wordOfEntry("Px_AllocMemEx")>(h, size, count);
}

void* Px_AllocMemHead(Px_Struct* h, int size, int count) {
  return forwarded<wordOfEntry("Px_AllocMemHead")>(h, size, count);
}

// Differs: a handle that is not live or a missing entry gives 0, not -2001
// (still traced as "invalid Px" or "no entry", with the error stored). The
// result is part of the published behaviour, so it stays.
int Px_AddMem(Px_Struct* h, void* head, int index, int size, void* buffer) {
  return exported("Px_AddMem", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxAddMemFn>(h, PX_ENTRY_WORD("Px_AddMem"));
    if (entry == nullptr) return 0;
    const int r = entry(h, head, index, size, buffer);
    px_log("Px_AddMem(" PXP "," PXP ",%d,%d," PXP ") : %d\n", pxp(h), pxp(head), index, size,
           pxp(buffer), r);
    return r;
  });
}

int Px_DelMem(Px_Struct* h, void* head, int index) {
  return forwarded<wordOfEntry("Px_DelMem")>(h, head, index);
}

void* Px_AddDummyBuffer(Px_Struct* h, void* memory, int size, void* buffer) {
  return forwarded<wordOfEntry("Px_AddDummyBuffer")>(h, memory, size, buffer);
}

int Px_FreeMemHead(Px_Struct* h, void* head) {
  return forwarded<wordOfEntry("Px_FreeMemHead")>(h, head);
}

int Px_FreeMemEx(Px_Struct* h, void* memory) {
  return forwarded<wordOfEntry("Px_FreeMemEx")>(h, memory);
}

int Px_AcquireEx(Px_Struct* h, int port, int pictureCount, int mode, void* memory) {
  return forwarded<wordOfEntry("Px_AcquireEx")>(h, port, pictureCount, mode, memory);
}

int Px_stopAcquireEx(Px_Struct* h, int port, void* memory, int flag) {
  return forwarded<wordOfEntry("Px_stopAcquireEx")>(h, port, memory, flag);
}

int Px_sendSoftwareTrigger(Px_Struct* h, int port) {
  return forwarded<wordOfEntry("Px_sendSoftwareTrigger")>(h, port);
}

int Px_getLastPicNumberEx(Px_Struct* h, int port, void* memory) {
  return forwarded<wordOfEntry("Px_getLastPicNumberEx")>(h, port, memory);
}

int Px_getLastPicNumberBlockingEx(Px_Struct* h, int pictureNumber, int port, int timeoutMs,
                                  void* memory) {
  return forwarded<wordOfEntry("Px_getLastPicNumberBlockingEx")>(h, pictureNumber, port, timeoutMs,
                                                                 memory);
}

int Px_getLastPicNumberEventEx(Px_Struct* h, int pictureNumber, int port, int timeoutMs,
                               void* memory, void* event) {
  return forwarded<wordOfEntry("Px_getLastPicNumberEventEx")>(h, pictureNumber, port, timeoutMs,
                                                              memory, event);
}

int Px_getImage(Px_Struct* h, int selector, int pictureNumber, int port, int timeoutMs) {
  return forwarded<wordOfEntry("Px_getImage")>(h, selector, pictureNumber, port, timeoutMs);
}

// Differs: the result pointer is traced in decimal (PXD), unlike every other
// pointer of the trace. Trace lines are kept byte for byte, so this is not a
// slip to be fixed.
void* Px_getImagePtrEx(Px_Struct* h, int pictureNumber, int port, void* memory) {
  return exported("Px_getImagePtrEx", nullptr, [&]() -> void* {
    auto entry = checkedEntry<PxGetImagePtrExFn>(h, PX_ENTRY_WORD("Px_getImagePtrEx"));
    if (entry == nullptr) return nullptr;
    void* r = entry(h, pictureNumber, port, memory);
    px_log("Px_getImagePtrEx(" PXP ",%d,%d," PXP ") : " PXD "\n", pxp(h), pictureNumber, port,
           pxp(memory), pxd(r));
    return r;
  });
}

// Differs: the result line has no blank before its colon ("...,%d): %d").
// It has always been written so and trace lines are kept byte for byte: not
// a typo to be fixed.
int Px_setActBuffer(Px_Struct* h, int port, int buffer) {
  return exported("Px_setActBuffer", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetActBufferFn>(h, PX_ENTRY_WORD("Px_setActBuffer"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, port, buffer);
    px_log("Px_setActBuffer(" PXP ",%d,%d): %d\n", pxp(h), port, buffer, r);
    return r;
  });
}

int Px_getActBuffer(Px_Struct* h, int port) {
  return forwarded<wordOfEntry("Px_getActBuffer")>(h, port);
}

int Px_swapBuffer(Px_Struct* h, int port) {
  return forwarded<wordOfEntry("Px_swapBuffer")>(h, port);
}

int Px_getStatus(Px_Struct* h, int word, int reserved, int port) {
  return forwarded<wordOfEntry("Px_getStatus")>(h, word, reserved, port);
}

int Px_getStatusEx(Px_Struct* h, int word, int reserved, int port, void* value) {
  return forwarded<wordOfEntry("Px_getStatusEx")>(h, word, reserved, port, value);
}

int Px_setStatus(Px_Struct* h, int word, int value, int port) {
  return forwarded<wordOfEntry("Px_setStatus")>(h, word, value, port);
}

int Px_setStatusEx(Px_Struct* h, int word, int value, int port, void* extra) {
  return forwarded<wordOfEntry("Px_setStatusEx")>(h, word, value, port, extra);
}

}  // extern "C"
