#include "repair.h"

#include "recording_file.h"

#include "le_bytes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace seqtool {

namespace {

// Records are taken while each lies whole within `size` bytes and its header
// is the one the writer forms for that place: kind, length and index.
// Filler after the last record may repeat older records, but never with the
// index of the place it lies at.
int32_t countRecords(File& file, const Header& h, int64_t size, int32_t& first, int32_t& last) {
  const int64_t length = recordBytes(h);
  int32_t count = 0;
  while (count < INT32_MAX && recordOffset(h, count) + length <= size) {
    RecordHeader r;
    if (!readRecordHeader(file, recordOffset(h, count), r) || r.kind != seqfile::kRecordKind ||
        r.length != length || r.index != count)
      break;
    if (count == 0) first = r.pictureNumber;
    last = r.pictureNumber;
    ++count;
  }
  return count;
}

}  // namespace

std::string recordingProblem(const std::string& name) {
  struct stat st;
  if (stat(name.c_str(), &st) != 0) return "cannot open " + name + ": " + std::strerror(errno);
  if ((st.st_mode & S_IFMT) == S_IFDIR) return name + " is a folder, not a recording";
  File file;
  if (!file.open(name, false)) return "cannot open " + name + ": " + std::strerror(errno);
  Header h;
  if (!readHeader(file, h)) return name + " is not a recording (no recording header)";
  return "";
}

Repair repairRecording(const std::string& name) {
  Repair result;
  const std::string problem = recordingProblem(name);
  if (!problem.empty()) {
    result.problem = problem;
    return result;
  }
  File file;
  Header h;
  if (!file.open(name, true)) {
    result.problem = "cannot open " + name + " for writing: " + std::strerror(errno);
    return result;
  }
  if (!readHeader(file, h)) {
    result.problem = name + " is not a recording (no recording header)";
    return result;
  }
  result.headerCount = h.pictureCount;
  int64_t size = file.size();
  int32_t first = 0, last = 0;
  int32_t count = countRecords(file, h, size, first, last);
  // A write cut off by a crash or a full disk can leave the file short of
  // the whole buffers it always consists of. Filler brings it back to that
  // length, starting where the valid records end, so that a torn record
  // cannot look whole once the file is longer.
  const int64_t padding = size % kBufferBytes == 0 ? 0 : kBufferBytes - size % kBufferBytes;
  if (padding > 0) {
    result.changed = true;
    const int64_t from = recordOffset(h, count);
    std::vector<char> zeros(static_cast<size_t>(size + padding - from));
    if (!file.write(from, zeros.data(), zeros.size()) || !file.flush()) {
      // No room for it: the file goes back to its last whole buffer.
      const int64_t whole = size - size % kBufferBytes;
      if (whole < kBufferBytes || !file.truncate(whole)) {
        result.problem = "extending " + name + " failed: " + std::strerror(errno);
        return result;
      }
      size = whole;
      count = countRecords(file, h, size, first, last);
      // The cut may leave a torn record's beginning after the last whole
      // one: it is cleared so that it cannot be taken for a record.
      const int64_t from2 = recordOffset(h, count);
      if (from2 < size) {
        std::vector<char> clear(
            static_cast<size_t>(std::min<int64_t>(size - from2, kRecordHeaderBytes)));
        file.write(from2, clear.data(), clear.size());
      }
    }
  }
  const int32_t storedFirst = count > 0 ? last - count + 1 : 0;
  result.count = count;
  result.firstNumber = first;
  result.lastNumber = last;
  if (h.pictureCount != count || (count > 0 && h.firstPictureNumber != storedFirst)) {
    result.changed = true;
    static_assert(seqfile::kFirstAt == seqfile::kCountAt + 4, "count and first number adjoin");
    unsigned char fields[8];
    nimbrix::putLe32(fields, static_cast<uint32_t>(count));
    nimbrix::putLe32(fields + 4, static_cast<uint32_t>(storedFirst));
    if (!file.write(static_cast<int64_t>(seqfile::kCountAt), fields, sizeof fields) ||
        !file.flush()) {
      result.problem = "rewriting the header of " + name + " failed: " + std::strerror(errno);
      return result;
    }
  }
  if (!file.flush()) {
    result.problem = "writing " + name + " failed: " + std::strerror(errno);
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace seqtool
