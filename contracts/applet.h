// The entries of an applet library that the grabber access library calls
// itself; the forwarded entries of the handle table are in applet_table.h.
#pragma once

#include "px_struct.h"

extern "C" {
using SetAppletNameFn = int (*)(const char* name);
using PxInitLocalFn = Px_Struct* (*)(int boardIndex, int size, int* status);
using PxInitialiseCameraFn = void* (*)(int boardIndex, int size, int* status);
using PxInitialiseCameraExFn = void* (*)(int boardIndex, int size, int* status, int extra);
using PxAppletFreeGrabberFn = int (*)(Px_Struct* handle);
// Query 512 gives the maker, 768 the type name, each at most 63 characters.
using AppletInfoFn = int (*)(int query, int, int, char* text, int);
}

namespace qx::contracts {

inline constexpr const char* kSetAppletName = "setAppletName";
inline constexpr const char* kPxInitLocal = "Px_InitLocal";
inline constexpr const char* kPxInitialiseCamera = "Px_InitialiseCamera";
inline constexpr const char* kPxInitialiseCameraEx = "Px_InitialiseCameraEx";
inline constexpr const char* kInfo = "Info";
inline constexpr int kInfoMaker = 0x200;
inline constexpr int kInfoType = 0x300;

}  // namespace qx::contracts
