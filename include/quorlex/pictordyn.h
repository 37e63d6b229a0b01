/* Grabber access library: opens a grabber on a board through the board's
 * applet library and forwards the Px_ interface to it, with a trace of every
 * call in "pictor.log". */
#ifndef PICTORDYN_H
#define PICTORDYN_H

#if defined(_WIN32)
#if defined(PICTORDYN_BUILD)
#define PX_API __declspec(dllexport)
#else
#define PX_API __declspec(dllimport)
#endif
#else
#define PX_API __attribute__((visibility("default")))
#endif

/* PxDialogBlock: the 40-byte block that Px_doDialog hands on by value. */
#include <quorlex/px_dialog_block.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Px_Struct Px_Struct;

/* The library's own error numbers. */
#define PX_ERR_NO_BOARD (-20)
#define PX_ERR_HAP_NOT_LOADED (-100)
#define PX_ERR_BOARD_NOT_INITIALISED (-110)
#define PX_ERR_DLL_NOT_LOADED (-120)
#define PX_ERR_INVALID_HANDLE (-2001)
#define PX_ERR_MEMORY_WRITE (-2026)
#define PX_ERR_NO_VALID_DESIGN (-2050)
#define PX_ERR_CONFIGURATION (-2052)
#define PX_ERR_RECONFIGURATION (-2053)
#define PX_ERR_INVALID_PORT (-2070)
#define PX_ERR_LOAD_DESIGN (-2080)
#define PX_ERR_INVALID_CONFIG_FILE (-5000)

/* How every call behaves.
 *
 * Forwarding: every call but the initialisations takes the grabber handle
 * first, calls the applet library's entry of the same name with the
 * arguments unchanged and returns its result unchanged; beyond the handle
 * nothing is checked, so results and error numbers other than the ones
 * named here are the applet's. Each call writes one line
 * "<milliseconds> : <call>(<arguments>) : <result>" to "pictor.log" in the
 * current folder (created anew by Px_Init and Px_InitConfig; nothing is
 * written when it cannot be created).
 *
 * Errors: a null handle, or one released or never returned by an
 * initialisation, stores PX_ERR_INVALID_HANDLE (-2001), traces
 * "<name>: invalid Px" and returns -2001 (null from calls returning a
 * pointer; port-based calls without Ex return PX_ERR_INVALID_PORT, -2070,
 * also for ports other than 0 and 1). An applet without the entry gives the
 * same result and stores PX_ERR_DLL_NOT_LOADED (-120). No exception leaves a
 * call: memory running out inside the library gives the failure result and
 * stores -120.
 *
 * Threads: any thread may call; the last error without a handle is one
 * number for the whole process (the last writer wins). Releasing a handle
 * while another thread still calls with it is the caller's race.
 *
 * Memory: image memories, their pictures and the board block belong to the
 * applet library; a pointer into them is valid until the memory is freed or
 * the grabber released. Texts returned belong to the library or the applet:
 * never free them. */

/* Px_Init: loads the applet library appletLibrary (system search order;
 * failing that, in the board type's applet folder under the registry's
 * "dll_path") and opens board boardIndex (0 to 10) with it. Creates
 * "pictor.log" anew.
 * Returns the grabber handle, to be released with Px_FreeGrabber; null on
 * failure, with the reason in getLastErrorNumber(): PX_ERR_DLL_NOT_LOADED
 * (-120) for a library that cannot be found, loaded or is no applet library,
 * or a name or formed path of 256 characters or more; PX_ERR_NO_BOARD (-20)
 * when the applet finds no board; otherwise the applet's number. */
PX_API Px_Struct* Px_Init(const char* appletLibrary, int boardIndex);
/* Px_InitCamera: as Px_Init through the applet's camera entry, without
 * touching the trace. Px_addApplet, Px_getAppletListCount, Px_setClks,
 * Px_getLastPicNumberEventEx, Px_AddDummyBuffer and Px_getBoardPointer count
 * as missing entries on such a handle. */
PX_API Px_Struct* Px_InitCamera(const char* appletLibrary, int boardIndex);
/* Px_InitConfig: reads Hersteller=, Typ= and Version= from the
 * configuration file Config_Name (first 64 MiB), opens the board's applet
 * library whose maker and type match (the TESK variant preferred) with
 * Px_Init, and loads the file into it with Px_loadConfig.
 * Returns the handle; null with PX_ERR_INVALID_CONFIG_FILE (-5000) for a
 * missing or malformed key, -120 when no applet matches or it cannot load
 * the configuration. */
PX_API Px_Struct* Px_InitConfig(const char* Config_Name, int boardIndex);
/* Px_FreeGrabber: tells the applet, unloads its library and frees the
 * handle. Returns the applet's result; -2001 for a handle that is not open.
 * The port default memories are not freed (they are the applet's): call
 * Px_FreeMem first. */
PX_API int Px_FreeGrabber(Px_Struct* handle);

/* Image memory. A memory handle belongs to the applet library.
 * Px_AllocMemEx: count pictures of size bytes; Px_AllocMemHead: count empty
 * slots, filled with the caller's buffers by Px_AddMem (the buffer stays the
 * caller's and must outlive the memory) and emptied by Px_DelMem;
 * Px_AddDummyBuffer: a buffer that takes pictures nobody waits for (null
 * buffer: the applet allocates one). Release with Px_FreeMemEx or
 * Px_FreeMemHead. Null handles give null or -2001. */
PX_API void* Px_AllocMemEx(Px_Struct* handle, int size, int count);
PX_API void* Px_AllocMemHead(Px_Struct* handle, int size, int count);
PX_API int Px_AddMem(Px_Struct* handle, void* head, int index, int size, void* buffer);
PX_API int Px_DelMem(Px_Struct* handle, void* head, int index);
PX_API void* Px_AddDummyBuffer(Px_Struct* handle, void* memory, int size, void* buffer);
PX_API int Px_FreeMemHead(Px_Struct* handle, void* head);
PX_API int Px_FreeMemEx(Px_Struct* handle, void* memory);

/* Acquisition and pictures, on camera port 0 or 1 into a memory.
 * Px_AcquireEx: pictureCount pictures (0 or less: without end).
 * Px_getLastPicNumberBlockingEx: waits up to timeoutMs for picture
 * pictureNumber; returns the last picture number once it exists, or a
 * negative error (the applet's time-out). Px_getImagePtrEx: the picture's
 * pixels in the memory (valid while the ring has not overwritten it), or
 * null. Px_getImage, Px_setActBuffer, Px_getActBuffer, Px_swapBuffer,
 * Px_getStatus(Ex) and Px_setStatus(Ex) pass their values on to the applet
 * unchanged. */
PX_API int Px_AcquireEx(Px_Struct* handle, int port, int pictureCount, int mode, void* memory);
PX_API int Px_stopAcquireEx(Px_Struct* handle, int port, void* memory, int flag);
PX_API int Px_sendSoftwareTrigger(Px_Struct* handle, int port);
PX_API int Px_getLastPicNumberEx(Px_Struct* handle, int port, void* memory);
PX_API int Px_getLastPicNumberBlockingEx(Px_Struct* handle, int pictureNumber, int port,
                                         int timeoutMs, void* memory);
PX_API int Px_getLastPicNumberEventEx(Px_Struct* handle, int pictureNumber, int port, int timeoutMs,
                                      void* memory, void* event);
PX_API int Px_getImage(Px_Struct* handle, int a, int b, int c, int d);
PX_API int Px_getImageEx(Px_Struct* handle, int selector, int pictureNumber, int port,
                         int timeoutMs, void* memory);
PX_API void* Px_getImagePtrEx(Px_Struct* handle, int pictureNumber, int port, void* memory);
PX_API int Px_setActBuffer(Px_Struct* handle, int a, int b);
PX_API int Px_getActBuffer(Px_Struct* handle, int a);
PX_API int Px_swapBuffer(Px_Struct* handle, int a);
PX_API int Px_getStatus(Px_Struct* handle, int a, int b, int c);
PX_API int Px_getStatusEx(Px_Struct* handle, int a, int b, int c, void* p);
PX_API int Px_setStatus(Px_Struct* handle, int a, int b, int c);
PX_API int Px_setStatusEx(Px_Struct* handle, int a, int b, int c, void* p);
PX_API void* Px_getBoardPointer(Px_Struct* handle);

/* The same on port 0 or 1 with the port's default memory, which
 * Px_AllocMem makes (returning picture 1's pixels) and Px_FreeMem releases.
 * A null handle or another port gives PX_ERR_INVALID_PORT (-2070; null from
 * Px_AllocMem and Px_getImagePtr). */
PX_API void* Px_AllocMem(Px_Struct* handle, int size, int count, int port);
PX_API int Px_FreeMem(Px_Struct* handle, int port);
PX_API int Px_Acquire(Px_Struct* handle, int port, int pictureCount);
PX_API int Px_stopAcquire(Px_Struct* handle, int port);
PX_API int Px_getLastPicNumber(Px_Struct* handle, int port);
PX_API int Px_getLastPicNumberBlocking(Px_Struct* handle, int pictureNumber, int port,
                                       int timeoutMs);
PX_API void* Px_getImagePtr(Px_Struct* handle, int pictureNumber, int port);

/* Parameters, configuration and applets: passed to the applet unchanged.
 * value points to the parameter's value (read by Px_setParameter, written by
 * Px_getParameter); its type is the parameter's. Px_getAppletname returns ""
 * for a null handle. Px_configure refuses a null handle like every call. */
PX_API int Px_setParameter(Px_Struct* handle, int parameter, void* value, int port);
PX_API int Px_getParameter(Px_Struct* handle, int parameter, void* value, int port);
PX_API int Px_getParameterEx(Px_Struct* handle, int parameter, void* value, int port, void* extra,
                             int extraSize);
PX_API int Px_saveConfig(Px_Struct* handle, const char* fileName);
PX_API int Px_loadConfig(Px_Struct* handle, const char* fileName);
PX_API int Px_getLoadAppletId(Px_Struct* handle);
PX_API int Px_getAppletId(Px_Struct* handle, const char* appletName);
PX_API int Px_getAppletListCount(Px_Struct* handle);
PX_API const char* Px_getAppletname(Px_Struct* handle, int number);
PX_API int Px_addApplet(Px_Struct* handle, const char* name, int a, int b, int c);
PX_API int Px_configure(Px_Struct* handle, int value);

/* Clocks, trigger and flash outputs, dialogs, serial number: passed to the
 * applet unchanged. Px_doDialog hands the 40-byte block over by value. */
PX_API int Px_setClks(Px_Struct* handle, int a, int b);
PX_API int Px_setExsync(Px_Struct* handle, int a, int b);
PX_API int Px_setFlash(Px_Struct* handle, int a, int b);
PX_API int Px_getSerialNumber(Px_Struct* handle);
PX_API int Px_doDialog(Px_Struct* handle, int a, int b, int c, PxDialogBlock block);
PX_API int Px_closeDialog(Px_Struct* handle);
PX_API int Px_isOpenDialog(Px_Struct* handle);

/* Errors. With a handle: that handle's last error and its text, asked of the
 * applet. With a null handle, and getLastErrorNumber/getErrorDescription:
 * the library's last error (one for the process) and the library's texts
 * ("px-struct is not initialized" for -2001, "framegrabber-dll not load"
 * for -120, ...). */
PX_API int Px_getLastErrorNumber(Px_Struct* handle);
PX_API const char* Px_getLastErrorDescription(Px_Struct* handle);
PX_API const char* Px_getErrorDescription(Px_Struct* handle, int errorNumber);
PX_API int getLastErrorNumber(void);
PX_API const char* getErrorDescription(int errorNumber);

/* The version the library was built as: QUORLEX_VERSION_MAJOR, _MINOR and
 * _PATCH of quorlex/version.h at its build. Any pointer may be null. Any
 * thread may call it, at any time, also before anything else. */
PX_API void Px_getVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
