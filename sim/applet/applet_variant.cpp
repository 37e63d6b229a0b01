// Small simulated applet libraries, one per way of initialising a grabber.
// Each variant is this source built with a different set of definitions:
//   APPLET_TAG         name written in front of each journal line
//   APPLET_LOCAL       exports Px_InitLocal (the applet owns the record)
//   APPLET_CAMERA      exports Px_InitialiseCamera
//   APPLET_CAMERA_EX   exports Px_InitialiseCameraEx
//   APPLET_SET_NAME    exports setAppletName
//   APPLET_SPARSE      exports only a few entries of the handle table
//   APPLET_STATUS      status that the initialisation reports (default 0)
//   APPLET_NULL        the initialisation entries return null
//   APPLET_MAKER, APPLET_TYPE
//                      exports Info, answering this maker and type; the
//                      simulator configuration may replace them with
//                      "<tag>.maker" and "<tag>.type"
//   APPLET_LOAD_CONFIG result of Px_loadConfig (default 0)
//   APPLET_QUIET       the table entries journal nothing (for benchmarks)
//   APPLET_NO_GET_PARAMETER
//                      exports the table without Px_getParameter
#include "applet_table.h"
#include "journal.h"
#include "px_struct.h"
#include "sim_config.h"
#include "sim_export.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef APPLET_STATUS
#define APPLET_STATUS 0
#endif
#ifndef APPLET_TAG
#define APPLET_TAG "applet"
#endif
#ifndef APPLET_LOAD_CONFIG
#define APPLET_LOAD_CONFIG 0
#endif

using qx::sim::journal;

namespace {

// What a camera entry hands back: the applet's own grabber state.
struct AppletGrabber {
  int board;
  int lastError;
};

// A failing initialisation still hands back state of its own (the library
// must not take it); it lives in static storage, so nothing leaks.
[[maybe_unused]] constexpr bool kFails = APPLET_STATUS < 0;
[[maybe_unused]] AppletGrabber g_failedGrabber{-1, APPLET_STATUS};
[[maybe_unused]] Px_Struct g_failedRecord;

[[maybe_unused]] void* newAppletGrabber(int boardIndex) {
#ifdef APPLET_NULL
  (void)boardIndex;
  return nullptr;
#else
  if (kFails) return &g_failedGrabber;
  return new AppletGrabber{boardIndex, -777};
#endif
}

}  // namespace

#ifdef APPLET_MAKER
SIM_EXPORT int Info(int query, int, int, char* text, int) {
  const qx::sim::SimConfig config = qx::sim::SimConfig::fromEnvironment();
  std::string answer;
  if (query == 0x200) answer = config.text(APPLET_TAG ".maker", APPLET_MAKER);
  if (query == 0x300) answer = config.text(APPLET_TAG ".type", APPLET_TYPE);
  journal(APPLET_TAG ": Info(%d)", query);
  std::snprintf(text, 256, "%s", answer.c_str());
  return 0;
}
#endif

#ifdef APPLET_SET_NAME
SIM_EXPORT int setAppletName(const char* name) {
  journal(APPLET_TAG ": setAppletName(%s)", name);
  return 0;
}
#endif

#ifdef APPLET_LOCAL
SIM_EXPORT Px_Struct* Px_InitLocal(int boardIndex, int size, int* status) {
  journal(APPLET_TAG ": Px_InitLocal(%d,%d,%d)", boardIndex, size, *status);
  *status = APPLET_STATUS;
#ifdef APPLET_NULL
  return nullptr;
#else
  if (kFails) return &g_failedRecord;
  // Filled with a marker, so that tests see which words the library wrote.
  auto* record = static_cast<Px_Struct*>(std::malloc(static_cast<std::size_t>(size)));
  for (int i = 0; i < PX_STRUCT_WORDS; ++i) record->word[i] = reinterpret_cast<void*>(0x5a5a);
  return record;
#endif
}
#endif

#ifdef APPLET_CAMERA
SIM_EXPORT void* Px_InitialiseCamera(int boardIndex, int size, int* status) {
  journal(APPLET_TAG ": Px_InitialiseCamera(%d,%d,%d)", boardIndex, size, *status);
  *status = APPLET_STATUS;
  return newAppletGrabber(boardIndex);
}
#endif

#ifdef APPLET_CAMERA_EX
SIM_EXPORT void* Px_InitialiseCameraEx(int boardIndex, int size, int* status, int extra) {
  journal(APPLET_TAG ": Px_InitialiseCameraEx(%d,%d,%d,%d)", boardIndex, size, *status, extra);
  *status = APPLET_STATUS;
  return newAppletGrabber(boardIndex);
}
#endif

SIM_EXPORT int Px_FreeGrabber(Px_Struct* handle) {
  // The default memories must be gone before the applet releases its own.
  journal(APPLET_TAG ": Px_FreeGrabber(%s,%s)",
          handle->word[PX_WORD_MEMORY_PORT0] ? "memory" : "null",
          handle->word[PX_WORD_MEMORY_PORT1] ? "memory" : "null");
#if defined(APPLET_CAMERA) || defined(APPLET_CAMERA_EX)
  delete static_cast<AppletGrabber*>(handle->word[PX_WORD_APPLET_HANDLE]);
#else
  std::free(handle);
#endif
  return 3;  // distinct from every status, so tests see it passed back
}

SIM_EXPORT int Px_getLastErrorNumber(Px_Struct* handle) {
  journal(APPLET_TAG ": Px_getLastErrorNumber");
  (void)handle;
  return -777;
}

SIM_EXPORT const char* Px_getLastErrorDescription(Px_Struct* handle) {
  journal(APPLET_TAG ": Px_getLastErrorDescription");
  (void)handle;
  return "applet: last error";
}

#ifndef APPLET_SPARSE
SIM_EXPORT const char* Px_getErrorDescription(Px_Struct* handle, int number) {
  journal(APPLET_TAG ": Px_getErrorDescription(%d)", number);
  (void)handle;
  return "applet: described";
}

static int loadResult(const char* entry) {
  return std::strcmp(entry, "Px_loadConfig") == 0 ? APPLET_LOAD_CONFIG : 0;
}

#ifdef APPLET_QUIET
#define APPLET_JOURNAL_ENTRY(name)
#else
#define APPLET_JOURNAL_ENTRY(name) journal(APPLET_TAG ": " #name)
#endif

// The rest of the handle table, for the initialisations to resolve: every
// entry of the table's "Stub" role. `text` is the table's name even where
// the function is built under another one.
#define APPLET_STUB(name, text)                 \
  SIM_EXPORT int name(Px_Struct* handle, ...) { \
    (void)handle;                               \
    APPLET_JOURNAL_ENTRY(name);                 \
    return loadResult(text);                    \
  }
#define APPLET_ROLE_Stub(name, text) APPLET_STUB(name, text)
#define APPLET_ROLE_Own(name, text)
#define APPLET_WORD(word, name, by, role, ordinal, type) APPLET_ROLE_##role(name, #name)
#ifdef APPLET_NO_GET_PARAMETER
// The stub is built under another name, so the table's name is missing.
#define Px_getParameter applet_without_Px_getParameter
#endif
QX_APPLET_ENTRIES(APPLET_WORD)
#endif
