#include "raw_format.h"

#include <climits>

namespace nimbrix {

namespace {

bool isSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// One number as a formatted scan of "%d" takes it: white space before it
// (line ends included), a sign, decimal digits; here they must fit an int.
bool parseInt(const unsigned char*& p, const unsigned char* end, int& out) {
  while (p < end && isSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  if (p == end || *p < '0' || *p > '9') return false;
  long long v = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    v = v * 10 + (*p - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
    ++p;
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

RawHeader parseRawHeader(const unsigned char* text, std::size_t size) {
  RawHeader h;
  if (text == nullptr) return h;
  const unsigned char* end = text + (size < kRawHeaderMax ? size : kRawHeaderMax);
  const unsigned char* p = text;
  int numbers[4];
  int count = 0;
  while (count < 4) {
    if (!parseInt(p, end, numbers[count])) return h;
    ++count;
    if (p < end && *p == ',') {
      ++p;
      continue;
    }
    break;
  }
  if (p < end && *p == '\r') ++p;
  if (p == end || *p != '\n' || count < 3) return h;
  ++p;

  std::uint64_t length;
  if (count == 3) {
    if (numbers[2] < 0) return h;
    length = static_cast<std::uint64_t>(numbers[2]);
  } else {
    if (numbers[0] < 0 || numbers[1] < 0 || numbers[3] < 0) return h;
    length = static_cast<std::uint64_t>(numbers[0]) * static_cast<std::uint64_t>(numbers[1]);
    if (numbers[3] != 0 && length > UINT64_MAX / static_cast<std::uint64_t>(numbers[3])) return h;
    length *= static_cast<std::uint64_t>(numbers[3]);
  }
  if (length > SIZE_MAX / 2) return h;
  h.lineLength = static_cast<std::size_t>(p - text);
  h.width = numbers[0];
  h.height = numbers[1];
  h.third = numbers[2];
  h.dataLength = length;
  return h;
}

}  // namespace nimbrix
