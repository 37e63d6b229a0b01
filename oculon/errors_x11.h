// Protocol errors on the display library's own X connections are recorded
// for the call that caused them instead of ending the process (Xlib's
// default). They are caught on each of our connections before Xlib's
// process-wide error handler is consulted, so they never reach the handler
// the application sets with XSetErrorHandler, whenever it sets it; errors on
// the application's own connections go to that handler as before. A lost
// connection is handled likewise (see keepIoErrorHandler).
#pragma once

#include <X11/Xlib.h>

namespace qx::oculon::x11 {

// Starts recording the errors of `display` (one of our connections).
void watchErrors(Display* display);
void unwatchErrors(Display* display);
// Xlib's I/O error handler is process-wide, and its default ends the
// process before a connection's own exit handler can run. Puts ours in
// place unless it is: it lets our connections' exit handlers run and passes
// the application's connections to the handler that was there before.
// Called before each use of our connections, so that a handler the
// application sets later cannot end the process for a lost display.
void keepIoErrorHandler();
// Waits for the server to process every request sent on `display` and
// returns the first error code recorded since the last call (0: none).
int syncAndTakeError(Display* display);

}  // namespace qx::oculon::x11
