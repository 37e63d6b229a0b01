// Opening a grabber: find and load the applet library, let it create its
// grabber state, and build the handle with the table of its entries.
#include <quorlex/pictordyn.h>
#include "applet.h"
#include "applet_table.h"
#include "entry.h"
#include "forward.h"
#include "grabber.h"
#include "installation.h"
#include "last_error.h"
#include "platform/library.h"
#include "trace.h"

#include <cstring>
#include <string>

namespace qx::pictordyn {
namespace {

// The size of the record as the applet is told it.
constexpr int kRecordSize = static_cast<int>(sizeof(Px_Struct));

// The initialisation entries of the applet library being opened.
struct InitEntries {
  PxInitLocalFn local = nullptr;
  PxInitialiseCameraFn camera = nullptr;
  PxInitialiseCameraExFn cameraEx = nullptr;
};

enum class Flavour { Init, InitCamera };

platform::LibraryHandle loadApplet(const char* name, int boardIndex) {
  if (platform::LibraryHandle h = platform::loadLibrary(name)) return h;
  const std::string folder = appletFolder(boardIndex);
  if (folder.empty()) return nullptr;
  const std::string path = folder + platform::kPathSeparator + name;
  // A path that does not fit its buffer is not cut into another file's name.
  if (path.size() >= kPathBuffer) return nullptr;
  return platform::loadLibrary(path.c_str());
}

// Fills the entry words of the record that this initialisation fills.
void resolveEntries(Px_Struct* record, platform::LibraryHandle library, unsigned filler) {
  for (const contracts::WordInfo& w : contracts::kPxWords) {
    if (w.kind == contracts::WordKind::Entry && (w.filledBy & filler) != 0)
      record->word[w.word] = platform::resolveSymbol(library, w.name);
  }
}

Px_Struct* initialise(const char* name, int boardIndex, Flavour flavour) {
  if (name == nullptr) return nullptr;
  if (boardIndex < 0 || boardIndex >= kBoardCount) return nullptr;
  if (std::strlen(name) >= kPathBuffer) {
    setLastError(PX_ERR_DLL_NOT_LOADED);
    return nullptr;
  }

  platform::LibraryHandle library = loadApplet(name, boardIndex);
  if (library == nullptr) {
    setLastError(PX_ERR_DLL_NOT_LOADED);
    return nullptr;
  }

  // Px_InitCamera never uses the Ex camera entry nor names the applet.
  InitEntries entries;
  entries.local =
      reinterpret_cast<PxInitLocalFn>(platform::resolveSymbol(library, contracts::kPxInitLocal));
  entries.camera = reinterpret_cast<PxInitialiseCameraFn>(
      platform::resolveSymbol(library, contracts::kPxInitialiseCamera));
  SetAppletNameFn setAppletName = nullptr;
  if (flavour == Flavour::Init) {
    entries.cameraEx = reinterpret_cast<PxInitialiseCameraExFn>(
        platform::resolveSymbol(library, contracts::kPxInitialiseCameraEx));
    setAppletName = reinterpret_cast<SetAppletNameFn>(
        platform::resolveSymbol(library, contracts::kSetAppletName));
  }

  // A library with no way to create a grabber is not an applet library.
  if (entries.local == nullptr && entries.camera == nullptr) {
    platform::releaseLibrary(library);
    setLastError(PX_ERR_DLL_NOT_LOADED);
    return nullptr;
  }

  if (setAppletName != nullptr) setAppletName(platform::appletNameOf(name).c_str());

  int status = 0;
  Px_Struct* record = nullptr;
  const bool fromCamera = entries.camera != nullptr;
  if (!fromCamera) {
    record = entries.local(boardIndex, kRecordSize, &status);
  } else {
    record = allocateRecord();
    if (record == nullptr) {
      // No record to hand the applet: nothing of it was started.
      platform::releaseLibrary(library);
      setLastError(PX_ERR_DLL_NOT_LOADED);
      return nullptr;
    }
    void* appletHandle = entries.cameraEx != nullptr
                             ? entries.cameraEx(boardIndex, kRecordSize, &status, 0)
                             : entries.camera(boardIndex, kRecordSize, &status);
    record->word[PX_WORD_APPLET_HANDLE] = appletHandle;
    if (appletHandle == nullptr) {
      freeRecord(record);
      record = nullptr;
    }
  }

  setLastError(status);
  if (status < 0 || record == nullptr) {
    if (record != nullptr && fromCamera) freeRecord(record);
    platform::releaseLibrary(library);
    return nullptr;
  }

  const unsigned filler =
      flavour == Flavour::Init ? contracts::kFilledByInit : contracts::kFilledByInitCamera;
  if (!openHandle(record, HandleFacts{filler, fromCamera})) {
    // The grabber cannot be kept track of: the applet is told to release
    // what it made, and the call fails like any other shortage.
    if (auto appletFree = reinterpret_cast<PxAppletFreeGrabberFn>(
            platform::resolveSymbol(library, "Px_FreeGrabber")))
      appletFree(record);
    if (fromCamera) freeRecord(record);
    platform::releaseLibrary(library);
    setLastError(PX_ERR_DLL_NOT_LOADED);
    return nullptr;
  }

  if (flavour == Flavour::Init) {
    if (fromCamera)
      record->word[PX_WORD_INITIALISE_CAMERA] = reinterpret_cast<void*>(entries.camera);
    else
      record->word[PX_WORD_INIT_LOCAL] = reinterpret_cast<void*>(entries.local);
  }
  record->word[PX_WORD_MODULE] = library;
  resolveEntries(record, library, filler);
  record->word[PX_WORD_MEMORY_PORT0] = nullptr;
  record->word[PX_WORD_MEMORY_PORT1] = nullptr;
  return record;
}

}  // namespace
}  // namespace qx::pictordyn

using namespace qx::pictordyn;

extern "C" {

Px_Struct* Px_Init(const char* appletLibrary, int boardIndex) {
  return exported("Px_Init", nullptr, [&] {
    openTrace();
    px_log("Px_Init(%s,%d)\n", appletLibrary != nullptr ? appletLibrary : "(null)", boardIndex);
    Px_Struct* record = initialise(appletLibrary, boardIndex, Flavour::Init);
    // The line that closes every initialisation, also a failed one. It reads
    // like a leftover, but it is part of the trace as it has always been
    // written, and trace lines are kept byte for byte: keep it as it is.
    px_log("jjj\n");
    return record;
  });
}

Px_Struct* Px_InitCamera(const char* appletLibrary, int boardIndex) {
  // Writes no trace line, also not for a fault.
  return exported(nullptr, nullptr,
                  [&] { return initialise(appletLibrary, boardIndex, Flavour::InitCamera); });
}

int Px_FreeGrabber(Px_Struct* handle) {
  return exported("Px_FreeGrabber", PX_ERR_DLL_NOT_LOADED, [&] {
    // Taken out of the live handles first: a second release of the same
    // handle is refused like a null one.
    const std::optional<HandleFacts> facts = closeHandle(handle);
    if (!facts) {
      setLastError(PX_ERR_INVALID_HANDLE);
      px_log("Px_FreeGrabber: invalid Px\n");
      return PX_ERR_INVALID_HANDLE;
    }
    auto library = static_cast<qx::platform::LibraryHandle>(handle->word[PX_WORD_MODULE]);
    handle->word[PX_WORD_MEMORY_PORT0] = nullptr;
    handle->word[PX_WORD_MEMORY_PORT1] = nullptr;
    // Without the applet's own release the library and the record are still
    // given back, so nothing leaks.
    int result = PX_ERR_INVALID_HANDLE;
    if (auto appletFree = entryOf<PxAppletFreeGrabberFn>(handle, facts->filledBy,
                                                         PX_ENTRY_WORD("Px_FreeGrabber")))
      result = appletFree(handle);
    px_log("Px_FreeGrabber(" PXP ") : %d\n", pxp(handle), result);
    qx::platform::releaseLibrary(library);
    if (facts->ownedHere) freeRecord(handle);
    return result;
  });
}

}  // extern "C"
