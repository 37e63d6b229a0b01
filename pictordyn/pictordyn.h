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
#include "../contracts/px_dialog_block.h"

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

/* Opening and releasing a grabber. */
PX_API Px_Struct* Px_Init(const char* appletLibrary, int boardIndex);
PX_API Px_Struct* Px_InitCamera(const char* appletLibrary, int boardIndex);
/* Opens a grabber with the applet library whose maker and type match the
 * configuration file, and loads that configuration into it. */
PX_API Px_Struct* Px_InitConfig(const char* Config_Name, int boardIndex);
PX_API int Px_FreeGrabber(Px_Struct* handle);

/* Image memory. A memory handle belongs to the applet library. */
PX_API void* Px_AllocMemEx(Px_Struct* handle, int size, int count);
PX_API void* Px_AllocMemHead(Px_Struct* handle, int size, int count);
PX_API int Px_AddMem(Px_Struct* handle, void* head, int index, int size, void* buffer);
PX_API int Px_DelMem(Px_Struct* handle, void* head, int index);
PX_API void* Px_AddDummyBuffer(Px_Struct* handle, void* memory, int size, void* buffer);
PX_API int Px_FreeMemHead(Px_Struct* handle, void* head);
PX_API int Px_FreeMemEx(Px_Struct* handle, void* memory);

/* Acquisition and pictures. */
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
 * Px_AllocMem makes and Px_FreeMem releases. */
PX_API void* Px_AllocMem(Px_Struct* handle, int size, int count, int port);
PX_API int Px_FreeMem(Px_Struct* handle, int port);
PX_API int Px_Acquire(Px_Struct* handle, int port, int pictureCount);
PX_API int Px_stopAcquire(Px_Struct* handle, int port);
PX_API int Px_getLastPicNumber(Px_Struct* handle, int port);
PX_API int Px_getLastPicNumberBlocking(Px_Struct* handle, int pictureNumber, int port,
                                       int timeoutMs);
PX_API void* Px_getImagePtr(Px_Struct* handle, int pictureNumber, int port);

/* Parameters, configuration and applets. */
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

/* Clocks, trigger and flash outputs, dialogs, serial number. */
PX_API int Px_setClks(Px_Struct* handle, int a, int b);
PX_API int Px_setExsync(Px_Struct* handle, int a, int b);
PX_API int Px_setFlash(Px_Struct* handle, int a, int b);
PX_API int Px_getSerialNumber(Px_Struct* handle);
PX_API int Px_doDialog(Px_Struct* handle, int a, int b, int c, PxDialogBlock block);
PX_API int Px_closeDialog(Px_Struct* handle);
PX_API int Px_isOpenDialog(Px_Struct* handle);

/* Errors. */
PX_API int Px_getLastErrorNumber(Px_Struct* handle);
PX_API const char* Px_getLastErrorDescription(Px_Struct* handle);
PX_API const char* Px_getErrorDescription(Px_Struct* handle, int errorNumber);
PX_API int getLastErrorNumber(void);
PX_API const char* getErrorDescription(int errorNumber);

#ifdef __cplusplus
}
#endif

#endif
