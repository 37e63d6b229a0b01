// Loading libraries by name at run time, and the naming conventions that go
// with it on each system.
#pragma once

#include <string>

namespace qx::platform {

using LibraryHandle = void*;

// Loads a library with the system's own search order; null when it cannot be
// loaded. Every successful load must be matched by releaseLibrary, except for
// libraries that are meant to stay for the life of the process.
LibraryHandle loadLibrary(const char* name);
// Why the last loadLibrary of this thread failed, in the system's own words
// (the loader's message, or the system error number and its text); empty
// after a load that succeeded or was never tried. Kept until the next load
// on the same thread.
const std::string& libraryError();
namespace detail {
// The slot behind libraryError, written by each system's loadLibrary.
std::string& libraryErrorText();
}  // namespace detail
// The address of an exported name, or null.
void* resolveSymbol(LibraryHandle library, const char* name);
void releaseLibrary(LibraryHandle library);

// File name of the board runtime library.
extern const char* const kBoardRuntimeLibrary;
// Pattern that matches applet libraries in a directory.
extern const char* const kLibraryPattern;
// Separator used when paths are formed from a directory and a name.
extern const char kPathSeparator;

// The applet name that an applet library is told about: its file name (or
// path) less the library extension. Names too short to carry an extension
// come back unchanged.
std::string appletNameOf(const std::string& libraryName);

}  // namespace qx::platform
