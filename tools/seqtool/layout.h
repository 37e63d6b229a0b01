// The recording file as it lies on disk: a 40-byte header, then records of
// 24 + P bytes (kind 2, length, picture number, index, two reserved words,
// P picture bytes), then filler up to a multiple of 4,000,000 bytes.
#ifndef QX_TOOLS_SEQTOOL_LAYOUT_H
#define QX_TOOLS_SEQTOOL_LAYOUT_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace seqtool {

const int kHeaderBytes = 40;
const int kRecordHeaderBytes = 24;
const int kRecordKind = 2;
// The file always consists of whole buffers of this size.
const int64_t kBufferBytes = 4000000;

struct Header {
  int32_t word[10] = {};
  int width() const { return word[3]; }
  int height() const { return word[4]; }
  int bits() const { return word[5]; }
  int count() const { return word[8]; }
  int firstNumber() const { return word[9]; }
  // Whether the constant words and the geometry make sense.
  bool plausible() const;
  // Bytes per picture (P), or -1 for a geometry that cannot be.
  int64_t pictureBytes() const;
};

struct RecordHeader {
  int32_t kind = 0, length = 0, number = 0, index = 0, reserved[2] = {};
};

// A file opened for positioned reads and writes with 64-bit offsets.
class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool open(const std::string& name, bool writable);
  int64_t size();
  bool read(int64_t offset, void* data, size_t bytes);
  bool write(int64_t offset, const void* data, size_t bytes);
  bool flush();
  // Cuts the file to `size` bytes.
  bool truncate(int64_t size);

 private:
  std::FILE* f_ = nullptr;
};

bool readHeader(File& file, Header& header);
bool readRecordHeader(File& file, int64_t offset, RecordHeader& record);

// Offset of record i.
inline int64_t recordOffset(const Header& h, int64_t i) {
  return kHeaderBytes + i * (kRecordHeaderBytes + h.pictureBytes());
}

}  // namespace seqtool

#endif
