// Opening and closing of a serial port, and re-binding after the board was
// reconfigured.
#pragma once

#include "serial_port.h"

namespace qx::clser {

// Opens board serialIndex / 2, binds its design (loading "clser.hap" on a
// board that runs none), creates the record and sets the UART up at
// 9600 bit/s without parity on camera port serialIndex % 2. Returns 0 with
// `out` set, -1 when the board cannot be opened, -2 when the design cannot be
// bound, CL_ERR_PORT_IN_USE when another user's process holds named objects
// that we may not open, CL_ERR_OUT_OF_MEMORY when the record or the named
// objects cannot be had otherwise; nothing stays open on failure.
int openPort(int serialIndex, SerialPort*& out);
void closePort(SerialPort* record);

// When the board's hardware status word changed since the record last
// looked, binds again to the design the board runs now and applies the
// record's rate, parity and scaleIR to it. A failure is not reported; the
// record then has no design until the next change.
void rebindDesign(SerialPort& record);

}  // namespace qx::clser
