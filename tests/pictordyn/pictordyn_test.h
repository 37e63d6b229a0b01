// Shared by the grabber access tests.
#pragma once

#include <quorlex/pictordyn.h>
#include "applet_table.h"
#include "platform/library.h"
#include "px_struct.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qx::test {

inline std::string applet(const std::string& base) {
  return libraryFile(base);
}

// Keeps an applet library loaded in the test, to compare entry addresses.
class AppletLibrary {
 public:
  explicit AppletLibrary(const std::string& base)
      : handle_(platform::loadLibrary((binDir() + pathSeparator() + applet(base)).c_str())) {}
  ~AppletLibrary() { platform::releaseLibrary(handle_); }
  AppletLibrary(const AppletLibrary&) = delete;
  AppletLibrary& operator=(const AppletLibrary&) = delete;

  void* handle() const { return handle_; }
  void* entry(const char* name) const { return platform::resolveSymbol(handle_, name); }

 private:
  void* handle_;
};

inline void* const kMarker = reinterpret_cast<void*>(0x5a5a);

inline std::vector<std::string> withPrefix(const std::string& prefix,
                                           const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

// A grabber on the recording applet, with the trace open, in a folder of
// its own.
struct Recorder {
  TempDir dir;
  Px_Struct* h = Px_Init(applet("applet_recorder").c_str(), 0);
  std::string H = tracePointer(h);
  ~Recorder() { Px_FreeGrabber(h); }

  // Journal and trace lines written since the initialisation.
  std::vector<std::string> calls() const {
    auto j = dir.journal();
    return std::vector<std::string>(j.begin() + 1, j.end());
  }
  std::vector<std::string> trace() const {
    auto t = maskedTrace();
    return std::vector<std::string>(t.begin() + 2, t.end());
  }
};

}  // namespace qx::test
