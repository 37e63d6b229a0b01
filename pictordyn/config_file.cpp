#include "config_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qx::pictordyn {

std::optional<std::string> findValue(const std::string& text, const std::string& key) {
  if (key.empty()) return std::nullopt;
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t afterKey = at + key.size();
  const std::size_t semicolon = text.find(';', afterKey);
  // The delimiters on both sides of the value are dropped unexamined, so
  // there must be at least two characters between key and ";".
  if (semicolon == std::string::npos || semicolon < afterKey + 2) return std::nullopt;
  const std::size_t length = semicolon - afterKey - 2;
  if (length > kMaxConfigValue) return std::nullopt;
  return text.substr(afterKey + 1, length);
}

namespace {

// Read this much at a time; the memory a search takes does not grow with the
// file.
constexpr std::size_t kChunk = 64 * 1024;

class File {
 public:
  explicit File(const char* path) : f_(std::fopen(path, "rb")) {}
  ~File() {
    if (f_ != nullptr) std::fclose(f_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool open() const { return f_ != nullptr; }
  // Appends up to `most` bytes to `to`; returns how many came.
  std::size_t readInto(std::string& to, std::size_t most) {
    const std::size_t had = to.size();
    to.resize(had + most);
    const std::size_t n = std::fread(&to[had], 1, most, f_);
    to.resize(had + n);
    return n;
  }

 private:
  std::FILE* f_;
};

}  // namespace

std::optional<std::string> FindInFile(const char* path, const char* key) {
  if (path == nullptr || *path == '\0' || key == nullptr || *key == '\0') return std::nullopt;
  File file(path);
  if (!file.open()) return std::nullopt;
  const std::size_t keyLength = std::strlen(key);
  // The longest text a match can span: the key, a delimiter, the longest
  // value, a delimiter and ";".
  const std::size_t matchSpan = keyLength + kMaxConfigValue + 3;

  std::string window;
  window.reserve(kChunk + matchSpan);
  std::size_t consumed = 0;
  while (consumed < kMaxConfigFile) {
    const std::size_t n = file.readInto(window, std::min(kChunk, kMaxConfigFile - consumed));
    if (n == 0) break;
    consumed += n;
    const std::size_t at = window.find(key);
    if (at != std::string::npos) {
      // The first occurrence decides: read on until its value could be
      // closed, then judge it as a whole.
      while (window.size() - at < matchSpan && consumed < kMaxConfigFile) {
        const std::size_t more = file.readInto(
            window, std::min(matchSpan - (window.size() - at), kMaxConfigFile - consumed));
        if (more == 0) break;
        consumed += more;
      }
      return findValue(window.substr(at, matchSpan), key);
    }
    // A key that the next chunk completes starts in this one's last bytes.
    if (window.size() >= keyLength) window.erase(0, window.size() - (keyLength - 1));
  }
  return std::nullopt;
}

}  // namespace qx::pictordyn
