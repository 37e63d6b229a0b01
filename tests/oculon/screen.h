// What the display tests ask of the window system, answered by the system
// itself (X server or Windows), never by the library under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <quorlex/oculon.h>

namespace qx::test {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Empty when windows can be shown, else why not.
std::string displayProblem();

// Outer frame and client area of a window, in screen coordinates.
Rect frameOf(OculonWindow window);
Rect clientOf(OculonWindow window);
std::string titleOf(OculonWindow window);
bool windowExists(OculonWindow window);

// A screenshot of the top-left width x height pixels of the window's client
// area: one 0xRRGGBB value per pixel, rows top first. Taken from the screen
// (X11) or from the window's device context (Windows, where that is what the
// window system puts on the screen).
std::vector<uint32_t> screenshot(OculonWindow window, int width, int height);

// Announces `area` as the screen's work area, as a window manager (X11) or
// the shell (Windows) does, so that a test knows the work area without
// reading it the way the library does. False when the system refused.
bool announceWorkArea(const Rect& area);
// Takes the announcement back: X11 has no work area then (the library falls
// back to the whole screen), Windows its own again.
void withdrawWorkArea();
#if !defined(_WIN32)
// Whether a window manager announces a work area (X11).
bool windowManagerAnnouncesWorkArea();
#endif
// The whole screen's size, as the system reports it.
Rect screenSize();

// Resizes the window the way a user does through the window system, not
// through the library: from the test's own X connection, or from the test's
// thread rather than the window's. `width` x `height` is the outer size.
void resizeFromOutside(OculonWindow window, int width, int height);

// A plain top-level window of the test, to own displays.
OculonWindow makeOwnerWindow(int width, int height);
void destroyOwnerWindow(OculonWindow window);

// Asks the window to close, as the user does with its close box, and waits
// until it is gone.
void closeLikeUser(OculonWindow window);

}  // namespace qx::test
