// seqtool recover: a recording whose writer died before closing has records
// on disk but a header whose picture count and first number were never
// stored. The valid records are counted from their own headers, and the
// file header rewritten to cover exactly those.
#include "commands.h"
#include "layout.h"

#include <cstdio>
#include <vector>

namespace seqtool {

namespace {

void put32(unsigned char* p, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace

int recover(const std::string& name) {
  File file;
  Header h;
  if (!file.open(name, true)) {
    std::fprintf(stderr, "seqtool: cannot open %s for writing\n", name.c_str());
    return 1;
  }
  if (!readHeader(file, h) || !h.plausible()) {
    // The header goes to disk with the first buffer of records: without it
    // no record reached the disk either.
    std::fprintf(stderr, "seqtool: %s holds no recording header; nothing to recover\n",
                 name.c_str());
    return 1;
  }
  const int64_t size = file.size();
  const int64_t length = kRecordHeaderBytes + h.pictureBytes();
  // Records are taken while each lies whole in the file and its header is
  // the one the writer forms for that place: kind, length and index. Filler
  // after the last record may repeat older records, but never with the index
  // of the place it lies at.
  int32_t count = 0;
  int32_t firstNumber = 0, lastNumber = 0;
  while (count < INT32_MAX && recordOffset(h, count) + length <= size) {
    RecordHeader r;
    if (!readRecordHeader(file, recordOffset(h, count), r) || r.kind != kRecordKind ||
        r.length != length || r.index != count)
      break;
    if (count == 0) firstNumber = r.number;
    lastNumber = r.number;
    ++count;
  }
  const int32_t storedFirst = count > 0 ? lastNumber - count + 1 : 0;
  // A write cut off by the crash can leave the file short of the whole
  // buffers it always consists of; filler brings it back to that length.
  // The filler starts where the valid records end, so that a torn record
  // cannot look whole once the file is longer.
  const int64_t padding = size % kBufferBytes == 0 ? 0 : kBufferBytes - size % kBufferBytes;
  if (padding > 0) {
    const int64_t from = recordOffset(h, count);
    std::vector<char> zeros(static_cast<size_t>(size + padding - from));
    if (!file.write(from, zeros.data(), zeros.size())) {
      std::fprintf(stderr, "seqtool: extending %s failed\n", name.c_str());
      return 1;
    }
  }
  if (padding == 0 && h.count() == count && (count == 0 || h.firstNumber() == storedFirst)) {
    std::printf("%s is complete: %d pictures\n", name.c_str(), count);
    return 0;
  }
  unsigned char fields[8];
  put32(fields, count);
  put32(fields + 4, storedFirst);
  if (!file.write(32, fields, sizeof fields) || !file.flush()) {
    std::fprintf(stderr, "seqtool: rewriting the header of %s failed\n", name.c_str());
    return 1;
  }
  if (count > 0)
    std::printf("recovered %s: %d pictures, numbers %d to %d (header said %d)\n", name.c_str(),
                count, firstNumber, lastNumber, h.count());
  else
    std::printf("recovered %s: no complete picture on disk\n", name.c_str());
  return 0;
}

}  // namespace seqtool
