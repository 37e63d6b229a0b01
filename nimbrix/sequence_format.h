// The sequence (recording) file as it lies on disk, for everything that
// writes or reads one. Every field is a 32-bit little-endian signed integer.
//
//   header, 40 bytes at offset 0:
//     1, 40, 1, width, height, bits per pixel, reserved, 1,
//     picture count, first picture number
//   record i at 40 + i x (24 + P), P = whole bytes per pixel x width x height:
//     kind 2, length 24 + P, picture number, index i, two reserved words,
//     then the P picture bytes
//   filler up to the next multiple of 4,000,000 bytes beyond the records
//
// The writer stores the picture count and first picture number only when
// the recording is closed; a recording whose writer died has 0 there.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#include "le_bytes.h"

namespace nimbrix::seqfile {

constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kRecordHeaderSize = 24;
constexpr std::int32_t kRecordKind = 2;
// The file always consists of whole buffers of this size.
constexpr std::size_t kBufferSize = 4000000;

// Byte offsets of the header's fields.
constexpr std::size_t kWidthAt = 12;
constexpr std::size_t kHeightAt = 16;
constexpr std::size_t kBitsAt = 20;
constexpr std::size_t kCountAt = 32;
constexpr std::size_t kFirstAt = 36;
// The words the format fixes: offset and value.
struct FixedWord {
  std::size_t at;
  std::int32_t value;
};
constexpr FixedWord kFixedWords[] = {
    {0, 1}, {4, static_cast<std::int32_t>(kHeaderSize)}, {8, 1}, {28, 1}};

struct Header {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bitsPerPixel = 0;
  std::int32_t pictureCount = 0;
  std::int32_t firstPictureNumber = 0;
};

// The 40 header bytes: the fixed words, the fields, 0 in the reserved word.
inline void encodeHeader(const Header& h, unsigned char* out) {
  for (std::size_t i = 0; i < kHeaderSize; ++i) out[i] = 0;
  for (const FixedWord& w : kFixedWords) putLe32(out + w.at, static_cast<std::uint32_t>(w.value));
  putLe32(out + kWidthAt, static_cast<std::uint32_t>(h.width));
  putLe32(out + kHeightAt, static_cast<std::uint32_t>(h.height));
  putLe32(out + kBitsAt, static_cast<std::uint32_t>(h.bitsPerPixel));
  putLe32(out + kCountAt, static_cast<std::uint32_t>(h.pictureCount));
  putLe32(out + kFirstAt, static_cast<std::uint32_t>(h.firstPictureNumber));
}

inline Header decodeHeader(const unsigned char* in) {
  Header h;
  h.width = getLe32s(in + kWidthAt);
  h.height = getLe32s(in + kHeightAt);
  h.bitsPerPixel = getLe32s(in + kBitsAt);
  h.pictureCount = getLe32s(in + kCountAt);
  h.firstPictureNumber = getLe32s(in + kFirstAt);
  return h;
}

// Whether the words the format fixes hold their values (the library's reader
// does not insist on them; tools that judge a file may).
inline bool fixedWordsHold(const unsigned char* in) {
  for (const FixedWord& w : kFixedWords)
    if (getLe32s(in + w.at) != w.value) return false;
  return true;
}

struct RecordHeader {
  std::int32_t kind = 0;
  std::int32_t length = 0;
  std::int32_t pictureNumber = 0;
  std::int32_t index = 0;
  std::int32_t reserved[2] = {};
};

// The 24 record-header bytes of a picture of `pictureBytes` bytes.
inline void encodeRecordHeader(std::int32_t pictureNumber, std::int32_t index,
                               std::int64_t pictureBytes, unsigned char* out) {
  for (std::size_t i = 0; i < kRecordHeaderSize; ++i) out[i] = 0;
  putLe32(out + 0, static_cast<std::uint32_t>(kRecordKind));
  putLe32(out + 4, static_cast<std::uint32_t>(kRecordHeaderSize + pictureBytes));
  putLe32(out + 8, static_cast<std::uint32_t>(pictureNumber));
  putLe32(out + 12, static_cast<std::uint32_t>(index));
}

inline RecordHeader decodeRecordHeader(const unsigned char* in) {
  RecordHeader r;
  r.kind = getLe32s(in + 0);
  r.length = getLe32s(in + 4);
  r.pictureNumber = getLe32s(in + 8);
  r.index = getLe32s(in + 12);
  r.reserved[0] = getLe32s(in + 16);
  r.reserved[1] = getLe32s(in + 20);
  return r;
}

// P for a geometry: whole bytes per pixel x width x height. -1 when a size
// is not positive or a record would not fit its 32-bit length field.
inline std::int64_t pictureSize(std::int32_t width, std::int32_t height,
                                std::int32_t bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return -1;
  const std::int64_t limit = INT_MAX - static_cast<std::int64_t>(kRecordHeaderSize);
  const std::int64_t bytesPerPixel = (static_cast<std::int64_t>(bitsPerPixel) + 7) / 8;
  const std::int64_t row = bytesPerPixel * width;  // below 2^29 x 2^31
  if (row > limit || row * height > limit) return -1;
  return row * height;
}

// Offset of record `index` for pictures of `pictureBytes` bytes.
inline std::uint64_t recordOffset(std::uint64_t index, std::uint64_t pictureBytes) {
  return kHeaderSize + index * (kRecordHeaderSize + pictureBytes);
}

// Records that lie whole before `offset` (a failed write from there on, say).
inline std::uint64_t recordsBefore(std::uint64_t offset, std::uint64_t pictureBytes) {
  return offset < kHeaderSize ? 0 : (offset - kHeaderSize) / (kRecordHeaderSize + pictureBytes);
}

}  // namespace nimbrix::seqfile
