#include "recording_file.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace seqtool {

namespace {

int seek(std::FILE* f, int64_t offset) {
#if defined(_WIN32)
  return _fseeki64(f, offset, SEEK_SET);
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

}  // namespace

File::~File() {
  if (f_ != nullptr) std::fclose(f_);
}

bool File::open(const std::string& name, bool writable) {
  f_ = std::fopen(name.c_str(), writable ? "r+b" : "rb");
  return f_ != nullptr;
}

int64_t File::size() {
#if defined(_WIN32)
  if (_fseeki64(f_, 0, SEEK_END) != 0) return -1;
  return _ftelli64(f_);
#else
  if (fseeko(f_, 0, SEEK_END) != 0) return -1;
  return static_cast<int64_t>(ftello(f_));
#endif
}

bool File::read(int64_t offset, void* data, size_t bytes) {
  return seek(f_, offset) == 0 && std::fread(data, 1, bytes, f_) == bytes;
}

bool File::write(int64_t offset, const void* data, size_t bytes) {
  return seek(f_, offset) == 0 && std::fwrite(data, 1, bytes, f_) == bytes;
}

bool File::flush() {
  return std::fflush(f_) == 0;
}

bool File::truncate(int64_t size) {
  if (std::fflush(f_) != 0) return false;
#if defined(_WIN32)
  return _chsize_s(_fileno(f_), size) == 0;
#else
  return ftruncate(fileno(f_), static_cast<off_t>(size)) == 0;
#endif
}

bool readHeader(File& file, Header& header) {
  unsigned char bytes[seqfile::kHeaderSize];
  if (!file.read(0, bytes, sizeof bytes)) return false;
  header = seqfile::decodeHeader(bytes);
  // Deeper pixels than 64 bits are no camera's: such a header is taken for
  // damage, not for a recording.
  return seqfile::fixedWordsHold(bytes) && header.bitsPerPixel <= 64 && pictureBytes(header) > 0;
}

bool readRecordHeader(File& file, int64_t offset, RecordHeader& r) {
  unsigned char bytes[seqfile::kRecordHeaderSize];
  if (!file.read(offset, bytes, sizeof bytes)) return false;
  r = seqfile::decodeRecordHeader(bytes);
  return true;
}

}  // namespace seqtool
