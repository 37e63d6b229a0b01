// Which grabber records this library allocated. A record made by the
// applet's local entry belongs to the applet; one made around a camera entry
// belongs to this library. The decision is kept per record, so handles of
// both kinds can be open at once.
#pragma once

#include "px_struct.h"

namespace qx::pictordyn {

// A zero-filled record owned by this library; null when memory is short.
Px_Struct* allocateRecord();
// Frees a record if this library allocated it; returns whether it did.
bool releaseIfOwned(Px_Struct* record);

}  // namespace qx::pictordyn
