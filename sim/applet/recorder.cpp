// Recording applet: every forwarded entry journals the arguments it was
// called with and returns a result that tells entries apart, so tests can
// check that the grabber library passes everything through unchanged.
//   int results:     1000 + the entry's word in the handle
//   pointer results: 0x10000 + 16 * the entry's word
// "rec.<entry> = <n>" in the simulator configuration replaces an entry's
// result (for a pointer result, 0 gives null). The common entries are one
// generic recorded entry each; the ones written out differ as they say.
#include "applet_entries.h"
#include "applet_table.h"
#include "call_line.h"
#include "journal.h"
#include "sim_config.h"
#include "sim_export.h"

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>

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

using qx::contracts::CallArg;

template <int Word, typename Fn>
struct Recorded;

// The common recorded entry: journals its arguments and answers the
// standard (or configured) result of its word.
template <int Word, typename Ret, typename... Args>
struct Recorded<Word, Ret (*)(Px_Struct*, Args...)> {
  static_assert(std::is_same_v<Ret (*)(Px_Struct*, Args...), qx::contracts::EntryPointer<Word>>,
                "the recorded entry has the table's type");
  static Ret call(const char* name, Px_Struct* h, Args... args) {
    static const qx::contracts::CallFormat format = qx::contracts::callFormat<Args...>(name);
    journal(format.text, P(h), CallArg<Args>::value(args)...);
    if constexpr (std::is_same_v<Ret, int>)
      return intResult(name);
    else
      return pointerResult(name);
  }
};

// The body of a common recorded entry of this name, given its arguments.
#define RECORDED(name, ...) \
  Recorded<qx::contracts::wordOfEntry(#name), decltype(&name)>::call(#name, __VA_ARGS__)

}  // namespace

// Written out: the initialisation and the release make and free the record.
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
  return RECORDED(Px_AllocMemEx, h, size, count);
}
SIM_EXPORT void* Px_AllocMemHead(Px_Struct* h, int size, int count) {
  return RECORDED(Px_AllocMemHead, h, size, count);
}
SIM_EXPORT int Px_AddMem(Px_Struct* h, void* head, int index, int size, void* buffer) {
  return RECORDED(Px_AddMem, h, head, index, size, buffer);
}
SIM_EXPORT int Px_DelMem(Px_Struct* h, void* head, int index) {
  return RECORDED(Px_DelMem, h, head, index);
}
SIM_EXPORT void* Px_AddDummyBuffer(Px_Struct* h, void* memory, int size, void* buffer) {
  return RECORDED(Px_AddDummyBuffer, h, memory, size, buffer);
}
SIM_EXPORT int Px_FreeMemHead(Px_Struct* h, void* head) {
  return RECORDED(Px_FreeMemHead, h, head);
}
SIM_EXPORT int Px_FreeMemEx(Px_Struct* h, void* memory) {
  return RECORDED(Px_FreeMemEx, h, memory);
}
SIM_EXPORT int Px_AcquireEx(Px_Struct* h, int port, int count, int mode, void* memory) {
  return RECORDED(Px_AcquireEx, h, port, count, mode, memory);
}
SIM_EXPORT int Px_stopAcquireEx(Px_Struct* h, int port, void* memory, int flag) {
  return RECORDED(Px_stopAcquireEx, h, port, memory, flag);
}
SIM_EXPORT int Px_sendSoftwareTrigger(Px_Struct* h, int port) {
  return RECORDED(Px_sendSoftwareTrigger, h, port);
}
SIM_EXPORT int Px_getLastPicNumberEx(Px_Struct* h, int port, void* memory) {
  return RECORDED(Px_getLastPicNumberEx, h, port, memory);
}
SIM_EXPORT int Px_getLastPicNumberBlockingEx(Px_Struct* h, int picture, int port, int timeout,
                                             void* memory) {
  return RECORDED(Px_getLastPicNumberBlockingEx, h, picture, port, timeout, memory);
}
SIM_EXPORT int Px_getLastPicNumberEventEx(Px_Struct* h, int picture, int port, int timeout,
                                          void* memory, void* event) {
  return RECORDED(Px_getLastPicNumberEventEx, h, picture, port, timeout, memory, event);
}
SIM_EXPORT int Px_getImage(Px_Struct* h, int a, int b, int c, int d) {
  return RECORDED(Px_getImage, h, a, b, c, d);
}
SIM_EXPORT void* Px_getImagePtrEx(Px_Struct* h, int picture, int port, void* memory) {
  return RECORDED(Px_getImagePtrEx, h, picture, port, memory);
}
SIM_EXPORT int Px_setActBuffer(Px_Struct* h, int a, int b) {
  return RECORDED(Px_setActBuffer, h, a, b);
}
SIM_EXPORT int Px_getActBuffer(Px_Struct* h, int a) {
  return RECORDED(Px_getActBuffer, h, a);
}
SIM_EXPORT int Px_swapBuffer(Px_Struct* h, int a) {
  return RECORDED(Px_swapBuffer, h, a);
}
SIM_EXPORT int Px_getStatus(Px_Struct* h, int a, int b, int c) {
  return RECORDED(Px_getStatus, h, a, b, c);
}
SIM_EXPORT int Px_getStatusEx(Px_Struct* h, int a, int b, int c, void* p) {
  return RECORDED(Px_getStatusEx, h, a, b, c, p);
}
SIM_EXPORT int Px_setStatus(Px_Struct* h, int a, int b, int c) {
  return RECORDED(Px_setStatus, h, a, b, c);
}
SIM_EXPORT int Px_setStatusEx(Px_Struct* h, int a, int b, int c, void* p) {
  return RECORDED(Px_setStatusEx, h, a, b, c, p);
}
SIM_EXPORT int Px_getImageEx(Px_Struct* h, int selector, int picture, int port, int timeout,
                             void* memory) {
  return RECORDED(Px_getImageEx, h, selector, picture, port, timeout, memory);
}
SIM_EXPORT void* Px_getBoardPointer(Px_Struct* h) {
  return RECORDED(Px_getBoardPointer, h);
}
// Reads and writes go through the value pointer: a read journals what the
// variable held on the way in and answers parameter + 0x100.
SIM_EXPORT int Px_setParameter(Px_Struct* h, int parameter, void* value, int port) {
  return RECORDED(Px_setParameter, h, parameter, value, port);
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
  return RECORDED(Px_getParameterEx, h, parameter, value, port, extra, extraSize);
}
SIM_EXPORT int Px_saveConfig(Px_Struct* h, const char* file) {
  return RECORDED(Px_saveConfig, h, file);
}
SIM_EXPORT int Px_loadConfig(Px_Struct* h, const char* file) {
  return RECORDED(Px_loadConfig, h, file);
}
SIM_EXPORT int Px_getLoadAppletId(Px_Struct* h) {
  return RECORDED(Px_getLoadAppletId, h);
}
SIM_EXPORT int Px_getAppletId(Px_Struct* h, const char* name) {
  return RECORDED(Px_getAppletId, h, name);
}
SIM_EXPORT int Px_getAppletListCount(Px_Struct* h) {
  return RECORDED(Px_getAppletListCount, h);
}
// Written out: the text entries answer fixed texts.
SIM_EXPORT const char* Px_getAppletname(Px_Struct* h, int number) {
  journal("Px_getAppletname(" PF ",%d)", P(h), number);
  return "recorded applet";
}
SIM_EXPORT int Px_addApplet(Px_Struct* h, const char* name, int a, int b, int c) {
  return RECORDED(Px_addApplet, h, name, a, b, c);
}
SIM_EXPORT int Px_configure(Px_Struct* h, int value) {
  return RECORDED(Px_configure, h, value);
}
SIM_EXPORT int Px_setClks(Px_Struct* h, int a, int b) {
  return RECORDED(Px_setClks, h, a, b);
}
SIM_EXPORT int Px_setExsync(Px_Struct* h, int a, int b) {
  return RECORDED(Px_setExsync, h, a, b);
}
SIM_EXPORT int Px_setFlash(Px_Struct* h, int a, int b) {
  return RECORDED(Px_setFlash, h, a, b);
}
SIM_EXPORT int Px_getSerialNumber(Px_Struct* h) {
  return RECORDED(Px_getSerialNumber, h);
}
// Written out: journals every word of the block, not its address.
SIM_EXPORT int Px_doDialog(Px_Struct* h, int a, int b, int c, PxDialogBlock block) {
  std::string words;
  for (int w : block.word) words += " " + std::to_string(w);
  journal("Px_doDialog(" PF ",%d,%d,%d,[%s ])", P(h), a, b, c, words.c_str());
  return intResult("Px_doDialog");
}
SIM_EXPORT int Px_closeDialog(Px_Struct* h) {
  return RECORDED(Px_closeDialog, h);
}
SIM_EXPORT int Px_isOpenDialog(Px_Struct* h) {
  return RECORDED(Px_isOpenDialog, h);
}
SIM_EXPORT int Px_getLastErrorNumber(Px_Struct* h) {
  return RECORDED(Px_getLastErrorNumber, h);
}
SIM_EXPORT const char* Px_getLastErrorDescription(Px_Struct* h) {
  journal("Px_getLastErrorDescription(" PF ")", P(h));
  return "recorded error";
}
SIM_EXPORT const char* Px_getErrorDescription(Px_Struct* h, int number) {
  journal("Px_getErrorDescription(" PF ",%d)", P(h), number);
  return "recorded description";
}
