/* Display library: shows 8-bit grey and 24-bit colour pictures in up to 32
 * windows, each run by a window thread of its own, drawn at once from the
 * caller's thread for every picture handed over.
 *
 * Pixel memory is the kit's image buffer: rows top to bottom without padding,
 * grey 1 byte per pixel, colour 3 bytes per pixel in the order blue, green,
 * red. A picture handed to DrawBuffer must hold
 * ((bufferWidth + 7) / 8) * bitDepth * bufferHeight bytes. */
#ifndef OCULON_H
#define OCULON_H

#if defined(_WIN32)
#if defined(OCULON_BUILD)
#define OC_API __declspec(dllexport)
#else
#define OC_API __declspec(dllimport)
#endif
/* A window of the system: HWND on Windows, an X11 Window id elsewhere. */
typedef struct HWND__* OculonWindow;
#else
#define OC_API __attribute__((visibility("default")))
typedef unsigned long OculonWindow;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Threads: each display has a window thread of its own, so the application
 * needs no message loop. Creating and closing displays must not overlap each
 * other, and drawing into a display must not overlap closing it; different
 * displays may be drawn from different threads at the same time.
 *
 * Errors: every function returns -1 (GetWindowHandle: null) for an index
 * outside 0 to 31 or of a display that is not open, and does nothing else. */

/* CreateDisplay: opens a display and its window.
 *  bitDepth  8 (grey, shown through a grey ramp) or 24 (colour, blue-green-red).
 *  width, height  the window's size in pixels (its outer size on Windows),
 *            each 1 to 32767.
 * Returns the lowest free index (0 to 31). The window is titled
 * "Framegrabber Display n" and placed at (100 x n, 20 x n), n being the
 * number of displays open before this one (not the index: after a close two
 * displays can share a number).
 * Errors: -1 when all 32 displays are open, the depth or a side is unusable,
 * or the window cannot be made; in that last case Windows shows a message
 * box "ERR" and Linux prints "ERR" on standard error (also when no X display
 * can be opened). Nothing of a failed display stays behind.
 * Linux: the screen must keep 32 bits per pixel (any depth-24 server). */
OC_API int CreateDisplay(int bitDepth, int width, int height);

/* CreateDisplayEx: as CreateDisplay, with the window owned by parent (an
 * HWND, or an X11 Window that becomes its transient-for owner). An owner
 * that does not exist makes creation fail with "ERR" and -1. */
OC_API int CreateDisplayEx(int bitDepth, int width, int height, OculonWindow parent);

/* SetDisplayWidth: gives the window the outer size width x height, keeping
 * its position. Each side is limited to the owner window's size (or, without
 * an owner, the screen's work area) less 16 pixels.
 * Returns nonzero on success; 0 for a side below 1, or once the window is
 * gone (closed by the user or, on Linux, its connection lost). */
OC_API int SetDisplayWidth(int index, int width, int height);

/* SetBufferWidth: the size of the pictures handed to DrawBuffer from now on.
 * Nothing is redrawn. Returns width; -1 for a negative size. */
OC_API int SetBufferWidth(int index, int width, int height);

/* SetBuffer: the display draws from, and DrawBuffer copies into, the
 * caller's buffer from now on (handing this same buffer to DrawBuffer costs
 * no copy).
 * Ownership: the buffer stays the caller's; it must stay valid until the
 * display is closed or another buffer is set.
 * Returns 1; -1 for a null buffer. */
OC_API int SetBuffer(int index, void* buffer);

/* DrawBuffer: copies a picture into the display and draws it at once from
 * the caller's thread.
 *  pixels  a picture of the SetBufferWidth size: ((width + 7) / 8) x bitDepth
 *          x height bytes, rows read 4-byte aligned (pad rows whose length
 *          in bytes is no multiple of 4, or the picture shows skewed).
 *          Read only; the caller keeps it.
 *  number  shown in the title as 6 digits: "Framegrabber Display n (number) text".
 *  text    UTF-8 (bytes that are not valid UTF-8 are taken as Latin-1); the
 *          title is cut at 127 bytes, never inside a character.
 * The top-left part that fits the window is drawn, unscaled; the window
 * repaints itself from the last picture.
 * Returns 0 (also, without drawing, once the user closed the window or the
 * connection was lost). Before the first SetBufferWidth nothing is copied or
 * drawn.
 * Errors: -1, nothing drawn, for a null pixels or a picture larger than the
 * display's own memory (sized for the creation size and depth) while no
 * SetBuffer buffer is set. */
OC_API int DrawBuffer(int index, const void* pixels, int number, const char* text);

/* CloseDisplay: destroys the window, waits for the window thread to end (a
 * few milliseconds) and frees the display. Returns the number of displays
 * still open. */
OC_API int CloseDisplay(int index);

/* GetWindowHandle: the display's window (HWND, or X11 Window), or null once
 * the user has closed it (or, on Linux, its connection was lost). The
 * display stays open, taking and copying pictures, until CloseDisplay. */
OC_API OculonWindow GetWindowHandle(int index);

/* The version the library was built as: QUORLEX_VERSION_MAJOR, _MINOR and
 * _PATCH of quorlex/version.h at its build. Any pointer may be null. Any
 * thread may call it, at any time, also before anything else. */
OC_API void OculonGetVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
