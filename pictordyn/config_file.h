// Reading the keys of a configuration file that tell which applet it was
// made for: a key is followed by its value between one delimiter character
// on each side and closed by ";", as in  Hersteller="Corvane";
#pragma once

#include <optional>
#include <string>

namespace qx::pictordyn {

// Longest value that a key may carry.
inline constexpr std::size_t kMaxConfigValue = 255;

// The value of the first occurrence of `key` in `text` (possibly empty), or
// nothing when the key is absent, its value is not closed by ";", has fewer
// than two characters between key and ";", or is longer than 255.
std::optional<std::string> findValue(const std::string& text, const std::string& key);

// The same for the file at `path`, opened for reading only; a file that
// cannot be read counts as not holding the key.
std::optional<std::string> FindInFile(const char* path, const char* key);

}  // namespace qx::pictordyn
