#include "testsupport.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace qx::test {

std::string TempDir::file(const std::string& name) const {
  return path_ + pathSeparator() + name;
}

void TempDir::simConfig(const std::string& text) const {
  writeFile(file("sim.cfg"), text);
  setEnv("QUORLEX_SIM", file("sim.cfg"));
}

std::vector<std::string> TempDir::journal() const {
  return readLines(file("journal.txt"));
}

std::string libraryFile(const std::string& base) {
#if defined(_WIN32)
  return base + ".dll";
#else
  return base + ".so";
#endif
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool copyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out << in.rdbuf();
  return static_cast<bool>(out);
}

bool fileExists(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(readFile(path));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::optional<long long> traceOffset(const std::string& line) {
  static const std::regex stamp("^(-?[0-9]+) : ");
  std::smatch m;
  if (!std::regex_search(line, m, stamp)) return std::nullopt;
  return std::stoll(m[1].str());
}

std::vector<std::string> maskedTrace(const std::string& path) {
  static const std::regex stamp("^-?[0-9]+ : ");
  std::vector<std::string> lines = readLines(path);
  for (std::string& line : lines) line = std::regex_replace(line, stamp, "T : ");
  return lines;
}

std::string tracePointer(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%" PRIxPTR, reinterpret_cast<std::uintptr_t>(p));
  return text;
}

}  // namespace qx::test
