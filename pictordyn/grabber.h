// The grabber handles that are open now. Every call looks its handle up
// here, so a handle that was never opened or was already released is refused
// like a null one instead of being read after its memory went back. Each
// entry also remembers which initialisation filled the handle (the words it
// did not fill hold whatever the applet left there) and whether this library
// allocated the record (a record made around a camera entry) or the applet
// did (local entry), so handles of both kinds can be open at once.
//
// Looking up is lock-free: one hash probe over atomic slots. Opening and
// releasing take a lock of their own. A handle released on one thread while
// another thread still calls with it remains the caller's race; and an
// address that a later initialisation hands out again is live again.
#pragma once

#include "px_struct.h"

#include <optional>

namespace qx::pictordyn {

struct HandleFacts {
  unsigned filledBy = 0;  // contracts::kFilledByInit or kFilledByInitCamera
  bool ownedHere = false;
};

// Which initialisation filled the live handle `record`; 0 when `record` is
// not a live handle (null included).
unsigned filledByOf(const Px_Struct* record) noexcept;
inline bool isLive(const Px_Struct* record) noexcept {
  return filledByOf(record) != 0;
}

// Makes `record` a live handle. False when memory is short.
bool openHandle(Px_Struct* record, HandleFacts facts);
// Ends a live handle and tells what was known of it; nothing when `record`
// was not live.
std::optional<HandleFacts> closeHandle(const Px_Struct* record);

// A zero-filled record for this library to own; null when memory is short.
Px_Struct* allocateRecord() noexcept;
void freeRecord(Px_Struct* record) noexcept;

}  // namespace qx::pictordyn
