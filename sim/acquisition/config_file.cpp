#include "config_file.h"

namespace qx::sim {
namespace {

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

void entry(std::string& out, const std::string& key, const std::string& value) {
  out += key + "=\"" + value + "\";\n";
}

}  // namespace

std::string formatConfigFile(const Identity& identity,
                             const PortSettings (&ports)[Grabber::kPorts]) {
  std::string out;
  entry(out, "Hersteller", identity.maker);
  entry(out, "Typ", identity.type);
  entry(out, "Version", identity.version);
  for (int port = 0; port < Grabber::kPorts; ++port) {
    for (int i = 0; i < kSettingKeyCount; ++i) {
      int value = 0;
      getSetting(ports[port], kSettingKeys[i].parameter, value);
      entry(out, "Port" + std::to_string(port) + "." + kSettingKeys[i].name, std::to_string(value));
    }
  }
  return out;
}

std::optional<std::map<std::string, std::string>> parseConfigFile(const std::string& text) {
  std::map<std::string, std::string> entries;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t end = text.find(';', pos);
    if (end == std::string::npos) {
      // Only blank text may follow the last entry.
      if (!trim(text.substr(pos)).empty()) return std::nullopt;
      break;
    }
    const std::string item = trim(text.substr(pos, end - pos));
    pos = end + 1;
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    std::string value = item.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    entries[trim(item.substr(0, eq))] = value;
  }
  for (const char* key : {"Hersteller", "Typ", "Version"})
    if (entries.count(key) == 0) return std::nullopt;
  return entries;
}

}  // namespace qx::sim
