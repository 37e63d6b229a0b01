// A scratch file in memory-backed storage for readers that take file names.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline const std::string& fuzzFileName() {
  static const std::string name = [] {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(base) + "/nimbrix-fuzz-" + std::to_string(getpid());
  }();
  return name;
}

inline bool writeFuzzFile(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(fuzzFileName().c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}
