// The serial references handed out by clSerialInit. A reference is a value
// that names one live record; a reference that was closed (or never handed
// out) names none, so a call with it can be refused instead of touching
// freed memory. Values are not used again while the process runs (until
// the counter wraps), so an old reference does not name a newer port.
#pragma once

#include <quorlex/clserqx3.h>
#include "serial_port.h"

#include <memory>

namespace qx::clser {

using PortUse = std::shared_ptr<SerialPort>;

// Takes the open record into the table and gives its reference. On failure
// (no memory) the record is closed and null is returned.
hSerRef addReference(SerialPort* record);
// The record a reference names, kept open while the caller holds the
// result; null for a reference that is not live.
PortUse findReference(hSerRef ref);
// Ends the reference: later calls with it find nothing. The record is
// closed once the last call that still uses it has returned. False when the
// reference was not live.
bool removeReference(hSerRef ref);

}  // namespace qx::clser
