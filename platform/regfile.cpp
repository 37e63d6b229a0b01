#include "platform/registry.h"

#include <cctype>
#include <string_view>

namespace qx::platform {
namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Reads a quoted string starting at s[0] == '"', with \\ and \" escapes.
// Returns false when the closing quote is missing.
bool readQuoted(std::string_view s, std::size_t& pos, std::string& out) {
  out.clear();
  for (pos = 1; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '\\' && pos + 1 < s.size()) {
      out.push_back(s[++pos]);
    } else if (c == '"') {
      ++pos;
      return true;
    } else {
      out.push_back(c);
    }
  }
  return false;
}

}  // namespace

RegistryResult findRegistryValue(const std::string& text, const char* key, const char* value,
                                 std::string& out) {
  const std::string wantedKey = std::string("HKEY_LOCAL_MACHINE\\") + key;
  bool keySeen = false;
  bool inKey = false;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line = trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      inKey = line.back() == ']' && equalNoCase(line.substr(1, line.size() - 2), wantedKey);
      keySeen = keySeen || inKey;
      continue;
    }
    if (!inKey || line.front() != '"') continue;
    std::string name;
    std::size_t pos = 0;
    if (!readQuoted(line, pos, name) || !equalNoCase(name, value)) continue;
    std::string_view rest = trim(line.substr(pos));
    if (rest.empty() || rest.front() != '=') continue;
    rest = trim(rest.substr(1));
    // Only string values count; other kinds (dword:, hex:) are not strings.
    if (rest.empty() || rest.front() != '"') return RegistryResult::NoValue;
    std::string data;
    if (!readQuoted(rest, pos, data)) return RegistryResult::NoValue;
    out = data;
    return RegistryResult::Ok;
  }
  return keySeen ? RegistryResult::NoValue : RegistryResult::NoKey;
}

}  // namespace qx::platform
