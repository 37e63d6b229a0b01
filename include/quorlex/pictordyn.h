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

/**
 * @file pictordyn.h
 * @brief Grabber access: opens a grabber on a board through the board's
 * applet library and forwards the Px_ interface to it.
 *
 * @par Forwarding
 * Every call but the initialisations takes the grabber handle first, calls
 * the applet library's entry of the same name with the arguments unchanged
 * and returns its result unchanged. Beyond the handle nothing is checked,
 * so results and error numbers other than the ones named here are the
 * applet's (the simulated applet's are in docs/simulator.md).
 *
 * @par The trace
 * Each call writes one line "<milliseconds> : <call>(<arguments>) : <result>"
 * to "pictor.log" in the current folder, flushed at once. Px_Init and
 * Px_InitConfig create the file anew; when it cannot be created every call
 * works the same and nothing is written.
 *
 * @par Errors
 * A handle that is not open (null, released by Px_FreeGrabber, or never
 * returned by an initialisation) stores PX_ERR_INVALID_HANDLE (-2001) as the
 * library's last error, traces "<name>: invalid Px" and makes the call return
 * its null-handle result, given with each function (-2001 for most). An
 * applet library without the entry gives the same result, stores
 * PX_ERR_DLL_NOT_LOADED (-120) and traces "<name>: no entry". No exception
 * leaves a call: memory running out inside the library gives the failure
 * result (null, -120, or the text of -120) and stores -120.
 *
 * @par Threads
 * Any thread may call any function. The library's last error is one number
 * for the whole process: the last writer wins, whichever thread it is.
 * Releasing a handle while another thread still calls with it is the
 * caller's race.
 *
 * @par Memory
 * Image memories, their pictures and the board block belong to the applet
 * library; a pointer into them is valid until the memory is freed or the
 * grabber released. Texts returned belong to the library or the applet:
 * never free them.
 */

/**
 * @brief Opens board @p boardIndex with the applet library @p appletLibrary.
 *
 * The library is looked for by its name in the system's search order and,
 * failing that, in the board type's applet folder under the registry's
 * "dll_path". Creates "pictor.log" anew and restarts its clock.
 *
 * @param appletLibrary  file name of the applet library (for instance
 *                       "applet_acqsim.dll"); fewer than 256 characters.
 * @param boardIndex     board number, 0 to 10.
 * @return the grabber handle, to be released with Px_FreeGrabber; null on
 *         failure, with the reason in getLastErrorNumber():
 *         PX_ERR_DLL_NOT_LOADED (-120) for a library that cannot be found or
 *         loaded, exports no initialisation entry, or whose name or formed
 *         path has 256 characters or more; PX_ERR_NO_BOARD (-20) when the
 *         applet finds no board; otherwise the applet's negative status.
 *         A null name or a board out of range fails without storing a number.
 * @par Deviations
 * A library loaded for a failed initialisation is unloaded again, and
 * names too long for the path buffer are refused instead of being cut.
 */
PX_API Px_Struct* Px_Init(const char* appletLibrary, int boardIndex);

/**
 * @brief Opens board @p boardIndex through the applet's camera entry.
 *
 * As Px_Init, without touching the trace. Px_addApplet,
 * Px_getAppletListCount, Px_setClks, Px_getLastPicNumberEventEx,
 * Px_AddDummyBuffer and Px_getBoardPointer count as missing entries on a
 * handle made here.
 *
 * @param appletLibrary  file name of the applet library.
 * @param boardIndex     board number, 0 to 10.
 * @return the grabber handle (release with Px_FreeGrabber), or null with the
 *         errors of Px_Init; a camera entry that returns null fails the same.
 */
PX_API Px_Struct* Px_InitCamera(const char* appletLibrary, int boardIndex);

/**
 * @brief Opens the applet library that a configuration file names and loads
 * the file into it.
 *
 * Reads Hersteller=, Typ= and Version= from the first 64 MiB of the file,
 * finds the library in the board's applet folder whose maker and type match
 * (the TESK variant of the type preferred), opens it with Px_Init and loads
 * the file with Px_loadConfig.
 *
 * @param configFile  name of the configuration file (opened for reading only).
 * @param boardIndex  board number, 0 to 10.
 * @return the grabber handle (release with Px_FreeGrabber), or null:
 *         PX_ERR_INVALID_CONFIG_FILE (-5000) for a missing or malformed key
 *         or an empty version; PX_ERR_DLL_NOT_LOADED (-120) when no applet
 *         matches or it cannot load the configuration.
 */
PX_API Px_Struct* Px_InitConfig(const char* configFile, int boardIndex);

/**
 * @brief Releases a grabber: tells the applet, unloads its library and frees
 * the handle.
 *
 * The ports' default memories are the applet's and are not freed: call
 * Px_FreeMem first. The handle is invalid afterwards, also if the applet
 * reports a failure.
 *
 * @param handle  a handle of Px_Init, Px_InitCamera or Px_InitConfig.
 * @return the applet's result; -2001 for a handle that is not open, or when
 *         the applet has no Px_FreeGrabber entry (the library and the handle
 *         are released all the same).
 */
PX_API int Px_FreeGrabber(Px_Struct* handle);

/**
 * @brief Allocates an image memory of @p count pictures of @p size bytes.
 * @param handle  the grabber.
 * @param size    bytes of one picture.
 * @param count   number of pictures in the ring.
 * @return the memory handle (the applet's; release with Px_FreeMemEx), or
 *         null (also for a handle that is not open).
 */
PX_API void* Px_AllocMemEx(Px_Struct* handle, int size, int count);

/**
 * @brief Allocates an image memory of @p count empty slots, to be filled
 * with the caller's buffers by Px_AddMem.
 * @param handle  the grabber.
 * @param size    bytes of one picture.
 * @param count   number of slots.
 * @return the memory handle (release with Px_FreeMemHead), or null.
 */
PX_API void* Px_AllocMemHead(Px_Struct* handle, int size, int count);

/**
 * @brief Puts the caller's @p buffer into slot @p index of a memory of
 * Px_AllocMemHead.
 * @param handle  the grabber.
 * @param head    the memory of Px_AllocMemHead.
 * @param index   slot number.
 * @param size    bytes of @p buffer.
 * @param buffer  the caller's buffer: it stays the caller's and must outlive
 *                the slot (Px_DelMem, Px_FreeMemHead).
 * @return the applet's result; 0 for a handle that is not open.
 */
PX_API int Px_AddMem(Px_Struct* handle, void* head, int index, int size, void* buffer);

/**
 * @brief Empties slot @p index of a memory of Px_AllocMemHead.
 * @param handle  the grabber.
 * @param head    the memory of Px_AllocMemHead.
 * @param index   slot number.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_DelMem(Px_Struct* handle, void* head, int index);

/**
 * @brief Adds a buffer that takes the pictures nobody waits for.
 * @param handle  the grabber.
 * @param memory  the image memory.
 * @param size    bytes of the buffer.
 * @param buffer  the caller's buffer, or null for one the applet allocates.
 * @return the buffer, or null (also for a handle that is not open, or one
 *         made by Px_InitCamera).
 */
PX_API void* Px_AddDummyBuffer(Px_Struct* handle, void* memory, int size, void* buffer);

/**
 * @brief Releases a memory of Px_AllocMemHead (not the caller's buffers).
 * @param handle  the grabber.
 * @param head    the memory of Px_AllocMemHead.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_FreeMemHead(Px_Struct* handle, void* head);

/**
 * @brief Releases a memory of Px_AllocMemEx and its pictures.
 * @param handle  the grabber.
 * @param memory  the memory of Px_AllocMemEx.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_FreeMemEx(Px_Struct* handle, void* memory);

/**
 * @brief Starts an acquisition on a camera port into a memory.
 * @param handle        the grabber.
 * @param port          camera port, 0 or 1.
 * @param pictureCount  pictures to take; 0 or less: without end.
 * @param mode          the applet's acquisition mode (1: the ring of
 *                      pictures, as Px_Acquire uses it).
 * @param memory        the image memory.
 * @return the applet's result (0 on success); -2001 for a handle that is not
 *         open.
 */
PX_API int Px_AcquireEx(Px_Struct* handle, int port, int pictureCount, int mode, void* memory);

/**
 * @brief Stops the acquisition on a camera port.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @param memory  the image memory the acquisition fills.
 * @param flag    the applet's stop mode (0, as Px_stopAcquire uses it).
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_stopAcquireEx(Px_Struct* handle, int port, void* memory, int flag);

/**
 * @brief Triggers one picture on a camera port by software.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_sendSoftwareTrigger(Px_Struct* handle, int port);

/**
 * @brief The number of the last picture taken into a memory.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @param memory  the image memory.
 * @return the picture number (the first picture is 1); -2001 for a handle
 *         that is not open.
 */
PX_API int Px_getLastPicNumberEx(Px_Struct* handle, int port, void* memory);

/**
 * @brief Waits up to @p timeoutMs for picture @p pictureNumber.
 * @param handle         the grabber.
 * @param pictureNumber  the picture waited for (the first is 1).
 * @param port           camera port, 0 or 1.
 * @param timeoutMs      the longest wait, in milliseconds.
 * @param memory         the image memory.
 * @return the last picture number once that picture exists, or the
 *         applet's negative error (its time-out); -2001 for a handle that
 *         is not open.
 */
PX_API int Px_getLastPicNumberBlockingEx(Px_Struct* handle, int pictureNumber, int port,
                                         int timeoutMs, void* memory);

/**
 * @brief As Px_getLastPicNumberBlockingEx, also signalling @p event.
 * @param handle         the grabber.
 * @param pictureNumber  the picture waited for.
 * @param port           camera port, 0 or 1.
 * @param timeoutMs      the longest wait, in milliseconds.
 * @param memory         the image memory.
 * @param event          the applet's event object, passed on unchanged.
 * @return as Px_getLastPicNumberBlockingEx; -2001 for a handle that is not
 *         open or one made by Px_InitCamera.
 */
PX_API int Px_getLastPicNumberEventEx(Px_Struct* handle, int pictureNumber, int port, int timeoutMs,
                                      void* memory, void* event);

/**
 * @brief The applet's picture query, without a memory handle.
 * @param handle         the grabber.
 * @param selector       what the applet reports (230: the last picture number).
 * @param pictureNumber  the picture asked about.
 * @param port           camera port, 0 or 1.
 * @param timeoutMs      the longest wait, in milliseconds.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_getImage(Px_Struct* handle, int selector, int pictureNumber, int port, int timeoutMs);

/**
 * @brief The applet's picture query on a memory.
 *
 * The trace line also shows the picture's tag and transfer length, read
 * with Px_getParameter (an applet without that entry is not asked).
 *
 * @param handle         the grabber.
 * @param selector       what the applet reports (230: the last picture
 *                       number, waiting for @p pictureNumber).
 * @param pictureNumber  the picture asked about.
 * @param port           camera port, 0 or 1.
 * @param timeoutMs      the longest wait, in milliseconds.
 * @param memory         the image memory.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_getImageEx(Px_Struct* handle, int selector, int pictureNumber, int port,
                         int timeoutMs, void* memory);

/**
 * @brief The pixels of picture @p pictureNumber in a memory.
 * @param handle         the grabber.
 * @param pictureNumber  the picture (the first is 1).
 * @param port           camera port, 0 or 1.
 * @param memory         the image memory.
 * @return a pointer into the memory (the applet's; valid until the ring
 *         overwrites the picture or the memory is freed), or null (also for
 *         a handle that is not open).
 */
PX_API void* Px_getImagePtrEx(Px_Struct* handle, int pictureNumber, int port, void* memory);

/**
 * @brief Chooses the buffer a port acquires into, for double-buffered applets.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @param buffer  the buffer's number (0 or 1).
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_setActBuffer(Px_Struct* handle, int port, int buffer);

/**
 * @brief The buffer a port acquires into.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @return the buffer's number; -2001 for a handle that is not open.
 */
PX_API int Px_getActBuffer(Px_Struct* handle, int port);

/**
 * @brief Switches a port to its other buffer.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_swapBuffer(Px_Struct* handle, int port);

/**
 * @brief Reads a status word of a port.
 * @param handle    the grabber.
 * @param word      the status word's number.
 * @param reserved  passed on unchanged (unused by the simulated applet).
 * @param port      camera port, 0 or 1.
 * @return the applet's result (the word, for the simulated applet); -2001 for
 *         a handle that is not open.
 */
PX_API int Px_getStatus(Px_Struct* handle, int word, int reserved, int port);

/**
 * @brief Reads a status word of a port, also through @p value.
 * @param handle    the grabber.
 * @param word      the status word's number.
 * @param reserved  passed on unchanged.
 * @param port      camera port, 0 or 1.
 * @param value     where the applet writes the word (an int for the
 *                  simulated applet).
 * @return the applet's result (the word, for the simulated applet); -2001 for
 *         a handle that is not open.
 */
PX_API int Px_getStatusEx(Px_Struct* handle, int word, int reserved, int port, void* value);

/**
 * @brief Sets a status word of a port.
 * @param handle  the grabber.
 * @param word    the status word's number.
 * @param value   its new value.
 * @param port    camera port, 0 or 1.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_setStatus(Px_Struct* handle, int word, int value, int port);

/**
 * @brief Sets a status word of a port, with an extra block for the applet.
 * @param handle  the grabber.
 * @param word    the status word's number.
 * @param value   its new value.
 * @param port    camera port, 0 or 1.
 * @param extra   passed on unchanged.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_setStatusEx(Px_Struct* handle, int word, int value, int port, void* extra);

/**
 * @brief The applet's board block.
 * @param handle  the grabber.
 * @return a pointer that belongs to the applet, valid until Px_FreeGrabber;
 *         null for a handle that is not open (nothing stored, no trace line)
 *         or one made by Px_InitCamera.
 */
PX_API void* Px_getBoardPointer(Px_Struct* handle);

/**
 * @brief Allocates the default memory of port 0 or 1.
 *
 * Allocates as Px_AllocMemEx and keeps the memory in the handle as the
 * port's default, used by Px_Acquire, Px_stopAcquire, Px_getLastPicNumber,
 * Px_getLastPicNumberBlocking and Px_getImagePtr. An earlier default memory
 * of the port is replaced, not freed.
 *
 * @param handle  the grabber.
 * @param size    bytes of one picture.
 * @param count   number of pictures.
 * @param port    camera port, 0 or 1.
 * @return the pixels of picture 1 in the new memory; null on failure, for a
 *         handle that is not open or another port.
 */
PX_API void* Px_AllocMem(Px_Struct* handle, int size, int count, int port);

/**
 * @brief Frees the default memory of port 0 or 1 (Px_FreeMemEx).
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @return the applet's result; PX_ERR_INVALID_PORT (-2070) for a handle that
 *         is not open or another port. A failed free keeps the memory as the
 *         default, so that a retry frees the same block.
 */
PX_API int Px_FreeMem(Px_Struct* handle, int port);

/**
 * @brief Px_AcquireEx in mode 1 into the port's default memory.
 * @param handle        the grabber.
 * @param port          camera port, 0 or 1.
 * @param pictureCount  pictures to take; 0 or less: without end.
 * @return the applet's result; -2070 for a handle that is not open or
 *         another port.
 */
PX_API int Px_Acquire(Px_Struct* handle, int port, int pictureCount);

/**
 * @brief Px_stopAcquireEx with flag 0 on the port's default memory.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @return the applet's result; -2070 for a handle that is not open or
 *         another port.
 */
PX_API int Px_stopAcquire(Px_Struct* handle, int port);

/**
 * @brief The last picture number in the port's default memory.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @return the picture number; -2070 for a handle that is not open or
 *         another port.
 */
PX_API int Px_getLastPicNumber(Px_Struct* handle, int port);

/**
 * @brief Waits up to @p timeoutMs for picture @p pictureNumber in the port's
 * default memory.
 * @param handle         the grabber.
 * @param pictureNumber  the picture waited for (the first is 1).
 * @param port           camera port, 0 or 1.
 * @param timeoutMs      the longest wait, in milliseconds.
 * @return the last picture number once that picture exists, or the
 *         applet's negative error; -2070 for a handle that is not open or
 *         another port.
 */
PX_API int Px_getLastPicNumberBlocking(Px_Struct* handle, int pictureNumber, int port,
                                       int timeoutMs);

/**
 * @brief The pixels of a picture in the port's default memory.
 * @param handle         the grabber.
 * @param pictureNumber  the picture (the first is 1).
 * @param port           camera port, 0 or 1.
 * @return a pointer into the memory (the applet's), or null (also for a
 *         handle that is not open or another port).
 */
PX_API void* Px_getImagePtr(Px_Struct* handle, int pictureNumber, int port);

/**
 * @brief Sets an applet parameter.
 * @param handle     the grabber.
 * @param parameter  the parameter's number.
 * @param value      points to the new value, of the parameter's type; only read.
 * @param port       camera port, 0 or 1.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_setParameter(Px_Struct* handle, int parameter, void* value, int port);

/**
 * @brief Reads an applet parameter.
 * @param handle     the grabber.
 * @param parameter  the parameter's number.
 * @param value      where the value is written, of the parameter's type
 *                   (some parameters also read it first, for instance a
 *                   picture number).
 * @param port       camera port, 0 or 1.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_getParameter(Px_Struct* handle, int parameter, void* value, int port);

/**
 * @brief Reads an applet parameter with an extra block.
 * @param handle     the grabber.
 * @param parameter  the parameter's number.
 * @param value      where the value is written.
 * @param port       camera port, 0 or 1.
 * @param extra      a block passed on unchanged.
 * @param extraSize  bytes of @p extra.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_getParameterEx(Px_Struct* handle, int parameter, void* value, int port, void* extra,
                             int extraSize);

/**
 * @brief Saves the applet's parameters to a configuration file.
 * @param handle    the grabber.
 * @param fileName  the file to write.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_saveConfig(Px_Struct* handle, const char* fileName);

/**
 * @brief Loads a configuration file into the applet.
 * @param handle    the grabber.
 * @param fileName  the file to read.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_loadConfig(Px_Struct* handle, const char* fileName);

/**
 * @brief The id of the applet loaded on the board.
 * @param handle  the grabber.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_getLoadAppletId(Px_Struct* handle);

/**
 * @brief The id of an applet in the applet list.
 * @param handle      the grabber.
 * @param appletName  the applet's name.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_getAppletId(Px_Struct* handle, const char* appletName);

/**
 * @brief The number of applets in the applet list.
 * @param handle  the grabber.
 * @return the applet's result; -2001 for a handle that is not open or one
 *         made by Px_InitCamera.
 */
PX_API int Px_getAppletListCount(Px_Struct* handle);

/**
 * @brief The name of an applet in the applet list.
 * @param handle  the grabber.
 * @param number  the position in the list.
 * @return the name (the applet's; never free it); "" for a handle that is
 *         not open.
 */
PX_API const char* Px_getAppletname(Px_Struct* handle, int number);

/**
 * @brief Adds an applet to the applet list.
 * @param handle  the grabber.
 * @param name    the applet's name.
 * @param option1, option2, option3  the applet library's own values, passed
 *                on unchanged (unused by the simulated applet).
 * @return the applet's result; -2001 for a handle that is not open or one
 *         made by Px_InitCamera. The result line is traced for a handle
 *         that is not open too (no "invalid Px" line).
 */
PX_API int Px_addApplet(Px_Struct* handle, const char* name, int option1, int option2, int option3);

/**
 * @brief Loads the applet of id @p appletId onto the board.
 * @param handle    the grabber.
 * @param appletId  an id of Px_getAppletId.
 * @return the applet's result; -2001 for a handle that is not open.
 * @par Deviations
 * A null handle is refused like in every other call instead of being handed
 * to the applet.
 */
PX_API int Px_configure(Px_Struct* handle, int appletId);

/**
 * @brief Sets a port's pixel clock.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @param value   the applet's clock value.
 * @return the applet's result; -2001 for a handle that is not open or one
 *         made by Px_InitCamera.
 */
PX_API int Px_setClks(Px_Struct* handle, int port, int value);

/**
 * @brief Sets a port's exsync (camera trigger) output.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @param value   the applet's exsync value.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_setExsync(Px_Struct* handle, int port, int value);

/**
 * @brief Sets a port's flash output.
 * @param handle  the grabber.
 * @param port    camera port, 0 or 1.
 * @param value   the applet's flash value.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_setFlash(Px_Struct* handle, int port, int value);

/**
 * @brief The board's serial number.
 * @param handle  the grabber.
 * @return the serial number; -2001 for a handle that is not open.
 */
PX_API int Px_getSerialNumber(Px_Struct* handle);

/**
 * @brief Opens one of the applet's dialogs.
 * @param handle  the grabber.
 * @param dialog, option1, option2  the applet library's own values, passed
 *                on unchanged.
 * @param block   40 bytes handed to the applet by value, unchanged; its
 *                layout is the applet's. Only its first word is traced.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_doDialog(Px_Struct* handle, int dialog, int option1, int option2,
                       PxDialogBlock block);

/**
 * @brief Closes the applet's dialog.
 * @param handle  the grabber.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_closeDialog(Px_Struct* handle);

/**
 * @brief Whether the applet's dialog is open.
 * @param handle  the grabber.
 * @return the applet's result; -2001 for a handle that is not open.
 */
PX_API int Px_isOpenDialog(Px_Struct* handle);

/**
 * @brief The last error of a grabber, or the library's.
 * @param handle  the grabber, or null for the library's last error.
 * @return with an open handle: the applet's last error for it (the
 *         library's when the applet has no such entry). With null or a
 *         handle that is not open: the library's last error, -2001 when
 *         none was stored yet.
 */
PX_API int Px_getLastErrorNumber(Px_Struct* handle);

/**
 * @brief The text of the last error of a grabber, or of the library's.
 * @param handle  the grabber, or null.
 * @return the applet's text with an open handle; otherwise the library's
 *         text of its last error (see getErrorDescription). Never null;
 *         never free it.
 */
PX_API const char* Px_getLastErrorDescription(Px_Struct* handle);

/**
 * @brief The text of an error number.
 * @param handle       the grabber.
 * @param errorNumber  the number.
 * @return the applet's text for the number; "px-struct is not initialized"
 *         for a handle that is not open. Never null; never free it.
 */
PX_API const char* Px_getErrorDescription(Px_Struct* handle, int errorNumber);

/**
 * @brief The library's last error: the failure of an initialisation, or of
 * a call with a handle that is not open.
 * @return the number, 0 when none was stored. One number for the whole
 *         process: the last writer wins, whichever thread it is.
 */
PX_API int getLastErrorNumber(void);

/**
 * @brief The library's text of an error number ("px-struct is not
 * initialized" for -2001, "framegrabber-dll not load" for -120, ...).
 * @param errorNumber  the number.
 * @return a static text; "Invalid Error" for a number the library does not
 *         know. Never null; never free it. Writes no trace line.
 */
PX_API const char* getErrorDescription(int errorNumber);

/**
 * @brief The version the library was built as: QUORLEX_VERSION_MAJOR,
 * _MINOR and _PATCH of quorlex/version.h at its build.
 * @param major, minor, patch  where the numbers are written; each may be null.
 *
 * Any thread may call it, at any time, also before anything else. Takes no
 * handle and writes no trace line.
 */
PX_API void Px_getVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
