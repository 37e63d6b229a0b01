#include "../library.h"

#include <windows.h>

namespace qx::platform {

const char* const kBoardRuntimeLibrary = "corv30.dll";
const char* const kLibraryPattern = "*.dll";
const char kPathSeparator = '\\';

LibraryHandle loadLibrary(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  // No error dialog for a library that is missing or broken: the caller
  // reports the failure itself.
  const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE m = LoadLibraryA(name);
  SetErrorMode(old);
  return reinterpret_cast<LibraryHandle>(m);
}

void* resolveSymbol(LibraryHandle library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void releaseLibrary(LibraryHandle library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

// Applet libraries end in ".dll": the name loses its last four characters.
std::string appletNameOf(const std::string& libraryName) {
  if (libraryName.size() < 4) return libraryName;
  return libraryName.substr(0, libraryName.size() - 4);
}

}  // namespace qx::platform
