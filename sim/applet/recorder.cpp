// Recording applet: every forwarded entry journals the arguments it was
// called with and returns a result that tells entries apart, so tests can
// check that the grabber library passes everything through unchanged.
//   int results:     1000 + the entry's word in the handle
//   pointer results: 0x10000 + 16 * the entry's word
// "rec.<entry> = <n>" in the simulator configuration replaces an entry's
// result (for a pointer result, 0 gives null).
#include "applet_entries.h"
#include "applet_table.h"
#include "journal.h"
#include "sim_config.h"
#include "sim_export.h"

#include <cinttypes>
#include <cstdlib>
#include <string>

using qx::sim::journal;

namespace {

#define P(x) reinterpret_cast<std::uintptr_t>(x)
#define PF "%" PRIxPTR

int intResult(const char* name) {
  const int standard = 1000 + qx::contracts::wordOfEntry(name);
  return qx::sim::SimConfig::fromEnvironment().number(std::string("rec.") + name, standard);
}

void* pointerResult(const char* name) {
  const int standard = 0x10000 + 16 * qx::contracts::wordOfEntry(name);
  const int v = qx::sim::SimConfig::fromEnvironment().number(std::string("rec.") + name, standard);
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(v));
}

const char* text(const char* s) {
  return s ? s : "(null)";
}

}  // namespace

SIM_EXPORT Px_Struct* Px_InitLocal(int boardIndex, int size, int* status) {
  journal("Px_InitLocal(%d,%d)", boardIndex, size);
  *status = 0;
  return static_cast<Px_Struct*>(std::calloc(1, static_cast<std::size_t>(size)));
}

SIM_EXPORT int Px_FreeGrabber(Px_Struct* h) {
  journal("Px_FreeGrabber(" PF ")", P(h));
  std::free(h);
  return 0;
}

SIM_EXPORT void* Px_AllocMemEx(Px_Struct* h, int size, int count) {
  journal("Px_AllocMemEx(" PF ",%d,%d)", P(h), size, count);
  return pointerResult("Px_AllocMemEx");
}
SIM_EXPORT void* Px_AllocMemHead(Px_Struct* h, int size, int count) {
  journal("Px_AllocMemHead(" PF ",%d,%d)", P(h), size, count);
  return pointerResult("Px_AllocMemHead");
}
SIM_EXPORT int Px_AddMem(Px_Struct* h, void* head, int index, int size, void* buffer) {
  journal("Px_AddMem(" PF "," PF ",%d,%d," PF ")", P(h), P(head), index, size, P(buffer));
  return intResult("Px_AddMem");
}
SIM_EXPORT int Px_DelMem(Px_Struct* h, void* head, int index) {
  journal("Px_DelMem(" PF "," PF ",%d)", P(h), P(head), index);
  return intResult("Px_DelMem");
}
SIM_EXPORT void* Px_AddDummyBuffer(Px_Struct* h, void* memory, int size, void* buffer) {
  journal("Px_AddDummyBuffer(" PF "," PF ",%d," PF ")", P(h), P(memory), size, P(buffer));
  return pointerResult("Px_AddDummyBuffer");
}
SIM_EXPORT int Px_FreeMemHead(Px_Struct* h, void* head) {
  journal("Px_FreeMemHead(" PF "," PF ")", P(h), P(head));
  return intResult("Px_FreeMemHead");
}
SIM_EXPORT int Px_FreeMemEx(Px_Struct* h, void* memory) {
  journal("Px_FreeMemEx(" PF "," PF ")", P(h), P(memory));
  return intResult("Px_FreeMemEx");
}
SIM_EXPORT int Px_AcquireEx(Px_Struct* h, int port, int count, int mode, void* memory) {
  journal("Px_AcquireEx(" PF ",%d,%d,%d," PF ")", P(h), port, count, mode, P(memory));
  return intResult("Px_AcquireEx");
}
SIM_EXPORT int Px_stopAcquireEx(Px_Struct* h, int port, void* memory, int flag) {
  journal("Px_stopAcquireEx(" PF ",%d," PF ",%d)", P(h), port, P(memory), flag);
  return intResult("Px_stopAcquireEx");
}
SIM_EXPORT int Px_sendSoftwareTrigger(Px_Struct* h, int port) {
  journal("Px_sendSoftwareTrigger(" PF ",%d)", P(h), port);
  return intResult("Px_sendSoftwareTrigger");
}
SIM_EXPORT int Px_getLastPicNumberEx(Px_Struct* h, int port, void* memory) {
  journal("Px_getLastPicNumberEx(" PF ",%d," PF ")", P(h), port, P(memory));
  return intResult("Px_getLastPicNumberEx");
}
SIM_EXPORT int Px_getLastPicNumberBlockingEx(Px_Struct* h, int picture, int port, int timeout,
                                             void* memory) {
  journal("Px_getLastPicNumberBlockingEx(" PF ",%d,%d,%d," PF ")", P(h), picture, port, timeout,
          P(memory));
  return intResult("Px_getLastPicNumberBlockingEx");
}
SIM_EXPORT int Px_getLastPicNumberEventEx(Px_Struct* h, int picture, int port, int timeout,
                                          void* memory, void* event) {
  journal("Px_getLastPicNumberEventEx(" PF ",%d,%d,%d," PF "," PF ")", P(h), picture, port, timeout,
          P(memory), P(event));
  return intResult("Px_getLastPicNumberEventEx");
}
SIM_EXPORT int Px_getImage(Px_Struct* h, int a, int b, int c, int d) {
  journal("Px_getImage(" PF ",%d,%d,%d,%d)", P(h), a, b, c, d);
  return intResult("Px_getImage");
}
SIM_EXPORT void* Px_getImagePtrEx(Px_Struct* h, int picture, int port, void* memory) {
  journal("Px_getImagePtrEx(" PF ",%d,%d," PF ")", P(h), picture, port, P(memory));
  return pointerResult("Px_getImagePtrEx");
}
SIM_EXPORT int Px_setActBuffer(Px_Struct* h, int a, int b) {
  journal("Px_setActBuffer(" PF ",%d,%d)", P(h), a, b);
  return intResult("Px_setActBuffer");
}
SIM_EXPORT int Px_getActBuffer(Px_Struct* h, int a) {
  journal("Px_getActBuffer(" PF ",%d)", P(h), a);
  return intResult("Px_getActBuffer");
}
SIM_EXPORT int Px_swapBuffer(Px_Struct* h, int a) {
  journal("Px_swapBuffer(" PF ",%d)", P(h), a);
  return intResult("Px_swapBuffer");
}
SIM_EXPORT int Px_getStatus(Px_Struct* h, int a, int b, int c) {
  journal("Px_getStatus(" PF ",%d,%d,%d)", P(h), a, b, c);
  return intResult("Px_getStatus");
}
SIM_EXPORT int Px_getStatusEx(Px_Struct* h, int a, int b, int c, void* p) {
  journal("Px_getStatusEx(" PF ",%d,%d,%d," PF ")", P(h), a, b, c, P(p));
  return intResult("Px_getStatusEx");
}
SIM_EXPORT int Px_setStatus(Px_Struct* h, int a, int b, int c) {
  journal("Px_setStatus(" PF ",%d,%d,%d)", P(h), a, b, c);
  return intResult("Px_setStatus");
}
SIM_EXPORT int Px_setStatusEx(Px_Struct* h, int a, int b, int c, void* p) {
  journal("Px_setStatusEx(" PF ",%d,%d,%d," PF ")", P(h), a, b, c, P(p));
  return intResult("Px_setStatusEx");
}
SIM_EXPORT int Px_getImageEx(Px_Struct* h, int selector, int picture, int port, int timeout,
                             void* memory) {
  journal("Px_getImageEx(" PF ",%d,%d,%d,%d," PF ")", P(h), selector, picture, port, timeout,
          P(memory));
  return intResult("Px_getImageEx");
}
SIM_EXPORT void* Px_getBoardPointer(Px_Struct* h) {
  journal("Px_getBoardPointer(" PF ")", P(h));
  return pointerResult("Px_getBoardPointer");
}
// Reads and writes go through the value pointer: a read journals what the
// variable held on the way in and answers parameter + 0x100.
SIM_EXPORT int Px_setParameter(Px_Struct* h, int parameter, void* value, int port) {
  journal("Px_setParameter(" PF ",%d," PF ",%d)", P(h), parameter, P(value), port);
  return intResult("Px_setParameter");
}
SIM_EXPORT int Px_getParameter(Px_Struct* h, int parameter, void* value, int port) {
  if (value != nullptr) {
    int* v = static_cast<int*>(value);
    journal("Px_getParameter(" PF ",%d,in=%d,%d)", P(h), parameter, *v, port);
    *v = parameter + 0x100;
  } else {
    journal("Px_getParameter(" PF ",%d,null,%d)", P(h), parameter, port);
  }
  return intResult("Px_getParameter");
}
SIM_EXPORT int Px_getParameterEx(Px_Struct* h, int parameter, void* value, int port, void* extra,
                                 int extraSize) {
  journal("Px_getParameterEx(" PF ",%d," PF ",%d," PF ",%d)", P(h), parameter, P(value), port,
          P(extra), extraSize);
  return intResult("Px_getParameterEx");
}
SIM_EXPORT int Px_saveConfig(Px_Struct* h, const char* file) {
  journal("Px_saveConfig(" PF ",%s)", P(h), text(file));
  return intResult("Px_saveConfig");
}
SIM_EXPORT int Px_loadConfig(Px_Struct* h, const char* file) {
  journal("Px_loadConfig(" PF ",%s)", P(h), text(file));
  return intResult("Px_loadConfig");
}
SIM_EXPORT int Px_getLoadAppletId(Px_Struct* h) {
  journal("Px_getLoadAppletId(" PF ")", P(h));
  return intResult("Px_getLoadAppletId");
}
SIM_EXPORT int Px_getAppletId(Px_Struct* h, const char* name) {
  journal("Px_getAppletId(" PF ",%s)", P(h), text(name));
  return intResult("Px_getAppletId");
}
SIM_EXPORT int Px_getAppletListCount(Px_Struct* h) {
  journal("Px_getAppletListCount(" PF ")", P(h));
  return intResult("Px_getAppletListCount");
}
SIM_EXPORT const char* Px_getAppletname(Px_Struct* h, int number) {
  journal("Px_getAppletname(" PF ",%d)", P(h), number);
  return "recorded applet";
}
SIM_EXPORT int Px_addApplet(Px_Struct* h, const char* name, int a, int b, int c) {
  journal("Px_addApplet(" PF ",%s,%d,%d,%d)", P(h), text(name), a, b, c);
  return intResult("Px_addApplet");
}
SIM_EXPORT int Px_configure(Px_Struct* h, int value) {
  journal("Px_configure(" PF ",%d)", P(h), value);
  return intResult("Px_configure");
}
SIM_EXPORT int Px_setClks(Px_Struct* h, int a, int b) {
  journal("Px_setClks(" PF ",%d,%d)", P(h), a, b);
  return intResult("Px_setClks");
}
SIM_EXPORT int Px_setExsync(Px_Struct* h, int a, int b) {
  journal("Px_setExsync(" PF ",%d,%d)", P(h), a, b);
  return intResult("Px_setExsync");
}
SIM_EXPORT int Px_setFlash(Px_Struct* h, int a, int b) {
  journal("Px_setFlash(" PF ",%d,%d)", P(h), a, b);
  return intResult("Px_setFlash");
}
SIM_EXPORT int Px_getSerialNumber(Px_Struct* h) {
  journal("Px_getSerialNumber(" PF ")", P(h));
  return intResult("Px_getSerialNumber");
}
SIM_EXPORT int Px_doDialog(Px_Struct* h, int a, int b, int c, PxDialogBlock block) {
  std::string words;
  for (int w : block.word) words += " " + std::to_string(w);
  journal("Px_doDialog(" PF ",%d,%d,%d,[%s ])", P(h), a, b, c, words.c_str());
  return intResult("Px_doDialog");
}
SIM_EXPORT int Px_closeDialog(Px_Struct* h) {
  journal("Px_closeDialog(" PF ")", P(h));
  return intResult("Px_closeDialog");
}
SIM_EXPORT int Px_isOpenDialog(Px_Struct* h) {
  journal("Px_isOpenDialog(" PF ")", P(h));
  return intResult("Px_isOpenDialog");
}
SIM_EXPORT int Px_getLastErrorNumber(Px_Struct* h) {
  journal("Px_getLastErrorNumber(" PF ")", P(h));
  return intResult("Px_getLastErrorNumber");
}
SIM_EXPORT const char* Px_getLastErrorDescription(Px_Struct* h) {
  journal("Px_getLastErrorDescription(" PF ")", P(h));
  return "recorded error";
}
SIM_EXPORT const char* Px_getErrorDescription(Px_Struct* h, int number) {
  journal("Px_getErrorDescription(" PF ",%d)", P(h), number);
  return "recorded description";
}
