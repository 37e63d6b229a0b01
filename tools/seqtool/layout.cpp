#include "layout.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace seqtool {

namespace {

int32_t le32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

int seek(std::FILE* f, int64_t offset) {
#if defined(_WIN32)
  return _fseeki64(f, offset, SEEK_SET);
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

}  // namespace

bool Header::plausible() const {
  return word[0] == 1 && word[1] == kHeaderBytes && word[2] == 1 && word[7] == 1 &&
         pictureBytes() > 0;
}

int64_t Header::pictureBytes() const {
  if (width() <= 0 || height() <= 0 || bits() <= 0 || bits() > 64) return -1;
  return static_cast<int64_t>((bits() + 7) / 8) * width() * height();
}

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
  unsigned char bytes[kHeaderBytes];
  if (!file.read(0, bytes, sizeof bytes)) return false;
  for (int i = 0; i < 10; ++i) header.word[i] = le32(bytes + 4 * i);
  return true;
}

bool readRecordHeader(File& file, int64_t offset, RecordHeader& r) {
  unsigned char bytes[kRecordHeaderBytes];
  if (!file.read(offset, bytes, sizeof bytes)) return false;
  r.kind = le32(bytes);
  r.length = le32(bytes + 4);
  r.number = le32(bytes + 8);
  r.index = le32(bytes + 12);
  r.reserved[0] = le32(bytes + 16);
  r.reserved[1] = le32(bytes + 20);
  return true;
}

}  // namespace seqtool
