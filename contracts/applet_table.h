// What each of the 73 words of Px_Struct holds and which initialisation
// fills it. Both initialisations walk this table to resolve the applet
// library's entries; the entry names are listed once, in QX_APPLET_ENTRIES.
#pragma once

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
//   X(word, export name, which initialisation fills it, simulator role)
// "Init" words are filled by Px_Init (and Px_InitConfig through it) only,
// "Both" words by Px_InitCamera as well. The role tells the small simulated
// applets which entries they answer with a plain journaled stub ("Stub") and
// which they implement themselves ("Own": the release and the error state).
// The word table below, the simulators' stubs and the compile-time word
// lookup of the forwarders are all made from this list.
#define QX_APPLET_ENTRIES(X)                       \
  X(3, Px_AllocMem, Init, Stub)                    \
  X(4, Px_configure, Both, Stub)                   \
  X(5, Px_addApplet, Init, Stub)                   \
  X(6, Px_getAppletname, Both, Stub)               \
  X(7, Px_getAppletId, Both, Stub)                 \
  X(8, Px_getLoadAppletId, Both, Stub)             \
  X(9, Px_getAppletListCount, Init, Stub)          \
  X(10, Px_setClks, Init, Stub)                    \
  X(11, Px_setParameter, Both, Stub)               \
  X(12, Px_getParameter, Both, Stub)               \
  X(13, Px_getParameterEx, Both, Stub)             \
  X(14, Px_saveConfig, Both, Stub)                 \
  X(15, Px_loadConfig, Both, Stub)                 \
  X(16, Px_Acquire, Both, Stub)                    \
  X(17, Px_sendSoftwareTrigger, Both, Stub)        \
  X(18, Px_stopAcquire, Both, Stub)                \
  X(19, Px_getLastPicNumber, Both, Stub)           \
  X(20, Px_getLastPicNumberEx, Both, Stub)         \
  X(21, Px_getLastPicNumberBlocking, Both, Stub)   \
  X(22, Px_getLastPicNumberBlockingEx, Both, Stub) \
  X(23, Px_getLastPicNumberEventEx, Init, Stub)    \
  X(24, Px_setActBuffer, Both, Stub)               \
  X(25, Px_getActBuffer, Both, Stub)               \
  X(26, Px_swapBuffer, Both, Stub)                 \
  X(27, Px_FreeMemEx, Both, Stub)                  \
  X(29, Px_FreeGrabber, Both, Own)                 \
  X(30, Px_getLastErrorNumber, Both, Own)          \
  X(31, Px_getLastErrorDescription, Both, Own)     \
  X(32, Px_getErrorDescription, Both, Own)         \
  X(33, Px_getSerialNumber, Both, Stub)            \
  X(34, Px_getImagePtr, Both, Stub)                \
  X(35, Px_getImagePtrEx, Both, Stub)              \
  X(36, Px_doDialog, Both, Stub)                   \
  X(37, Px_closeDialog, Both, Stub)                \
  X(38, Px_isOpenDialog, Both, Stub)               \
  X(39, Px_SerialSend, Init, Stub)                 \
  X(40, Px_SerialReceive, Init, Stub)              \
  X(42, Px_AllocMemEx, Both, Stub)                 \
  X(43, Px_AllocMemHead, Both, Stub)               \
  X(44, Px_AddMem, Both, Stub)                     \
  X(45, Px_DelMem, Both, Stub)                     \
  X(46, Px_AddDummyBuffer, Init, Stub)             \
  X(47, Px_FreeMemHead, Both, Stub)                \
  X(48, Px_getStatus, Both, Stub)                  \
  X(49, Px_getStatusEx, Both, Stub)                \
  X(50, Px_setStatus, Both, Stub)                  \
  X(51, Px_setStatusEx, Both, Stub)                \
  X(52, Px_AcquireEx, Both, Stub)                  \
  X(53, Px_stopAcquireEx, Both, Stub)              \
  X(54, Px_setExsync, Both, Stub)                  \
  X(55, Px_setFlash, Both, Stub)                   \
  X(56, Px_getImage, Both, Stub)                   \
  X(57, Px_getImageEx, Both, Stub)                 \
  X(58, Px_getParameterInfo, Both, Stub)           \
  X(59, Px_AllocShading, Both, Stub)               \
  X(60, Px_FreeShading, Both, Stub)                \
  X(61, Shad_GetMaxLine, Both, Stub)               \
  X(62, Shad_SetSubValueLine, Both, Stub)          \
  X(63, Shad_SetMultValueLine, Both, Stub)         \
  X(64, Shad_SetFixedPatternNoiseLine, Both, Stub) \
  X(65, Shad_GetAccess, Both, Stub)                \
  X(66, Shad_FreeAccess, Both, Stub)               \
  X(67, Shad_WriteActLine, Both, Stub)             \
  X(68, Px_getBoardPointer, Init, Stub)            \
  X(69, Px_AcquireAPCEx, Both, Stub)

namespace detail {

struct EntryWord {
  int word;
  const char* name;
  unsigned filledBy;
};

inline constexpr EntryWord kEntryWords[] = {
#define QX_ENTRY_WORD(word, name, by, role) {word, #name, kFilledBy##by},
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
