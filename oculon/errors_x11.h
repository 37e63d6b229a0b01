// Protocol errors on the display library's own X connections are recorded
// for the call that caused them instead of ending the process (Xlib's
// default). Errors on the application's connections still go to the
// handler that was set before ours.
#pragma once

#include <X11/Xlib.h>

namespace qx::oculon::x11 {

// Starts recording the errors of `display` (one of our connections).
void watchErrors(Display* display);
void unwatchErrors(Display* display);
// Waits for the server to process every request sent on `display` and
// returns the first error code recorded since the last call (0: none).
int syncAndTakeError(Display* display);

}  // namespace qx::oculon::x11
