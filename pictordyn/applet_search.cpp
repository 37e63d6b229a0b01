#include "applet_search.h"

#include "applet.h"
#include "installation.h"
#include "platform/directory.h"
#include "platform/library.h"

#include <cstring>

namespace qx::pictordyn {
namespace {

constexpr std::size_t kMaxCandidates = 64;
// The applet is not told how large the answer buffer is: it gets room for
// far more than any maker or type name, and what it answers counts up to 63
// characters.
constexpr std::size_t kInfoBuffer = 1024;
constexpr std::size_t kInfoText = 63;

// What the library's Info entry answers to `query`; empty when it has none.
std::string askInfo(AppletInfoFn info, int query) {
  char text[kInfoBuffer] = {};
  info(query, 0, 0, text, 0);
  text[kInfoBuffer - 1] = '\0';
  return std::string(text, ::strnlen(text, kInfoText));
}

bool reports(const std::string& candidate, const std::string& maker, const std::string& type) {
  platform::LibraryHandle library = platform::loadLibrary(candidate.c_str());
  if (library == nullptr) return false;
  bool match = false;
  if (auto info =
          reinterpret_cast<AppletInfoFn>(platform::resolveSymbol(library, contracts::kInfo)))
    match = askInfo(info, contracts::kInfoMaker) == maker &&
            askInfo(info, contracts::kInfoType) == type;
  platform::releaseLibrary(library);
  return match;
}

}  // namespace

std::string get_applet_dir(int boardIndex) {
  const std::string folder = appletFolder(boardIndex);
  return folder.empty() ? folder : folder + platform::kPathSeparator;
}

int search_dll(const std::string& dir, std::string& foundPath, const std::string& maker,
               const std::string& type) {
  foundPath.clear();
  // Without a known folder nothing is searched: loading whatever lies in
  // some default place would run foreign code.
  if (dir.empty()) return 0;
  const std::vector<std::string> names = platform::listDirectory(dir, platform::kLibraryPattern);
  for (std::size_t i = 0; i < names.size() && i < kMaxCandidates; ++i) {
    const std::string candidate = dir + platform::kPathSeparator + names[i];
    if (candidate.size() >= kPathBuffer) continue;
    foundPath = candidate;
    if (reports(candidate, maker, type)) return 1;
  }
  return 0;
}

}  // namespace qx::pictordyn
