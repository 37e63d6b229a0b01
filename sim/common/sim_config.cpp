#include "sim_config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qx::sim {
namespace {

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

SimConfig SimConfig::fromEnvironment() {
  const char* path = std::getenv("QUORLEX_SIM");
  if (path == nullptr || *path == '\0') return {};
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return fromText(text.str());
}

SimConfig SimConfig::fromText(const std::string& text) {
  SimConfig config;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    config.values_[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
  return config;
}

std::string SimConfig::text(const std::string& key, const std::string& fallback) const {
  auto it = values_.find(key);
  return it == values_.end() ? fallback : it->second;
}

int SimConfig::number(const std::string& key, int fallback) const {
  auto it = values_.find(key);
  if (it == values_.end() || it->second.empty()) return fallback;
  char* end = nullptr;
  const long v = std::strtol(it->second.c_str(), &end, 0);
  return *end == '\0' ? static_cast<int>(v) : fallback;
}

}  // namespace qx::sim
