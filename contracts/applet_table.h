// What each of the 73 words of Px_Struct holds and which initialisation
// fills it. Both initialisations walk this table to resolve the applet
// library's entries; the entry names are listed once, in QX_APPLET_ENTRIES.
#pragma once

#include <quorlex/px_dialog_block.h>
#include "px_struct.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace qx::contracts {

enum class WordKind {
  AppletHandle,     // the applet's own handle (camera entries)
  InitLocalEntry,   // address of Px_InitLocal (record made by the local entry)
  InitCameraEntry,  // address of Px_InitialiseCamera (record made by a camera entry)
  Entry,            // address of the applet export of the given name
  Reserved,         // never written
  Module,           // module handle of the applet library
  DefaultMemory,    // memory handle of a port made by the simple allocation
};

// Which initialisation fills a word.
enum FilledBy : unsigned {
  kFilledByNone = 0,
  kFilledByInit = 1u << 0,        // Px_Init (and Px_InitConfig through it)
  kFilledByInitCamera = 1u << 1,  // Px_InitCamera
  kFilledByBoth = kFilledByInit | kFilledByInitCamera,
};

struct WordInfo {
  int word;
  WordKind kind;
  const char* name;  // export name for entry words, null otherwise
  unsigned filledBy;
};

// Every entry word of the handle, once, in word order:
//   X(word, export name, which initialisation fills it, simulator role,
//     ordinal of the grabber library's export of the same name, type)
// "Init" words are filled by Px_Init (and Px_InitConfig through it) only,
// "Both" words by Px_InitCamera as well. The role tells the small simulated
// applets which entries they answer with a plain journaled stub ("Stub") and
// which they implement themselves ("Own": the release and the error state).
// The ordinal is the fixed one of the grabber library's own export of that
// name, 0 where the grabber library exports no function of that name.
// The type of an entry the kit calls is Typed(<pointer type>, <function
// type>): each takes the whole handle first, then the arguments of the
// exported function of the same name, and its result is passed back
// unchanged. Entries the kit only resolves are Untyped. The word table
// below, the typed entry pointers (applet_entries.h), the simulators' stubs,
// the tests' export list and the compile-time word lookup of the forwarders
// are all made from this list.
#define QX_APPLET_ENTRIES(X)                                                                       \
  X(3, Px_AllocMem, Init, Stub, 53, Untyped)                                                       \
  X(4, Px_configure, Both, Stub, 1, Typed(PxConfigureFn, int(Px_Struct*, int)))                    \
  X(5, Px_addApplet, Init, Stub, 2,                                                                \
    Typed(PxAddAppletFn, int(Px_Struct*, const char* name, int, int, int)))                        \
  X(6, Px_getAppletname, Both, Stub, 3,                                                            \
    Typed(PxGetAppletnameFn, const char*(Px_Struct*, int number)))                                 \
  X(7, Px_getAppletId, Both, Stub, 5,                                                              \
    Typed(PxGetAppletIdFn, int(Px_Struct*, const char* appletName)))                               \
  X(8, Px_getLoadAppletId, Both, Stub, 4, Typed(PxGetLoadAppletIdFn, int(Px_Struct*)))             \
  X(9, Px_getAppletListCount, Init, Stub, 6, Typed(PxGetAppletListCountFn, int(Px_Struct*)))       \
  X(10, Px_setClks, Init, Stub, 7, Typed(PxSetClksFn, int(Px_Struct*, int, int)))                  \
  X(11, Px_setParameter, Both, Stub, 8,                                                            \
    Typed(PxSetParameterFn, int(Px_Struct*, int parameter, void* value, int port)))                \
  X(12, Px_getParameter, Both, Stub, 9,                                                            \
    Typed(PxGetParameterFn, int(Px_Struct*, int parameter, void* value, int port)))                \
  X(13, Px_getParameterEx, Both, Stub, 10,                                                         \
    Typed(PxGetParameterExFn,                                                                      \
          int(Px_Struct*, int parameter, void* value, int port, void* extra, int extraSize)))      \
  X(14, Px_saveConfig, Both, Stub, 11,                                                             \
    Typed(PxSaveConfigFn, int(Px_Struct*, const char* fileName)))                                  \
  X(15, Px_loadConfig, Both, Stub, 12,                                                             \
    Typed(PxLoadConfigFn, int(Px_Struct*, const char* fileName)))                                  \
  X(16, Px_Acquire, Both, Stub, 55, Untyped)                                                       \
  X(17, Px_sendSoftwareTrigger, Both, Stub, 13,                                                    \
    Typed(PxSendSoftwareTriggerFn, int(Px_Struct*, int port)))                                     \
  X(18, Px_stopAcquire, Both, Stub, 56, Untyped)                                                   \
  X(19, Px_getLastPicNumber, Both, Stub, 57, Untyped)                                              \
  X(20, Px_getLastPicNumberEx, Both, Stub, 16,                                                     \
    Typed(PxGetLastPicNumberExFn, int(Px_Struct*, int port, void* memory)))                        \
  X(21, Px_getLastPicNumberBlocking, Both, Stub, 58, Untyped)                                      \
  X(22, Px_getLastPicNumberBlockingEx, Both, Stub, 14,                                             \
    Typed(PxGetLastPicNumberBlockingExFn,                                                          \
          int(Px_Struct*, int pictureNumber, int port, int timeoutMs, void* memory)))              \
  X(23, Px_getLastPicNumberEventEx, Init, Stub, 15,                                                \
    Typed(PxGetLastPicNumberEventExFn,                                                             \
          int(Px_Struct*, int pictureNumber, int port, int timeoutMs, void* memory, void* event))) \
  X(24, Px_setActBuffer, Both, Stub, 17, Typed(PxSetActBufferFn, int(Px_Struct*, int, int)))       \
  X(25, Px_getActBuffer, Both, Stub, 18, Typed(PxGetActBufferFn, int(Px_Struct*, int)))            \
  X(26, Px_swapBuffer, Both, Stub, 19, Typed(PxSwapBufferFn, int(Px_Struct*, int)))                \
  X(27, Px_FreeMemEx, Both, Stub, 20, Typed(PxFreeMemExFn, int(Px_Struct*, void* memory)))         \
  X(29, Px_FreeGrabber, Both, Own, 21, Untyped)                                                    \
  X(30, Px_getLastErrorNumber, Both, Own, 22, Typed(PxGetLastErrorNumberFn, int(Px_Struct*)))      \
  X(31, Px_getLastErrorDescription, Both, Own, 23,                                                 \
    Typed(PxGetLastErrorDescriptionFn, const char*(Px_Struct*)))                                   \
  X(32, Px_getErrorDescription, Both, Own, 24,                                                     \
    Typed(PxGetErrorDescriptionFn, const char*(Px_Struct*, int number)))                           \
  X(33, Px_getSerialNumber, Both, Stub, 27, Typed(PxGetSerialNumberFn, int(Px_Struct*)))           \
  X(34, Px_getImagePtr, Both, Stub, 59, Untyped)                                                   \
  X(35, Px_getImagePtrEx, Both, Stub, 28,                                                          \
    Typed(PxGetImagePtrExFn, void*(Px_Struct*, int pictureNumber, int port, void* memory)))        \
  X(36, Px_doDialog, Both, Stub, 29,                                                               \
    Typed(PxDoDialogFn, int(Px_Struct*, int, int, int, PxDialogBlock block)))                      \
  X(37, Px_closeDialog, Both, Stub, 30, Typed(PxCloseDialogFn, int(Px_Struct*)))                   \
  X(38, Px_isOpenDialog, Both, Stub, 31, Typed(PxIsOpenDialogFn, int(Px_Struct*)))                 \
  X(39, Px_SerialSend, Init, Stub, 0, Untyped)                                                     \
  X(40, Px_SerialReceive, Init, Stub, 0, Untyped)                                                  \
  X(42, Px_AllocMemEx, Both, Stub, 34,                                                             \
    Typed(PxAllocMemExFn, void*(Px_Struct*, int size, int count)))                                 \
  X(43, Px_AllocMemHead, Both, Stub, 35,                                                           \
    Typed(PxAllocMemHeadFn, void*(Px_Struct*, int size, int count)))                               \
  X(44, Px_AddMem, Both, Stub, 36,                                                                 \
    Typed(PxAddMemFn, int(Px_Struct*, void* head, int index, int size, void* buffer)))             \
  X(45, Px_DelMem, Both, Stub, 37, Typed(PxDelMemFn, int(Px_Struct*, void* head, int index)))      \
  X(46, Px_AddDummyBuffer, Init, Stub, 38,                                                         \
    Typed(PxAddDummyBufferFn, void*(Px_Struct*, void* memory, int size, void* buffer)))            \
  X(47, Px_FreeMemHead, Both, Stub, 39, Typed(PxFreeMemHeadFn, int(Px_Struct*, void* head)))       \
  X(48, Px_getStatus, Both, Stub, 40, Typed(PxGetStatusFn, int(Px_Struct*, int, int, int)))        \
  X(49, Px_getStatusEx, Both, Stub, 41,                                                            \
    Typed(PxGetStatusExFn, int(Px_Struct*, int, int, int, void*)))                                 \
  X(50, Px_setStatus, Both, Stub, 42, Typed(PxSetStatusFn, int(Px_Struct*, int, int, int)))        \
  X(51, Px_setStatusEx, Both, Stub, 43,                                                            \
    Typed(PxSetStatusExFn, int(Px_Struct*, int, int, int, void*)))                                 \
  X(52, Px_AcquireEx, Both, Stub, 44,                                                              \
    Typed(PxAcquireExFn, int(Px_Struct*, int port, int pictureCount, int mode, void* memory)))     \
  X(53, Px_stopAcquireEx, Both, Stub, 45,                                                          \
    Typed(PxStopAcquireExFn, int(Px_Struct*, int port, void* memory, int flag)))                   \
  X(54, Px_setExsync, Both, Stub, 46, Typed(PxSetExsyncFn, int(Px_Struct*, int, int)))             \
  X(55, Px_setFlash, Both, Stub, 47, Typed(PxSetFlashFn, int(Px_Struct*, int, int)))               \
  X(56, Px_getImage, Both, Stub, 48, Typed(PxGetImageFn, int(Px_Struct*, int, int, int, int)))     \
  X(57, Px_getImageEx, Both, Stub, 49,                                                             \
    Typed(PxGetImageExFn, int(Px_Struct*, int selector, int pictureNumber, int port,               \
                              int timeoutMs, void* memory)))                                       \
  X(58, Px_getParameterInfo, Both, Stub, 0, Untyped)                                               \
  X(59, Px_AllocShading, Both, Stub, 0, Untyped)                                                   \
  X(60, Px_FreeShading, Both, Stub, 0, Untyped)                                                    \
  X(61, Shad_GetMaxLine, Both, Stub, 0, Untyped)                                                   \
  X(62, Shad_SetSubValueLine, Both, Stub, 0, Untyped)                                              \
  X(63, Shad_SetMultValueLine, Both, Stub, 0, Untyped)                                             \
  X(64, Shad_SetFixedPatternNoiseLine, Both, Stub, 0, Untyped)                                     \
  X(65, Shad_GetAccess, Both, Stub, 0, Untyped)                                                    \
  X(66, Shad_FreeAccess, Both, Stub, 0, Untyped)                                                   \
  X(67, Shad_WriteActLine, Both, Stub, 0, Untyped)                                                 \
  X(68, Px_getBoardPointer, Init, Stub, 60, Typed(PxGetBoardPointerFn, void*(Px_Struct*)))         \
  X(69, Px_AcquireAPCEx, Both, Stub, 0, Untyped)

namespace detail {

struct EntryWord {
  int word;
  const char* name;
  unsigned filledBy;
};

inline constexpr EntryWord kEntryWords[] = {
#define QX_ENTRY_WORD(word, name, by, role, ordinal, type) {word, #name, kFilledBy##by},
    QX_APPLET_ENTRIES(QX_ENTRY_WORD)
#undef QX_ENTRY_WORD
};

// The words that are no entries: the applet's own handle, the two
// initialisation entries, two words never written, the module and the
// default memories of the two ports.
constexpr std::array<WordInfo, PX_STRUCT_WORDS> makeWords() {
  std::array<WordInfo, PX_STRUCT_WORDS> words{};
  for (int i = 0; i < PX_STRUCT_WORDS; ++i)
    words[i] = {i, WordKind::Reserved, nullptr, kFilledByNone};
  words[0] = {0, WordKind::AppletHandle, nullptr, kFilledByBoth};
  words[1] = {1, WordKind::InitLocalEntry, "Px_InitLocal", kFilledByInit};
  words[2] = {2, WordKind::InitCameraEntry, "Px_InitialiseCamera", kFilledByInit};
  words[70] = {70, WordKind::Module, nullptr, kFilledByBoth};
  words[71] = {71, WordKind::DefaultMemory, nullptr, kFilledByBoth};
  words[72] = {72, WordKind::DefaultMemory, nullptr, kFilledByBoth};
  for (const EntryWord& e : kEntryWords)
    words[e.word] = {e.word, WordKind::Entry, e.name, e.filledBy};
  return words;
}

// Each entry has a word of its own, in order, and none takes a fixed word.
constexpr bool entriesAreInOrder() {
  int previous = 2;
  for (const EntryWord& e : kEntryWords) {
    if (e.word <= previous || e.word >= 70) return false;
    previous = e.word;
  }
  return true;
}
static_assert(entriesAreInOrder(), "entry words out of order, repeated or on a fixed word");

}  // namespace detail

inline constexpr std::array<WordInfo, PX_STRUCT_WORDS> kPxWords = detail::makeWords();
static_assert(kPxWords[28].kind == WordKind::Reserved && kPxWords[41].kind == WordKind::Reserved,
              "words 28 and 41 are never written");

// The word that holds the entry of this name, or -1. Usable at compile time,
// so forwarders name their entry and still index the handle directly.
constexpr int wordOfEntry(std::string_view name) {
  for (const WordInfo& w : kPxWords) {
    if (w.kind == WordKind::Entry && name == w.name) return w.word;
  }
  return -1;
}

}  // namespace qx::contracts
