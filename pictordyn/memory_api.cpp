// Forwarded memory, acquisition and picture-number calls: each passes the
// caller's arguments to the applet entry of its name and traces the result.
#include "forward.h"

using qx::pictordyn::checkedEntry;
using qx::pictordyn::exported;

extern "C" {

void* Px_AllocMemEx(Px_Struct* h, int size, int count) {
  return exported("Px_AllocMemEx", nullptr, [&]() -> void* {
    auto entry = checkedEntry<PxAllocMemExFn>(h, PX_ENTRY_WORD("Px_AllocMemEx"));
    if (entry == nullptr) return nullptr;
    void* r = entry(h, size, count);
    px_log("Px_AllocMemEx(" PXP ",%d,%d) : " PXP "\n", pxp(h), size, count, pxp(r));
    return r;
  });
}

void* Px_AllocMemHead(Px_Struct* h, int size, int count) {
  return exported("Px_AllocMemHead", nullptr, [&]() -> void* {
    auto entry = checkedEntry<PxAllocMemHeadFn>(h, PX_ENTRY_WORD("Px_AllocMemHead"));
    if (entry == nullptr) return nullptr;
    void* r = entry(h, size, count);
    px_log("Px_AllocMemHead(" PXP ",%d,%d) : " PXP "\n", pxp(h), size, count, pxp(r));
    return r;
  });
}

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
  return exported("Px_DelMem", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxDelMemFn>(h, PX_ENTRY_WORD("Px_DelMem"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, head, index);
    px_log("Px_DelMem(" PXP "," PXP ",%d) : %d\n", pxp(h), pxp(head), index, r);
    return r;
  });
}

void* Px_AddDummyBuffer(Px_Struct* h, void* memory, int size, void* buffer) {
  return exported("Px_AddDummyBuffer", nullptr, [&]() -> void* {
    auto entry = checkedEntry<PxAddDummyBufferFn>(h, PX_ENTRY_WORD("Px_AddDummyBuffer"));
    if (entry == nullptr) return nullptr;
    void* r = entry(h, memory, size, buffer);
    px_log("Px_AddDummyBuffer(" PXP "," PXP ",%d," PXP ") : " PXP "\n", pxp(h), pxp(memory), size,
           pxp(buffer), pxp(r));
    return r;
  });
}

int Px_FreeMemHead(Px_Struct* h, void* head) {
  return exported("Px_FreeMemHead", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxFreeMemHeadFn>(h, PX_ENTRY_WORD("Px_FreeMemHead"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, head);
    px_log("Px_FreeMemHead(" PXP "," PXP ") : %d\n", pxp(h), pxp(head), r);
    return r;
  });
}

int Px_FreeMemEx(Px_Struct* h, void* memory) {
  return exported("Px_FreeMemEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxFreeMemExFn>(h, PX_ENTRY_WORD("Px_FreeMemEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, memory);
    px_log("Px_FreeMemEx(" PXP "," PXP ") : %d\n", pxp(h), pxp(memory), r);
    return r;
  });
}

int Px_AcquireEx(Px_Struct* h, int port, int pictureCount, int mode, void* memory) {
  return exported("Px_AcquireEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxAcquireExFn>(h, PX_ENTRY_WORD("Px_AcquireEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, port, pictureCount, mode, memory);
    px_log("Px_AcquireEx(" PXP ",%d,%d,%d," PXP ") : %d\n", pxp(h), port, pictureCount, mode,
           pxp(memory), r);
    return r;
  });
}

int Px_stopAcquireEx(Px_Struct* h, int port, void* memory, int flag) {
  return exported("Px_stopAcquireEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxStopAcquireExFn>(h, PX_ENTRY_WORD("Px_stopAcquireEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, port, memory, flag);
    px_log("Px_stopAcquireEx(" PXP ",%d," PXP ",%d) : %d\n", pxp(h), port, pxp(memory), flag, r);
    return r;
  });
}

int Px_sendSoftwareTrigger(Px_Struct* h, int port) {
  return exported("Px_sendSoftwareTrigger", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSendSoftwareTriggerFn>(h, PX_ENTRY_WORD("Px_sendSoftwareTrigger"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, port);
    px_log("Px_sendSoftwareTrigger(" PXP ",%d) : %d\n", pxp(h), port, r);
    return r;
  });
}

int Px_getLastPicNumberEx(Px_Struct* h, int port, void* memory) {
  return exported("Px_getLastPicNumberEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetLastPicNumberExFn>(h, PX_ENTRY_WORD("Px_getLastPicNumberEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, port, memory);
    px_log("Px_getLastPicNumberEx(" PXP ",%d," PXP ") : %d\n", pxp(h), port, pxp(memory), r);
    return r;
  });
}

int Px_getLastPicNumberBlockingEx(Px_Struct* h, int pictureNumber, int port, int timeoutMs,
                                  void* memory) {
  return exported("Px_getLastPicNumberBlockingEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetLastPicNumberBlockingExFn>(
        h, PX_ENTRY_WORD("Px_getLastPicNumberBlockingEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, pictureNumber, port, timeoutMs, memory);
    px_log("Px_getLastPicNumberBlockingEx(" PXP ",%d,%d,%d," PXP ") : %d\n", pxp(h), pictureNumber,
           port, timeoutMs, pxp(memory), r);
    return r;
  });
}

int Px_getLastPicNumberEventEx(Px_Struct* h, int pictureNumber, int port, int timeoutMs,
                               void* memory, void* event) {
  return exported("Px_getLastPicNumberEventEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry =
        checkedEntry<PxGetLastPicNumberEventExFn>(h, PX_ENTRY_WORD("Px_getLastPicNumberEventEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, pictureNumber, port, timeoutMs, memory, event);
    px_log("Px_getLastPicNumberEventEx(" PXP ",%d,%d,%d," PXP "," PXP ") : %d\n", pxp(h),
           pictureNumber, port, timeoutMs, pxp(memory), pxp(event), r);
    return r;
  });
}

int Px_getImage(Px_Struct* h, int a, int b, int c, int d) {
  return exported("Px_getImage", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetImageFn>(h, PX_ENTRY_WORD("Px_getImage"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b, c, d);
    px_log("Px_getImage(" PXP ",%d,%d,%d,%d) : %d\n", pxp(h), a, b, c, d, r);
    return r;
  });
}

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

int Px_setActBuffer(Px_Struct* h, int a, int b) {
  return exported("Px_setActBuffer", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetActBufferFn>(h, PX_ENTRY_WORD("Px_setActBuffer"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b);
    px_log("Px_setActBuffer(" PXP ",%d,%d): %d\n", pxp(h), a, b, r);
    return r;
  });
}

int Px_getActBuffer(Px_Struct* h, int a) {
  return exported("Px_getActBuffer", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetActBufferFn>(h, PX_ENTRY_WORD("Px_getActBuffer"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a);
    px_log("Px_getActBuffer(" PXP ",%d) : %d\n", pxp(h), a, r);
    return r;
  });
}

int Px_swapBuffer(Px_Struct* h, int a) {
  return exported("Px_swapBuffer", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSwapBufferFn>(h, PX_ENTRY_WORD("Px_swapBuffer"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a);
    px_log("Px_swapBuffer(" PXP ",%d) : %d\n", pxp(h), a, r);
    return r;
  });
}

int Px_getStatus(Px_Struct* h, int a, int b, int c) {
  return exported("Px_getStatus", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetStatusFn>(h, PX_ENTRY_WORD("Px_getStatus"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b, c);
    px_log("Px_getStatus(" PXP ",%d,%d,%d) : %d\n", pxp(h), a, b, c, r);
    return r;
  });
}

int Px_getStatusEx(Px_Struct* h, int a, int b, int c, void* p) {
  return exported("Px_getStatusEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxGetStatusExFn>(h, PX_ENTRY_WORD("Px_getStatusEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b, c, p);
    px_log("Px_getStatusEx(" PXP ",%d,%d,%d," PXP ") : %d\n", pxp(h), a, b, c, pxp(p), r);
    return r;
  });
}

int Px_setStatus(Px_Struct* h, int a, int b, int c) {
  return exported("Px_setStatus", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetStatusFn>(h, PX_ENTRY_WORD("Px_setStatus"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b, c);
    px_log("Px_setStatus(" PXP ",%d,%d,%d) : %d\n", pxp(h), a, b, c, r);
    return r;
  });
}

int Px_setStatusEx(Px_Struct* h, int a, int b, int c, void* p) {
  return exported("Px_setStatusEx", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    auto entry = checkedEntry<PxSetStatusExFn>(h, PX_ENTRY_WORD("Px_setStatusEx"));
    if (entry == nullptr) return PX_ERR_INVALID_HANDLE;
    const int r = entry(h, a, b, c, p);
    px_log("Px_setStatusEx(" PXP ",%d,%d,%d," PXP ") : %d\n", pxp(h), a, b, c, pxp(p), r);
    return r;
  });
}

}  // extern "C"
