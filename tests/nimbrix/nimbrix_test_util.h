// Small helpers shared by the nimbrix suites.
#pragma once

#include <cstdint>
#include <cstdio>
#if !defined(_WIN32)
#include <sys/resource.h>

#include <csignal>
#endif
#include <string>
#include <vector>

namespace nimbrix_test {

inline std::vector<unsigned char> pattern(std::size_t n, unsigned seed = 1) {
  std::vector<unsigned char> v(n);
  std::uint32_t x = seed * 2654435761u + 12345u;
  for (auto& b : v) {
    x = x * 1103515245u + 12345u;
    b = static_cast<unsigned char>(x >> 16);
  }
  return v;
}

inline std::uint32_t le32(const std::string& s, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s.at(at))) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s.at(at + 1))) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s.at(at + 2))) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s.at(at + 3))) << 24;
}
inline std::uint32_t le16(const std::string& s, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s.at(at))) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s.at(at + 1))) << 8;
}
inline void putLe32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
inline void putLe16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v);
  s[at + 1] = static_cast<char>(v >> 8);
}

inline std::string bytes(const std::vector<unsigned char>& v) {
  return std::string(v.begin(), v.end());
}

// Lengthens a file to `length` bytes by writing its last byte (zero): the
// bytes between are a hole, which takes no disk space where the file system
// keeps holes.
inline bool extendSparse(const std::string& name, std::uint64_t length) {
  std::FILE* f = std::fopen(name.c_str(), "r+b");
  if (f == nullptr) return false;
#if defined(_WIN32)
  bool ok = _fseeki64(f, static_cast<__int64>(length - 1), SEEK_SET) == 0;
#else
  bool ok = fseeko(f, static_cast<off_t>(length - 1), SEEK_SET) == 0;
#endif
  ok = ok && std::fputc(0, f) == 0;
  return std::fclose(f) == 0 && ok;
}

#if !defined(_WIN32)
// Files of this process may grow to `bytes` and no further: a write past the
// limit fails as on a full disk (with the signal that would end the process
// ignored). The old limit is restored at the end of the scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::uint64_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = nullptr;
  bool ok_ = false;
};

#endif

}  // namespace nimbrix_test
