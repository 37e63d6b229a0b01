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

/**
 * @file oculon.h
 * @brief Display windows: 8-bit grey and 24-bit colour pictures in up to 32
 * windows.
 *
 * @par Threads
 * Each display has a window thread of its own, so the application needs no
 * message loop; pictures are drawn at once from the caller's thread.
 * Creating and closing displays must not overlap each other, and drawing
 * into a display must not overlap closing it; different displays may be
 * drawn from different threads at the same time.
 *
 * @par Errors
 * Every function returns -1 (GetWindowHandle: null) for an index outside 0
 * to 31 or of a display that is not open, and does nothing else. No
 * exception leaves a function: memory running out gives -1
 * (SetDisplayWidth: 0, GetWindowHandle: null).
 */

/**
 * @brief Opens a display and its window.
 *
 * The window is titled "Framegrabber Display n" and placed at
 * (100 x n, 20 x n), n being the number of displays open before this one
 * (not the index: after a close two displays can share a number).
 * Linux: the screen must keep 32 bits per pixel (any depth-24 server).
 *
 * @param bitDepth  8 (grey, shown through a grey ramp) or 24 (colour,
 *                  blue-green-red).
 * @param width     the window's width in pixels (its outer size on
 *                  Windows), 1 to 32767.
 * @param height    the window's height, 1 to 32767.
 * @return the lowest free index (0 to 31); -1 when all 32 displays are open,
 *         the depth or a side is unusable, or the window cannot be made (then
 *         Windows shows a message box "ERR" and Linux prints "ERR" on
 *         standard error, also when no X display can be opened). Nothing of
 *         a failed display stays behind.
 * @par Ownership
 * Close the display with CloseDisplay.
 */
OC_API int CreateDisplay(int bitDepth, int width, int height);

/**
 * @brief CreateDisplay with the window owned by @p parent.
 * @param bitDepth, width, height  as CreateDisplay.
 * @param parent  the owner: an HWND, or an X11 Window that becomes the
 *                window's transient-for owner.
 * @return as CreateDisplay; an owner that does not exist makes creation fail
 *         with "ERR" and -1.
 */
OC_API int CreateDisplayEx(int bitDepth, int width, int height, OculonWindow parent);

/**
 * @brief Gives the window an outer size, keeping its position.
 * @param index   the display.
 * @param width   the outer width; limited to the owner window's width (or,
 *                without an owner, the screen's work area) less 16 pixels.
 * @param height  the outer height, limited alike.
 * @return nonzero on success; 0 for a side below 1, or once the window is
 *         gone (closed by the user or, on Linux, its connection lost).
 */
OC_API int SetDisplayWidth(int index, int width, int height);

/**
 * @brief The size of the pictures handed to DrawBuffer from now on. Nothing
 * is redrawn.
 * @param index   the display.
 * @param width   picture width in pixels.
 * @param height  picture height in rows.
 * @return @p width; -1 for a negative size.
 */
OC_API int SetBufferWidth(int index, int width, int height);

/**
 * @brief Makes the display draw from, and DrawBuffer copy into, the caller's
 * buffer from now on (handing this same buffer to DrawBuffer costs no copy).
 * @param index   the display.
 * @param buffer  room for a picture of the SetBufferWidth size.
 * @return 1; -1 for a null buffer.
 * @par Ownership
 * The buffer stays the caller's; it must stay valid until the display is
 * closed or another buffer is set.
 */
OC_API int SetBuffer(int index, void* buffer);

/**
 * @brief Copies a picture into the display and draws it at once from the
 * caller's thread.
 *
 * The top-left part that fits the window is drawn, unscaled; the window
 * repaints itself from the last picture. Before the first SetBufferWidth
 * nothing is copied or drawn.
 *
 * @param index   the display.
 * @param pixels  a picture of the SetBufferWidth size:
 *                ((width + 7) / 8) x bitDepth x height bytes, rows read
 *                4-byte aligned (pad rows whose length in bytes is no
 *                multiple of 4, or the picture shows skewed). Only read; the
 *                caller keeps it.
 * @param number  shown in the title as 6 digits:
 *                "Framegrabber Display n (number) text".
 * @param text    UTF-8 (bytes that are not valid UTF-8 are taken as
 *                Latin-1); the title is cut at 127 bytes, never inside a
 *                character.
 * @return 0 (also, without drawing, once the user closed the window or the
 *         connection was lost); -1, nothing drawn, for a null @p pixels or a
 *         picture larger than the display's own memory (sized for the
 *         creation size and depth) while no SetBuffer buffer is set.
 */
OC_API int DrawBuffer(int index, const void* pixels, int number, const char* text);

/**
 * @brief Destroys the window, waits for the window thread to end (a few
 * milliseconds) and frees the display.
 * @param index  the display.
 * @return the number of displays still open.
 */
OC_API int CloseDisplay(int index);

/**
 * @brief The display's window.
 * @param index  the display.
 * @return the HWND or X11 Window; null once the user has closed it (or, on
 *         Linux, its connection was lost). The display stays open, taking
 *         and copying pictures, until CloseDisplay.
 */
OC_API OculonWindow GetWindowHandle(int index);

/**
 * @brief The version the library was built as: QUORLEX_VERSION_MAJOR,
 * _MINOR and _PATCH of quorlex/version.h at its build.
 * @param major, minor, patch  where the numbers are written; each may be null.
 *
 * Any thread may call it, at any time, also before anything else.
 */
OC_API void OculonGetVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
