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
PX_API int Px_FreeGrabber(Px_Struct* handle);

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
