// The one-line text header of raw files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrix {

// Longest header line accepted, line feed included.
constexpr std::size_t kRawHeaderMax = 64;

struct RawHeader {
  std::size_t lineLength = 0;  // bytes up to and including the line feed; 0: refused
  int width = 0;
  int height = 0;
  int third = 0;
  std::uint64_t dataLength = 0;
};

// Parses "w,h,length\n" (the writer's form: the data are `length` bytes) or
// "w,h,third,fourth\n" (data of w x h x fourth bytes) at the start of `text`.
// Each number is what a formatted scan of "%d" accepts (white space before
// it, an optional sign, decimal digits) and must fit an int; the commas
// follow the numbers directly; a carriage return before the line feed is
// allowed. Sizes that are negative
// or do not fit the address space are refused.
RawHeader parseRawHeader(const unsigned char* text, std::size_t size);

}  // namespace nimbrix
