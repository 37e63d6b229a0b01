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

/* Opens a display of bitDepth 8 (grey) or 24 (colour) whose window is
 * width x height pixels. Returns its index (0 to 31), or -1 when all 32 are
 * open, the arguments are unusable or the window cannot be created. */
OC_API int CreateDisplay(int bitDepth, int width, int height);
/* As CreateDisplay, with the window owned by `parent`. */
OC_API int CreateDisplayEx(int bitDepth, int width, int height, OculonWindow parent);
/* Resizes the window, at most to the parent window (or the screen's work
 * area) less 16 pixels. Nonzero on success. */
OC_API int SetDisplayWidth(int index, int width, int height);
/* Size of the pictures handed to DrawBuffer from now on. Returns the width. */
OC_API int SetBufferWidth(int index, int width, int height);
/* Draws from, and copies pictures into, the caller's buffer from now on; it
 * must stay valid until the display is closed or another buffer is set.
 * Returns 1. */
OC_API int SetBuffer(int index, void* buffer);
/* Copies a picture into the display, titles the window with the picture
 * number and `text`, and draws it. Returns 0. */
OC_API int DrawBuffer(int index, const void* pixels, int number, const char* text);
/* Closes the display. Returns the number of displays still open. */
OC_API int CloseDisplay(int index);
/* The display's window, or null. */
OC_API OculonWindow GetWindowHandle(int index);

/* Every function returns -1 (GetWindowHandle: null) for an index that names
 * no open display. */

#ifdef __cplusplus
}
#endif

#endif
