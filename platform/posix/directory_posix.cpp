#include "platform/directory.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <algorithm>

namespace qx::platform {

std::vector<std::string> listDirectory(const std::string& directory, const char* pattern) {
  std::vector<std::string> names;
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    if (fnmatch(pattern, entry->d_name, 0) != 0) continue;
    struct stat st {};
    const std::string full = directory + "/" + entry->d_name;
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace qx::platform
