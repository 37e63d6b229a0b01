#include "title.h"

#include <cstdint>
#include <cstdio>

namespace qx::oculon {

namespace {

// Length of the valid UTF-8 sequence at `at` and its code point, or 0 when
// the bytes there are not one.
size_t utf8Sequence(const std::string& s, size_t at, uint32_t& codePoint) {
  const auto byte = [&s](size_t i) { return static_cast<uint8_t>(s[i]); };
  const uint8_t lead = byte(at);
  size_t length = 0;
  uint32_t value = 0;
  uint32_t least = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xe0) == 0xc0) {
    length = 2, value = lead & 0x1fu, least = 0x80;
  } else if ((lead & 0xf0) == 0xe0) {
    length = 3, value = lead & 0x0fu, least = 0x800;
  } else if ((lead & 0xf8) == 0xf0) {
    length = 4, value = lead & 0x07u, least = 0x10000;
  } else {
    return 0;
  }
  if (at + length > s.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xc0) != 0x80) return 0;
    value = value << 6 | (byte(at + i) & 0x3fu);
  }
  // Overlong forms, surrogates and values beyond Unicode are not text.
  if (value < least || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) return 0;
  codePoint = value;
  return length;
}

// `full` cut to kTitleLength bytes, backing off so that a UTF-8 sequence
// that would be cut is left out whole.
std::string cut(const std::string& full) {
  if (full.size() <= kTitleLength) return full;
  size_t end = kTitleLength;
  for (size_t back = 1; back <= 3 && back <= end; ++back) {
    uint32_t codePoint = 0;
    const size_t length = utf8Sequence(full, end - back, codePoint);
    if (length > back) {
      end -= back;
      break;
    }
    if (length != 0) break;
  }
  return full.substr(0, end);
}

}  // namespace

std::string initialTitle(int displayNumber) {
  char title[kTitleLength + 1];
  std::snprintf(title, sizeof title, "Framegrabber Display %d", displayNumber);
  return title;
}

std::string pictureTitle(int displayNumber, int pictureNumber, const char* text) {
  if (text == nullptr) text = "";
  const int needed = std::snprintf(nullptr, 0, "Framegrabber Display %d (%6.6d) %s", displayNumber,
                                   pictureNumber, text);
  if (needed < 0) return initialTitle(displayNumber);
  std::string full(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(&full[0], full.size(), "Framegrabber Display %d (%6.6d) %s", displayNumber,
                pictureNumber, text);
  full.resize(static_cast<size_t>(needed));
  return cut(full);
}

std::string titleAsUtf8(const std::string& title) {
  std::string out;
  for (size_t at = 0; at < title.size();) {
    uint32_t codePoint = 0;
    const size_t length = utf8Sequence(title, at, codePoint);
    if (length > 0) {
      out.append(title, at, length);
      at += length;
    } else {
      const auto latin1 = static_cast<uint8_t>(title[at++]);
      out += static_cast<char>(0xc0 | latin1 >> 6);
      out += static_cast<char>(0x80 | (latin1 & 0x3f));
    }
  }
  return out;
}

std::string titleAsLatin1(const std::string& title) {
  std::string out;
  for (size_t at = 0; at < title.size();) {
    uint32_t codePoint = 0;
    const size_t length = utf8Sequence(title, at, codePoint);
    if (length > 0) {
      out += codePoint <= 0xff ? static_cast<char>(codePoint) : '?';
      at += length;
    } else {
      out += title[at++];
    }
  }
  return out;
}

}  // namespace qx::oculon
