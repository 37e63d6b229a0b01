// Reading the keys of a configuration file that tell which applet it was
// made for: a key is followed by its value between one delimiter character
// on each side and closed by ";", as in  Hersteller="Corvane";
#pragma once

#include <optional>
#include <string>

namespace qx::pictordyn {

// Longest value that a key may carry.
inline constexpr std::size_t kMaxConfigValue = 255;
// How much of a configuration file is searched: a key that first occurs
// beyond 64 MiB counts as absent, so a huge or endless file (a device) ends
// the search instead of the process.
inline constexpr std::size_t kMaxConfigFile = std::size_t{64} << 20;

// The value of the first occurrence of `key` in `text` (possibly empty), or
// nothing when the key is absent, its value is not closed by ";", has fewer
// than two characters between key and ";", or is longer than 255.
std::optional<std::string> findValue(const std::string& text, const std::string& key);

// The same for the file at `path`, opened for reading only; a file that
// cannot be read counts as not holding the key. The file is read in chunks
// in constant memory (a key or value across a chunk boundary is found all
// the same), up to kMaxConfigFile bytes.
std::optional<std::string> FindInFile(const char* path, const char* key);

}  // namespace qx::pictordyn
