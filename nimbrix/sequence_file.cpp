#include "sequence_file.h"

#include <cstring>
#include <new>

namespace seqfile = nimbrix::seqfile;

std::unique_ptr<SequenceFile> SequenceFile::create(const char* name, int width, int height,
                                                   int bitsPerPixel, Engine engine) {
  const std::int64_t size = seqfile::pictureSize(width, height, bitsPerPixel);
  if (name == nullptr || size < 0) return nullptr;
  std::unique_ptr<SequenceFile> s(new (std::nothrow) SequenceFile);
  if (!s) return nullptr;
  s->pictureBytes_ = size;
  s->header_.width = width;
  s->header_.height = height;
  s->header_.bitsPerPixel = bitsPerPixel;

  s->file_ = qx::platform::AsyncFile::open(
      name, qx::platform::AsyncFile::Access::CreateWriteThrough, kBufferCount, engine);
  if (!s->file_) return nullptr;
  for (auto& buffer : s->buffers_) {
    buffer.reset(new (std::nothrow) unsigned char[kBufferSize]);
    if (!buffer) return nullptr;
    // Filler that reaches the disk carries no stale memory.
    std::memset(buffer.get(), 0, kBufferSize);
  }
  s->writing_ = true;
  // The count and first number are not known yet: close writes the header
  // again.
  unsigned char header[seqfile::kHeaderSize];
  seqfile::encodeHeader(s->header_, header);
  s->append(header, sizeof header);
  return s;
}

int SequenceFile::writePicture(int pictureNumber, const void* pixels) {
  if (!writing_ || pixels == nullptr || pictureCount_ == INT32_MAX) return -1;
  // A transfer that has failed in the meantime is reported by this call,
  // not only when its buffer comes round again: the caller learns of a full
  // disk at once and keeps the pictures it has not handed over yet.
  collectEnded();
  if (failed_) return -1;
  unsigned char record[seqfile::kRecordHeaderSize];
  seqfile::encodeRecordHeader(pictureNumber, pictureCount_, pictureBytes_, record);
  ++pictureCount_;
  lastPictureNumber_ = pictureNumber;
  append(record, sizeof record);
  append(static_cast<const unsigned char*>(pixels), static_cast<std::size_t>(pictureBytes_));
  collectEnded();
  return failed_ ? -1 : 0;
}

// Buffers fill in ring order and each full buffer's write goes out at once,
// so the k-th write is always of buffer k mod 4, in transfer slot k mod 4.
void SequenceFile::append(const unsigned char* bytes, std::size_t n) {
  while (n > 0) {
    const std::size_t position = static_cast<std::size_t>(bytesAccepted_ % kBufferSize);
    const std::size_t room = kBufferSize - position;
    const int buffer = static_cast<int>((bytesAccepted_ / kBufferSize) % kBufferCount);
    // The buffer's previous write must end before it is filled again.
    if (file_->busy(buffer)) collect(buffer, kBufferSize);
    const std::size_t take = n < room ? n : room;
    std::memcpy(buffers_[buffer].get() + position, bytes, take);
    bytesAccepted_ += take;
    bytes += take;
    n -= take;
    if (take == room) startBufferWrite(buffer);
  }
}

void SequenceFile::startBufferWrite(int buffer) {
  if (file_->busy(buffer)) collect(buffer, kBufferSize);
  slotOffset_[buffer] = filePosition_;
  file_->startWrite(buffer, buffers_[buffer].get(), kBufferSize, filePosition_);
  filePosition_ += kBufferSize;
}

void SequenceFile::collect(int slot, std::size_t expected) {
  if (file_->wait(slot) != static_cast<std::int64_t>(expected)) {
    failed_ = true;
    if (slotOffset_[slot] < failedAt_) failedAt_ = slotOffset_[slot];
  }
}

void SequenceFile::collectEnded() {
  for (int b = 0; b < kBufferCount; ++b)
    if (file_->ended(b)) collect(b, kBufferSize);
}

int SequenceFile::close() {
  if (!file_) return -1;
  if (writing_) {
    // The buffer in use goes out whole, even with no new bytes: this keeps
    // every write a whole buffer and the file a multiple of the buffer size.
    startBufferWrite(static_cast<int>((bytesAccepted_ / kBufferSize) % kBufferCount));
    for (int b = 0; b < kBufferCount; ++b)
      if (file_->busy(b)) collect(b, kBufferSize);
    // The header counts the records that reached the file: those that end
    // before the first buffer whose write failed. The first picture number
    // stays that of the first record.
    std::int64_t onDisk = pictureCount_;
    if (failedAt_ != UINT64_MAX) {
      const std::uint64_t whole =
          seqfile::recordsBefore(failedAt_, static_cast<std::uint64_t>(pictureBytes_));
      if (whole < static_cast<std::uint64_t>(onDisk)) onDisk = static_cast<std::int64_t>(whole);
    }
    header_.pictureCount = static_cast<std::int32_t>(onDisk);
    header_.firstPictureNumber = static_cast<std::int32_t>(static_cast<std::uint32_t>(
        static_cast<std::int64_t>(lastPictureNumber_) - pictureCount_ + 1));
    unsigned char header[seqfile::kHeaderSize];
    seqfile::encodeHeader(header_, header);
    slotOffset_[0] = 0;
    file_->startWrite(0, header, sizeof header, 0);
    collect(0, sizeof header);
  }
  if (!file_->close()) failed_ = true;
  file_.reset();
  return failed_ ? -1 : 0;
}

std::unique_ptr<SequenceFile> SequenceFile::open(const char* name, Engine engine) {
  if (name == nullptr) return nullptr;
  std::unique_ptr<SequenceFile> s(new (std::nothrow) SequenceFile);
  if (!s) return nullptr;
  s->file_ =
      qx::platform::AsyncFile::open(name, qx::platform::AsyncFile::Access::ReadExisting, 1, engine);
  if (!s->file_) return nullptr;
  unsigned char header[seqfile::kHeaderSize];
  if (s->readAt(0, header, sizeof header) != static_cast<std::int64_t>(sizeof header))
    return nullptr;
  s->header_ = seqfile::decodeHeader(header);
  s->pictureBytes_ = seqfile::pictureSize(s->width(), s->height(), s->bitsPerPixel());
  if (s->pictureBytes_ < 0 || s->header_.pictureCount < 0) return nullptr;
  return s;
}

std::int64_t SequenceFile::readAt(std::uint64_t offset, void* destination, std::size_t n) {
  file_->startRead(0, destination, n, offset);
  const std::int64_t got = file_->wait(0);
  filePosition_ = offset + n;
  return got;
}

int SequenceFile::readPicture(int index, void* destination) {
  if (writing_ || !file_ || destination == nullptr || index < 0 || index >= header_.pictureCount)
    return -1;
  const std::uint64_t at = seqfile::recordOffset(static_cast<std::uint64_t>(index),
                                                 static_cast<std::uint64_t>(pictureBytes_));
  unsigned char record[seqfile::kRecordHeaderSize];
  if (readAt(at, record, sizeof record) != static_cast<std::int64_t>(sizeof record)) return -1;
  const std::size_t n = static_cast<std::size_t>(pictureBytes_);
  return readAt(at + sizeof record, destination, n) == static_cast<std::int64_t>(n) ? 0 : -1;
}

int SequenceFile::readNextPicture(int* pictureNumber, void* destination) {
  if (writing_ || !file_ || destination == nullptr) return -1;
  unsigned char record[seqfile::kRecordHeaderSize];
  const std::int64_t head = readAt(filePosition_, record, sizeof record);
  if (head < 0) return -1;
  if (head == static_cast<std::int64_t>(sizeof record) && pictureNumber != nullptr)
    *pictureNumber = seqfile::decodeRecordHeader(record).pictureNumber;
  const std::int64_t got =
      readAt(filePosition_, destination, static_cast<std::size_t>(pictureBytes_));
  return static_cast<int>(got);
}

void SequenceFile::info(int* count, int* first) const {
  if (count != nullptr) *count = header_.pictureCount;
  if (first != nullptr) *first = header_.firstPictureNumber;
}
