#include "platform/wide_name.h"

namespace qx::platform {

std::string utf8FromWide(const wchar_t* name) {
  std::string out;
  if (name == nullptr) return out;
  for (const wchar_t* p = name; *p != 0; ++p) {
    unsigned long c = static_cast<unsigned long>(*p);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF) {
      const unsigned long low = static_cast<unsigned long>(p[1]);
      if (low < 0xDC00 || low > 0xDFFF) return {};
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return {};
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      return {};
    }
  }
  return out;
}

}  // namespace qx::platform
