#include "platform/directory.h"

#include <windows.h>

namespace qx::platform {

std::vector<std::string> listDirectory(const std::string& directory, const char* pattern) {
  std::vector<std::string> names;
  const std::string query = (directory.empty() ? std::string(".") : directory) + "\\" + pattern;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(query.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

}  // namespace qx::platform
