// The little the application needs of the operating system beyond the kit's
// libraries.
#include "grab.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdlib>
#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace grab {

bool standardOutputIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdout)) != 0;
#else
  return isatty(STDOUT_FILENO) != 0;
#endif
}

bool displayAvailable() {
#if defined(_WIN32)
  return true;
#else
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
#endif
}

bool makeFolder(const std::string& folder) {
#if defined(_WIN32)
  const int made = _mkdir(folder.c_str());
#else
  const int made = mkdir(folder.c_str(), 0777);
#endif
  return made == 0 || errno == EEXIST;
}

std::string inFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  const char end = folder.back();
  return end == '/' || end == '\\' ? folder + name : folder + "/" + name;
}

}  // namespace grab
