// A recording opened for positioned reads and writes, and its header and
// records read as nimbrix/sequence_format.h describes them.
#ifndef QX_TOOLS_SEQTOOL_RECORDING_FILE_H
#define QX_TOOLS_SEQTOOL_RECORDING_FILE_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "sequence_format.h"

namespace seqtool {

namespace seqfile = nimbrix::seqfile;
using seqfile::Header;
using seqfile::RecordHeader;

// The format's sizes as signed numbers, for arithmetic with file offsets
// and sizes (which are -1 when unknown).
constexpr int64_t kHeaderBytes = static_cast<int64_t>(seqfile::kHeaderSize);
constexpr int64_t kRecordHeaderBytes = static_cast<int64_t>(seqfile::kRecordHeaderSize);
constexpr int64_t kBufferBytes = static_cast<int64_t>(seqfile::kBufferSize);

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

// Reads the header. False when it cannot be read or does not describe a
// recording: the words the format fixes must hold and the geometry must
// give pictures, of at most 64 bits per pixel.
bool readHeader(File& file, Header& header);
bool readRecordHeader(File& file, int64_t offset, RecordHeader& record);

// Bytes per picture (P), positive for every header readHeader takes.
inline int64_t pictureBytes(const Header& h) {
  return seqfile::pictureSize(h.width, h.height, h.bitsPerPixel);
}

// Bytes per record, its header included.
inline int64_t recordBytes(const Header& h) {
  return kRecordHeaderBytes + pictureBytes(h);
}

// Offset of record i (i >= 0).
inline int64_t recordOffset(const Header& h, int64_t i) {
  return static_cast<int64_t>(
      seqfile::recordOffset(static_cast<uint64_t>(i), static_cast<uint64_t>(pictureBytes(h))));
}

}  // namespace seqtool

#endif
