// What each of the 73 words of Px_Struct holds and which initialisation
// fills it. Both initialisations walk this table to resolve the applet
// library's entries; nothing else lists the entry names.
#pragma once

#include "px_struct.h"

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

namespace detail {
constexpr WordInfo entry(int word, const char* name, unsigned by) {
  return {word, WordKind::Entry, name, by};
}
constexpr unsigned A = kFilledByInit;
constexpr unsigned AC = kFilledByBoth;
}  // namespace detail

inline constexpr WordInfo kPxWords[PX_STRUCT_WORDS] = {
    {0, WordKind::AppletHandle, nullptr, detail::AC},
    {1, WordKind::InitLocalEntry, "Px_InitLocal", detail::A},
    {2, WordKind::InitCameraEntry, "Px_InitialiseCamera", detail::A},
    detail::entry(3, "Px_AllocMem", detail::A),
    detail::entry(4, "Px_configure", detail::AC),
    detail::entry(5, "Px_addApplet", detail::A),
    detail::entry(6, "Px_getAppletname", detail::AC),
    detail::entry(7, "Px_getAppletId", detail::AC),
    detail::entry(8, "Px_getLoadAppletId", detail::AC),
    detail::entry(9, "Px_getAppletListCount", detail::A),
    detail::entry(10, "Px_setClks", detail::A),
    detail::entry(11, "Px_setParameter", detail::AC),
    detail::entry(12, "Px_getParameter", detail::AC),
    detail::entry(13, "Px_getParameterEx", detail::AC),
    detail::entry(14, "Px_saveConfig", detail::AC),
    detail::entry(15, "Px_loadConfig", detail::AC),
    detail::entry(16, "Px_Acquire", detail::AC),
    detail::entry(17, "Px_sendSoftwareTrigger", detail::AC),
    detail::entry(18, "Px_stopAcquire", detail::AC),
    detail::entry(19, "Px_getLastPicNumber", detail::AC),
    detail::entry(20, "Px_getLastPicNumberEx", detail::AC),
    detail::entry(21, "Px_getLastPicNumberBlocking", detail::AC),
    detail::entry(22, "Px_getLastPicNumberBlockingEx", detail::AC),
    detail::entry(23, "Px_getLastPicNumberEventEx", detail::A),
    detail::entry(24, "Px_setActBuffer", detail::AC),
    detail::entry(25, "Px_getActBuffer", detail::AC),
    detail::entry(26, "Px_swapBuffer", detail::AC),
    detail::entry(27, "Px_FreeMemEx", detail::AC),
    {28, WordKind::Reserved, nullptr, kFilledByNone},
    detail::entry(29, "Px_FreeGrabber", detail::AC),
    detail::entry(30, "Px_getLastErrorNumber", detail::AC),
    detail::entry(31, "Px_getLastErrorDescription", detail::AC),
    detail::entry(32, "Px_getErrorDescription", detail::AC),
    detail::entry(33, "Px_getSerialNumber", detail::AC),
    detail::entry(34, "Px_getImagePtr", detail::AC),
    detail::entry(35, "Px_getImagePtrEx", detail::AC),
    detail::entry(36, "Px_doDialog", detail::AC),
    detail::entry(37, "Px_closeDialog", detail::AC),
    detail::entry(38, "Px_isOpenDialog", detail::AC),
    detail::entry(39, "Px_SerialSend", detail::A),
    detail::entry(40, "Px_SerialReceive", detail::A),
    {41, WordKind::Reserved, nullptr, kFilledByNone},
    detail::entry(42, "Px_AllocMemEx", detail::AC),
    detail::entry(43, "Px_AllocMemHead", detail::AC),
    detail::entry(44, "Px_AddMem", detail::AC),
    detail::entry(45, "Px_DelMem", detail::AC),
    detail::entry(46, "Px_AddDummyBuffer", detail::A),
    detail::entry(47, "Px_FreeMemHead", detail::AC),
    detail::entry(48, "Px_getStatus", detail::AC),
    detail::entry(49, "Px_getStatusEx", detail::AC),
    detail::entry(50, "Px_setStatus", detail::AC),
    detail::entry(51, "Px_setStatusEx", detail::AC),
    detail::entry(52, "Px_AcquireEx", detail::AC),
    detail::entry(53, "Px_stopAcquireEx", detail::AC),
    detail::entry(54, "Px_setExsync", detail::AC),
    detail::entry(55, "Px_setFlash", detail::AC),
    detail::entry(56, "Px_getImage", detail::AC),
    detail::entry(57, "Px_getImageEx", detail::AC),
    detail::entry(58, "Px_getParameterInfo", detail::AC),
    detail::entry(59, "Px_AllocShading", detail::AC),
    detail::entry(60, "Px_FreeShading", detail::AC),
    detail::entry(61, "Shad_GetMaxLine", detail::AC),
    detail::entry(62, "Shad_SetSubValueLine", detail::AC),
    detail::entry(63, "Shad_SetMultValueLine", detail::AC),
    detail::entry(64, "Shad_SetFixedPatternNoiseLine", detail::AC),
    detail::entry(65, "Shad_GetAccess", detail::AC),
    detail::entry(66, "Shad_FreeAccess", detail::AC),
    detail::entry(67, "Shad_WriteActLine", detail::AC),
    detail::entry(68, "Px_getBoardPointer", detail::A),
    detail::entry(69, "Px_AcquireAPCEx", detail::AC),
    {70, WordKind::Module, nullptr, detail::AC},
    {71, WordKind::DefaultMemory, nullptr, detail::AC},
    {72, WordKind::DefaultMemory, nullptr, detail::AC},
};

// The word that holds the entry of this name, or -1. Usable at compile time,
// so forwarders name their entry and still index the handle directly.
constexpr int wordOfEntry(std::string_view name) {
  for (const WordInfo& w : kPxWords) {
    if (w.kind == WordKind::Entry && name == w.name) return w.word;
  }
  return -1;
}

}  // namespace qx::contracts
