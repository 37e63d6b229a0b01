#include "platform/library.h"

#include <windows.h>

#include <string>

namespace qx::platform {

const char* const kBoardRuntimeLibrary = "corv30.dll";
const char* const kLibraryPattern = "*.dll";
const char kPathSeparator = '\\';

namespace {

// "error <number>: <system text>" for the calling thread's last error.
std::string systemErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = "error " + std::to_string(code);
  if (length != 0 && text != nullptr) {
    std::string body(text, length);
    // The system's texts end in a line break, which a trace line must not hold.
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r' || body.back() == ' '))
      body.pop_back();
    if (!body.empty()) message += ": " + body;
  }
  if (text != nullptr) LocalFree(text);
  return message;
}

}  // namespace

LibraryHandle loadLibrary(const char* name) {
  detail::libraryErrorText() = name == nullptr || *name == '\0' ? "no library name" : "";
  if (name == nullptr || *name == '\0') return nullptr;
  // No error dialog for a library that is missing or broken: the caller
  // reports the failure itself.
  const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE m = LoadLibraryA(name);
  // Read before anything else can overwrite the thread's last error.
  const DWORD code = m == nullptr ? GetLastError() : 0;
  SetErrorMode(old);
  if (m == nullptr) detail::libraryErrorText() = systemErrorText(code);
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
