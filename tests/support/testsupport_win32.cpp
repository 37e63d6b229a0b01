#include "testsupport.h"

#include <windows.h>
#include <cstdlib>

namespace qx::test {
namespace {

void removeTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(full);
      else
        removeFile(full);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

constexpr const char* kInfoKey = "SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info";

}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  previous_ = cwd;
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    std::string candidate = std::string(base) + "qxtest-" + std::to_string(GetCurrentProcessId()) +
                            "-" + std::to_string(attempt);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      break;
    }
  }
  SetCurrentDirectoryA(path_.c_str());
  setEnv("QUORLEX_SIM_JOURNAL", file("journal.txt"));
  unsetEnv("QUORLEX_SIM");
}

TempDir::~TempDir() {
  SetCurrentDirectoryA(previous_.c_str());
  if (!path_.empty()) removeTree(path_);
}

std::string binDir() {
  char exe[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe, n);
  return path.substr(0, path.find_last_of("\\/"));
}

char pathSeparator() {
  return '\\';
}

void setEnv(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.c_str());
  _putenv_s(name.c_str(), value.c_str());
}

void unsetEnv(const std::string& name) {
  SetEnvironmentVariableA(name.c_str(), nullptr);
  _putenv_s(name.c_str(), "");
}

bool makeDir(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

void makeReadOnly(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

bool removeFile(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path.c_str()) != 0;
}

// The registry is shared by every process of the Wine prefix: tests that use
// it hold the "registry" resource lock of the test runner.
void setRegistryDllPath(const std::optional<std::string>& value, const TempDir&) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInfoKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  if (value)
    RegSetValueExA(key, "dll_path", 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                   static_cast<DWORD>(value->size() + 1));
  else
    RegDeleteValueA(key, "dll_path");
  RegCloseKey(key);
}

}  // namespace qx::test

namespace qx::test {

bool isLoaded(const std::string& fileName) {
  return GetModuleHandleA(fileName.c_str()) != nullptr;
}

}  // namespace qx::test
