#include "platform/library.h"

#include <dlfcn.h>

#include <cstring>

namespace qx::platform {

const char* const kBoardRuntimeLibrary = "libcorv30.so";
const char* const kLibraryPattern = "*.so";
const char kPathSeparator = '/';

namespace {

// Keeps the loader's message of the failure that just happened.
void keepLoaderError() {
  const char* text = dlerror();
  detail::libraryErrorText() = text != nullptr ? text : "unknown loader error";
}

// The folder of the module that holds this code, that is of the library that
// asks for another one, with a trailing "/"; empty when unknown.
std::string loadingModuleFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&loadingModuleFolder), &info) == 0 ||
      info.dli_fname == nullptr)
    return {};
  const std::string path = info.dli_fname;
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

LibraryHandle loadLibrary(const char* name) {
  detail::libraryErrorText() = name == nullptr || *name == '\0' ? "no library name" : "";
  if (name == nullptr || *name == '\0') return nullptr;
  // A bare name is looked for beside the loading library first. The build's
  // "$ORIGIN" search path means the same, but the dynamic linker applies it
  // to whichever module it takes for the caller, and runtimes that wrap
  // dlopen (the sanitizers') become that caller.
  if (std::strchr(name, '/') == nullptr) {
    const std::string folder = loadingModuleFolder();
    if (!folder.empty()) {
      if (void* library = dlopen((folder + name).c_str(), RTLD_NOW | RTLD_LOCAL)) return library;
    }
  }
  void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  // The message of the search by the system's own order: it names the file
  // as the caller gave it.
  if (library == nullptr) keepLoaderError();
  return library;
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
