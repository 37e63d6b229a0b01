#include "../library.h"

#include <dlfcn.h>

namespace qx::platform {

const char* const kBoardRuntimeLibrary = "libcorv30.so";
const char* const kLibraryPattern = "*.so";
const char kPathSeparator = '/';

LibraryHandle loadLibrary(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* resolveSymbol(LibraryHandle library, const char* name) {
  if (library == nullptr) return nullptr;
  return dlsym(library, name);
}

void releaseLibrary(LibraryHandle library) {
  if (library != nullptr) dlclose(library);
}

std::string appletNameOf(const std::string& libraryName) {
  static const std::string ext = ".so";
  if (libraryName.size() > ext.size() &&
      libraryName.compare(libraryName.size() - ext.size(), ext.size(), ext) == 0)
    return libraryName.substr(0, libraryName.size() - ext.size());
  return libraryName;
}

}  // namespace qx::platform
