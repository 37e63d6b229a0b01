// Little-endian fields of the file formats, independent of the machine's
// own byte order.
#pragma once

#include <cstdint>

namespace nimbrix {

inline void putLe16(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void putLe32(unsigned char* p, std::uint32_t v) {
  putLe16(p, v);
  putLe16(p + 2, v >> 16);
}
inline std::uint32_t getLe16(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}
inline std::uint32_t getLe32(const unsigned char* p) {
  return getLe16(p) | getLe16(p + 2) << 16;
}
inline std::int32_t getLe32s(const unsigned char* p) {
  return static_cast<std::int32_t>(getLe32(p));
}

}  // namespace nimbrix
