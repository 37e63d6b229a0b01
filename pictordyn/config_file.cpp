#include "config_file.h"

#include <cstdio>

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

std::optional<std::string> FindInFile(const char* path, const char* key) {
  if (path == nullptr || *path == '\0') return std::nullopt;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return std::nullopt;
  std::string text;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
  std::fclose(f);
  return findValue(text, key);
}

}  // namespace qx::pictordyn
