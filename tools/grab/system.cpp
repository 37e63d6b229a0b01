// The little the application needs of the operating system beyond the kit's
// libraries.
#include "grab.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace grab {

namespace {

volatile std::sig_atomic_t stopSignalSeen = 0;

extern "C" void onStopSignal(int signal) {
  stopSignalSeen = signal;
  // A second one ends the program at once.
  std::signal(signal, SIG_DFL);
}

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

int makeOneFolder(const std::string& path) {
#if defined(_WIN32)
  return _mkdir(path.c_str());
#else
  return mkdir(path.c_str(), 0777);
#endif
}

}  // namespace

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

bool prepareFolder(const std::string& folder) {
  // Each missing folder of the path in turn, from the top.
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/' && folder[at] != '\\') continue;
    const std::string part = folder.substr(0, at);
    if (part.empty() || part.back() == ':' || isFolder(part)) continue;
    if (makeOneFolder(part) != 0 && !(errno == EEXIST && isFolder(part))) {
      // Something that is not a folder stands in the way.
      const int reason = errno == EEXIST ? ENOTDIR : errno;
      std::fprintf(stderr, "grab: cannot create the folder %s: %s\n", folder.c_str(),
                   std::strerror(reason));
      return false;
    }
  }
  if (!isFolder(folder)) {
    std::fprintf(stderr, "grab: %s is not a folder\n", folder.c_str());
    return false;
  }
  // Asked of the folder itself, before the camera and the grabber are
  // touched: a file is made there and removed again.
  const std::string probe = inFolder(folder, ".grab-write-test");
  std::FILE* f = std::fopen(probe.c_str(), "wb");
  bool written = f != nullptr && std::fputc('x', f) != EOF;
  int reason = errno;
  if (f != nullptr && std::fclose(f) != 0 && written) written = false, reason = errno;
  if (!written) {
    if (f != nullptr) std::remove(probe.c_str());
    std::fprintf(stderr, "grab: cannot write to the folder %s: %s\n", folder.c_str(),
                 std::strerror(reason));
    return false;
  }
  std::remove(probe.c_str());
  return true;
}

void catchStopSignals() {
  // A signal the program was started with ignored (a background job, nohup)
  // stays ignored.
  for (int signal : {SIGINT, SIGTERM}) {
    if (std::signal(signal, onStopSignal) == SIG_IGN) std::signal(signal, SIG_IGN);
  }
}

int stopSignal() {
  return stopSignalSeen;
}

std::string inFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  const char end = folder.back();
  return end == '/' || end == '\\' ? folder + name : folder + "/" + name;
}

}  // namespace grab
