// Applet list, clocks, exsync, flash, status words, buffers, dialog, serial
// number, serial line and shading entries of the acquisition applet
// simulator: each keeps what it is given, per handle.
#include "applet_entries.h"
#include "handle.h"
#include "sim_export.h"

using namespace qx::sim;

SIM_EXPORT const char* Px_getAppletname(Px_Struct* handle, int number) {
  Grabber* grabber = grabberOf(handle);
  return grabber != nullptr ? grabber->appletName(number) : "";
}

SIM_EXPORT int Px_getAppletId(Px_Struct* handle, const char* appletName) {
  return callInt(handle, [&](Grabber& g) { return g.appletId(appletName); });
}

SIM_EXPORT int Px_getLoadAppletId(Px_Struct* handle) {
  return callInt(handle, [&](Grabber& g) { return g.loadAppletId(); });
}

SIM_EXPORT int Px_getAppletListCount(Px_Struct* handle) {
  return callInt(handle, [&](Grabber& g) { return g.appletCount(); });
}

// Adds a name to the applet list and returns its id; the three numbers are
// the maker's and do not matter to the simulator.
SIM_EXPORT int Px_addApplet(Px_Struct* handle, const char* name, int, int, int) {
  return callInt(handle, [&](Grabber& g) { return g.addApplet(name); });
}

// Loads the applet of that id onto the board.
SIM_EXPORT int Px_configure(Px_Struct* handle, int appletId) {
  return callInt(handle, [&](Grabber& g) { return g.configure(appletId); });
}

SIM_EXPORT int Px_setClks(Px_Struct* handle, int port, int value) {
  return callInt(handle, [&](Grabber& g) { return g.store(port, ACQSIM_PARAM_CLOCK, value); });
}

SIM_EXPORT int Px_setExsync(Px_Struct* handle, int port, int value) {
  return callInt(handle, [&](Grabber& g) { return g.store(port, ACQSIM_PARAM_EXSYNC, value); });
}

SIM_EXPORT int Px_setFlash(Px_Struct* handle, int port, int value) {
  return callInt(handle, [&](Grabber& g) { return g.store(port, ACQSIM_PARAM_FLASH, value); });
}

// Status words are kept per (word, port); the second number of the reads is
// not used. The reads return the word, the Ex read also writes it through
// its pointer.
SIM_EXPORT int Px_getStatus(Px_Struct* handle, int word, int, int port) {
  return callInt(handle, [&](Grabber& g) { return g.getStatus(word, port, nullptr); });
}

SIM_EXPORT int Px_getStatusEx(Px_Struct* handle, int word, int, int port, void* value) {
  return callInt(handle,
                 [&](Grabber& g) { return g.getStatus(word, port, static_cast<int*>(value)); });
}

SIM_EXPORT int Px_setStatus(Px_Struct* handle, int word, int value, int port) {
  return callInt(handle, [&](Grabber& g) { return g.setStatus(word, value, port); });
}

SIM_EXPORT int Px_setStatusEx(Px_Struct* handle, int word, int value, int port, void*) {
  return callInt(handle, [&](Grabber& g) { return g.setStatus(word, value, port); });
}

SIM_EXPORT int Px_setActBuffer(Px_Struct* handle, int port, int buffer) {
  return callInt(handle, [&](Grabber& g) { return g.setActBuffer(port, buffer); });
}

SIM_EXPORT int Px_getActBuffer(Px_Struct* handle, int port) {
  return callInt(handle, [&](Grabber& g) { return g.getActBuffer(port); });
}

SIM_EXPORT int Px_swapBuffer(Px_Struct* handle, int port) {
  return callInt(handle, [&](Grabber& g) { return g.swapBuffer(port); });
}

// The block is kept; ACQSIM_PARAM_DIALOG_WORD reads it back. The three
// numbers do not matter to the simulator.
SIM_EXPORT int Px_doDialog(Px_Struct* handle, int, int, int, PxDialogBlock block) {
  return callInt(handle, [&](Grabber& g) { return g.doDialog(block); });
}

SIM_EXPORT int Px_closeDialog(Px_Struct* handle) {
  return callInt(handle, [&](Grabber& g) { return g.closeDialog(); });
}

SIM_EXPORT int Px_isOpenDialog(Px_Struct* handle) {
  return callInt(handle, [&](Grabber& g) { return g.isOpenDialog(); });
}

SIM_EXPORT int Px_getSerialNumber(Px_Struct* handle) {
  return callInt(handle, [&](Grabber& g) { return g.serialNumber(); });
}

SIM_EXPORT void* Px_getBoardPointer(Px_Struct* handle) {
  return callPtr<void>(handle, [&](Grabber& g) { return g.boardPointer(); });
}

// The serial line of each port is a loopback.
SIM_EXPORT int Px_SerialSend(Px_Struct* handle, int port, const char* data, int length) {
  return callInt(handle, [&](Grabber& g) { return g.serialSend(port, data, length); });
}

SIM_EXPORT int Px_SerialReceive(Px_Struct* handle, int port, char* buffer, int capacity) {
  return callInt(handle, [&](Grabber& g) { return g.serialReceive(port, buffer, capacity); });
}

// Shading tables are kept, not applied to the pictures.
SIM_EXPORT void* Px_AllocShading(Px_Struct* handle, int port) {
  return callPtr<void>(handle, [&](Grabber& g) { return g.allocShading(port); });
}

SIM_EXPORT int Px_FreeShading(Px_Struct* handle, void* shading) {
  return callInt(handle, [&](Grabber& g) { return g.freeShading(shading); });
}

SIM_EXPORT int Shad_GetMaxLine(Px_Struct* handle, void* shading) {
  return callInt(handle, [&](Grabber& g) { return g.shadingMaxLine(shading); });
}

SIM_EXPORT int Shad_SetSubValueLine(Px_Struct* handle, void* shading, int column, int value) {
  return callInt(handle, [&](Grabber& g) { return g.shadingValue(shading, 0, column, value); });
}

SIM_EXPORT int Shad_SetMultValueLine(Px_Struct* handle, void* shading, int column, int value) {
  return callInt(handle, [&](Grabber& g) { return g.shadingValue(shading, 1, column, value); });
}

SIM_EXPORT int Shad_SetFixedPatternNoiseLine(Px_Struct* handle, void* shading, int column,
                                             int value) {
  return callInt(handle, [&](Grabber& g) { return g.shadingValue(shading, 2, column, value); });
}

SIM_EXPORT int Shad_GetAccess(Px_Struct* handle, void* shading) {
  return callInt(handle, [&](Grabber& g) { return g.shadingAccess(shading, true); });
}

SIM_EXPORT int Shad_FreeAccess(Px_Struct* handle, void* shading) {
  return callInt(handle, [&](Grabber& g) { return g.shadingAccess(shading, false); });
}

SIM_EXPORT int Shad_WriteActLine(Px_Struct* handle, void* shading, int line) {
  return callInt(handle, [&](Grabber& g) { return g.shadingWriteLine(shading, line); });
}

static_assert(std::is_same_v<decltype(&Px_getAppletname), PxGetAppletnameFn>);
static_assert(std::is_same_v<decltype(&Px_getAppletId), PxGetAppletIdFn>);
static_assert(std::is_same_v<decltype(&Px_getLoadAppletId), PxGetLoadAppletIdFn>);
static_assert(std::is_same_v<decltype(&Px_getAppletListCount), PxGetAppletListCountFn>);
static_assert(std::is_same_v<decltype(&Px_addApplet), PxAddAppletFn>);
static_assert(std::is_same_v<decltype(&Px_configure), PxConfigureFn>);
static_assert(std::is_same_v<decltype(&Px_setClks), PxSetClksFn>);
static_assert(std::is_same_v<decltype(&Px_setExsync), PxSetExsyncFn>);
static_assert(std::is_same_v<decltype(&Px_setFlash), PxSetFlashFn>);
static_assert(std::is_same_v<decltype(&Px_getStatus), PxGetStatusFn>);
static_assert(std::is_same_v<decltype(&Px_getStatusEx), PxGetStatusExFn>);
static_assert(std::is_same_v<decltype(&Px_setStatus), PxSetStatusFn>);
static_assert(std::is_same_v<decltype(&Px_setStatusEx), PxSetStatusExFn>);
static_assert(std::is_same_v<decltype(&Px_setActBuffer), PxSetActBufferFn>);
static_assert(std::is_same_v<decltype(&Px_getActBuffer), PxGetActBufferFn>);
static_assert(std::is_same_v<decltype(&Px_swapBuffer), PxSwapBufferFn>);
static_assert(std::is_same_v<decltype(&Px_doDialog), PxDoDialogFn>);
static_assert(std::is_same_v<decltype(&Px_closeDialog), PxCloseDialogFn>);
static_assert(std::is_same_v<decltype(&Px_isOpenDialog), PxIsOpenDialogFn>);
static_assert(std::is_same_v<decltype(&Px_getSerialNumber), PxGetSerialNumberFn>);
static_assert(std::is_same_v<decltype(&Px_getBoardPointer), PxGetBoardPointerFn>);
