#include "sequence_file.h"

#include <climits>
#include <cstring>
#include <new>

#include "le_bytes.h"

namespace {

constexpr std::size_t kWidthAt = 12;
constexpr std::size_t kHeightAt = 16;
constexpr std::size_t kBitsAt = 20;
constexpr std::size_t kCountAt = 32;
constexpr std::size_t kFirstAt = 36;

}  // namespace

std::int64_t SequenceFile::pictureSize(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return -1;
  // A record's length field is 32-bit and reads report the picture size as
  // an int: larger pictures cannot be recorded.
  const std::int64_t limit = INT_MAX - static_cast<std::int64_t>(kRecordHeaderSize);
  const std::int64_t bytesPerPixel = (static_cast<std::int64_t>(bitsPerPixel) + 7) / 8;
  const std::int64_t row = bytesPerPixel * width;  // below 2^29 x 2^31
  if (row > limit || row * height > limit) return -1;
  return row * height;
}

std::unique_ptr<SequenceFile> SequenceFile::create(const char* name, int width, int height,
                                                   int bitsPerPixel, Engine engine) {
  const std::int64_t size = pictureSize(width, height, bitsPerPixel);
  if (name == nullptr || size < 0) return nullptr;
  std::unique_ptr<SequenceFile> s(new (std::nothrow) SequenceFile);
  if (!s) return nullptr;
  s->pictureBytes = size;
  nimbrix::putLe32(s->header + 0, 1);
  nimbrix::putLe32(s->header + 4, kHeaderSize);
  nimbrix::putLe32(s->header + 8, 1);
  nimbrix::putLe32(s->header + kWidthAt, static_cast<std::uint32_t>(width));
  nimbrix::putLe32(s->header + kHeightAt, static_cast<std::uint32_t>(height));
  nimbrix::putLe32(s->header + kBitsAt, static_cast<std::uint32_t>(bitsPerPixel));
  nimbrix::putLe32(s->header + 28, 1);

  s->file = qx::platform::AsyncFile::open(name, qx::platform::AsyncFile::Access::CreateWriteThrough,
                                          kBufferCount, engine);
  if (!s->file) return nullptr;
  s->buffers.reset(new (std::nothrow) std::unique_ptr<unsigned char[]>[kBufferCount]);
  if (!s->buffers) return nullptr;
  for (int b = 0; b < kBufferCount; ++b) {
    s->buffers[b].reset(new (std::nothrow) unsigned char[kBufferSize]);
    if (!s->buffers[b]) return nullptr;
    // Filler that reaches the disk carries no stale memory.
    std::memset(s->buffers[b].get(), 0, kBufferSize);
  }
  s->mode = kWriting;
  s->append(s->header, kHeaderSize);
  return s;
}

int SequenceFile::writePicture(int pictureNumber, const void* pixels) {
  if (mode != kWriting || pixels == nullptr || pictureCount == INT32_MAX) return -1;
  // A transfer that has failed in the meantime is reported by this call,
  // not only when its buffer comes round again: the caller learns of a full
  // disk at once and keeps the pictures it has not handed over yet.
  collectEnded();
  if (failed) return -1;
  unsigned char record[kRecordHeaderSize] = {};
  nimbrix::putLe32(record + 0, 2);
  nimbrix::putLe32(record + 4, static_cast<std::uint32_t>(kRecordHeaderSize + pictureBytes));
  nimbrix::putLe32(record + 8, static_cast<std::uint32_t>(pictureNumber));
  nimbrix::putLe32(record + 12, static_cast<std::uint32_t>(pictureCount));
  ++pictureCount;
  lastPictureNumber = pictureNumber;
  append(record, kRecordHeaderSize);
  append(static_cast<const unsigned char*>(pixels), static_cast<std::size_t>(pictureBytes));
  collectEnded();
  return failed ? -1 : 0;
}

// Buffers fill in ring order and each full buffer's write goes out at once,
// so the k-th write is always of buffer k mod 4, in transfer slot k mod 4.
void SequenceFile::append(const unsigned char* bytes, std::size_t n) {
  while (n > 0) {
    const std::size_t position = static_cast<std::size_t>(bytesAccepted % bufferSize);
    const std::size_t room = bufferSize - position;
    const int buffer = static_cast<int>((bytesAccepted / bufferSize) % bufferCount);
    // The buffer's previous write must end before it is filled again.
    if (file->busy(buffer)) collect(buffer, bufferSize);
    const std::size_t take = n < room ? n : room;
    std::memcpy(buffers[buffer].get() + position, bytes, take);
    bytesAccepted += take;
    bytes += take;
    n -= take;
    if (take == room) startBufferWrite(buffer);
  }
}

void SequenceFile::startBufferWrite(int buffer) {
  if (file->busy(buffer)) collect(buffer, bufferSize);
  slotOffset[buffer] = filePosition;
  file->startWrite(buffer, buffers[buffer].get(), bufferSize, filePosition);
  filePosition += bufferSize;
  ++transfersStarted;
}

void SequenceFile::collect(int slot, std::size_t expected) {
  if (file->wait(slot) != static_cast<std::int64_t>(expected)) {
    failed = true;
    if (slotOffset[slot] < failedAt) failedAt = slotOffset[slot];
  }
}

void SequenceFile::collectEnded() {
  for (int b = 0; b < bufferCount; ++b)
    if (file->ended(b)) collect(b, bufferSize);
}

int SequenceFile::close() {
  if (!file) return -1;
  if (mode == kWriting) {
    // The buffer in use goes out whole, even with no new bytes: this keeps
    // every write a whole buffer and the file a multiple of the buffer size.
    startBufferWrite(static_cast<int>((bytesAccepted / bufferSize) % bufferCount));
    for (int b = 0; b < bufferCount; ++b)
      if (file->busy(b)) collect(b, bufferSize);
    // The header counts the records that reached the file: those that end
    // before the first buffer whose write failed. The first picture number
    // stays that of the first record.
    std::int64_t onDisk = pictureCount;
    if (failedAt != UINT64_MAX) {
      const std::uint64_t record = kRecordHeaderSize + static_cast<std::uint64_t>(pictureBytes);
      const std::uint64_t whole = failedAt < kHeaderSize ? 0 : (failedAt - kHeaderSize) / record;
      if (whole < static_cast<std::uint64_t>(onDisk)) onDisk = static_cast<std::int64_t>(whole);
    }
    nimbrix::putLe32(header + kCountAt, static_cast<std::uint32_t>(onDisk));
    nimbrix::putLe32(header + kFirstAt,
                     static_cast<std::uint32_t>(lastPictureNumber - pictureCount + 1));
    slotOffset[0] = 0;
    file->startWrite(0, header, kHeaderSize, 0);
    collect(0, kHeaderSize);
  }
  if (!file->close()) failed = true;
  file.reset();
  return failed ? -1 : 0;
}

std::unique_ptr<SequenceFile> SequenceFile::open(const char* name, Engine engine) {
  if (name == nullptr) return nullptr;
  std::unique_ptr<SequenceFile> s(new (std::nothrow) SequenceFile);
  if (!s) return nullptr;
  s->file =
      qx::platform::AsyncFile::open(name, qx::platform::AsyncFile::Access::ReadExisting, 1, engine);
  if (!s->file) return nullptr;
  if (s->readAt(0, s->header, kHeaderSize) != static_cast<std::int64_t>(kHeaderSize))
    return nullptr;
  s->pictureBytes = pictureSize(s->width(), s->height(), s->bitsPerPixel());
  if (s->pictureBytes < 0 || nimbrix::getLe32s(s->header + kCountAt) < 0) return nullptr;
  return s;
}

std::int64_t SequenceFile::readAt(std::uint64_t offset, void* destination, std::size_t n) {
  file->startRead(0, destination, n, offset);
  const std::int64_t got = file->wait(0);
  filePosition = offset + n;
  return got;
}

int SequenceFile::readPicture(int index, void* destination) {
  if (mode == kWriting || !file || destination == nullptr || index < 0 ||
      index >= nimbrix::getLe32s(header + kCountAt))
    return -1;
  const std::uint64_t at =
      kHeaderSize + static_cast<std::uint64_t>(index) *
                        (kRecordHeaderSize + static_cast<std::uint64_t>(pictureBytes));
  unsigned char record[kRecordHeaderSize];
  if (readAt(at, record, kRecordHeaderSize) != static_cast<std::int64_t>(kRecordHeaderSize))
    return -1;
  const std::size_t n = static_cast<std::size_t>(pictureBytes);
  return readAt(at + kRecordHeaderSize, destination, n) == static_cast<std::int64_t>(n) ? 0 : -1;
}

int SequenceFile::readNextPicture(int* pictureNumber, void* destination) {
  if (mode == kWriting || !file || destination == nullptr) return -1;
  unsigned char record[kRecordHeaderSize];
  const std::int64_t head = readAt(filePosition, record, kRecordHeaderSize);
  if (head < 0) return -1;
  if (head == static_cast<std::int64_t>(kRecordHeaderSize) && pictureNumber != nullptr)
    *pictureNumber = nimbrix::getLe32s(record + 8);
  const std::int64_t got =
      readAt(filePosition, destination, static_cast<std::size_t>(pictureBytes));
  return static_cast<int>(got);
}

void SequenceFile::info(int* count, int* first) const {
  if (count != nullptr) *count = nimbrix::getLe32s(header + kCountAt);
  if (first != nullptr) *first = nimbrix::getLe32s(header + kFirstAt);
}

int SequenceFile::width() const {
  return nimbrix::getLe32s(header + kWidthAt);
}
int SequenceFile::height() const {
  return nimbrix::getLe32s(header + kHeightAt);
}
int SequenceFile::bitsPerPixel() const {
  return nimbrix::getLe32s(header + kBitsAt);
}
