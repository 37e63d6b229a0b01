// The port-based calls: built on the exported Ex calls with the default
// memory that the simple allocation keeps per port in the handle, so the Ex
// calls' own checks and trace lines apply as well.
#include "forward.h"

using qx::pictordyn::exported;
using qx::pictordyn::isLive;

namespace {

// The handle word that holds a port's default memory, or -1 for a port
// other than 0 and 1.
int defaultMemoryWord(int port) {
  switch (port) {
    case 0: return PX_WORD_MEMORY_PORT0;
    case 1: return PX_WORD_MEMORY_PORT1;
    default: return -1;
  }
}

}  // namespace

extern "C" {

void* Px_AllocMem(Px_Struct* h, int size, int count, int port) {
  return exported("Px_AllocMem", nullptr, [&]() -> void* {
    if (!isLive(h)) {
      px_log("Px_AllocMem : invalid px pointer\n");
      return nullptr;
    }
    px_log("Px_AllocMem(" PXP ",%d,%d,%d)\n", pxp(h), size, count, port);
    const int word = defaultMemoryWord(port);
    if (word < 0) return nullptr;
    // An earlier default memory is replaced, not freed: it stays the caller's.
    void* memory = Px_AllocMemEx(h, size, count);
    h->word[word] = memory;
    if (memory == nullptr) return nullptr;
    return Px_getImagePtrEx(h, 1, port, memory);
  });
}

int Px_FreeMem(Px_Struct* h, int port) {
  return exported("Px_FreeMem", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    px_log("Px_FreeMem(" PXP ",%d)\n", pxp(h), port);
    const int word = defaultMemoryWord(port);
    if (!isLive(h) || word < 0) return PX_ERR_INVALID_PORT;
    const int status = Px_FreeMemEx(h, h->word[word]);
    // A failed free keeps the memory, so that a retry frees the same block.
    if (status == 0) h->word[word] = nullptr;
    return status;
  });
}

int Px_Acquire(Px_Struct* h, int port, int pictureCount) {
  return exported("Px_Acquire", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    px_log("Px_Acquire(" PXP ",%d,%d)\n", pxp(h), port, pictureCount);
    const int word = defaultMemoryWord(port);
    if (!isLive(h) || word < 0) return PX_ERR_INVALID_PORT;
    return Px_AcquireEx(h, port, pictureCount, 1, h->word[word]);
  });
}

int Px_stopAcquire(Px_Struct* h, int port) {
  return exported("Px_stopAcquire", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    px_log("Px_stopAcquire(" PXP ",%d)\n", pxp(h), port);
    const int word = defaultMemoryWord(port);
    if (!isLive(h) || word < 0) return PX_ERR_INVALID_PORT;
    return Px_stopAcquireEx(h, port, h->word[word], 0);
  });
}

int Px_getLastPicNumber(Px_Struct* h, int port) {
  return exported("Px_getLastPicNumber", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    px_log("Px_getLastPicNumber(" PXP ",%d)\n", pxp(h), port);
    const int word = defaultMemoryWord(port);
    if (!isLive(h) || word < 0) return PX_ERR_INVALID_PORT;
    return Px_getImageEx(h, qx::contracts::kSelectorLastPicture, 1, port, 0, h->word[word]);
  });
}

int Px_getLastPicNumberBlocking(Px_Struct* h, int pictureNumber, int port, int timeoutMs) {
  return exported("Px_getLastPicNumberBlocking", PX_ERR_DLL_NOT_LOADED, [&]() -> int {
    px_log("Px_getLastPicNumberBlocking(" PXP ",%d,%d,%d)\n", pxp(h), pictureNumber, port,
           timeoutMs);
    const int word = defaultMemoryWord(port);
    if (!isLive(h) || word < 0) return PX_ERR_INVALID_PORT;
    return Px_getImageEx(h, qx::contracts::kSelectorLastPicture, pictureNumber, port, timeoutMs,
                         h->word[word]);
  });
}

void* Px_getImagePtr(Px_Struct* h, int pictureNumber, int port) {
  return exported("Px_getImagePtr", nullptr, [&]() -> void* {
    px_log("Px_getImagePtr(" PXP ",%d,%d)\n", pxp(h), pictureNumber, port);
    const int word = defaultMemoryWord(port);
    if (!isLive(h) || word < 0) return nullptr;
    return Px_getImagePtrEx(h, pictureNumber, port, h->word[word]);
  });
}

}  // extern "C"
