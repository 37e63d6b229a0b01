#include "testsupport.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <cstdlib>

namespace qx::test {
namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  return ::remove(path);
}

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/qxtest-XXXXXX";
  path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  char cwd[PATH_MAX];
  previous_ = getcwd(cwd, sizeof cwd) ? cwd : ".";
  if (chdir(path_.c_str()) != 0) path_.clear();
  setEnv("QUORLEX_SIM_JOURNAL", file("journal.txt"));
  unsetEnv("QUORLEX_SIM");
  setEnv("QUORLEX_REGISTRY", file("registry.reg"));
}

TempDir::~TempDir() {
  if (chdir(previous_.c_str()) != 0) return;
  if (!path_.empty()) nftw(path_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string binDir() {
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return ".";
  std::string path(exe, static_cast<std::size_t>(n));
  return path.substr(0, path.find_last_of('/'));
}

char pathSeparator() {
  return '/';
}

void setEnv(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

void unsetEnv(const std::string& name) {
  ::unsetenv(name.c_str());
}

bool makeDir(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0;
}

void makeReadOnly(const std::string& path) {
  ::chmod(path.c_str(), 0444);
}

bool removeFile(const std::string& path) {
  return ::remove(path.c_str()) == 0;
}

void setRegistryDllPath(const std::optional<std::string>& value, const TempDir& dir) {
  std::string text = "Windows Registry Editor Version 5.00\n\n";
  if (value) {
    std::string escaped;
    for (char c : *value) {
      if (c == '\\' || c == '"') escaped.push_back('\\');
      escaped.push_back(c);
    }
    text +=
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info]\n"
        "\"dll_path\"=\"" +
        escaped + "\"\n";
  }
  writeFile(dir.file("registry.reg"), text);
}

}  // namespace qx::test

#include <dlfcn.h>

namespace qx::test {

bool isLoaded(const std::string& fileName) {
  void* h = dlopen(fileName.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (h == nullptr) h = dlopen((binDir() + "/" + fileName).c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (h == nullptr) return false;
  dlclose(h);
  return true;
}

}  // namespace qx::test
