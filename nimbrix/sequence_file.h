// The record behind a sequence handle: a recording of many pictures of one
// size, written through a ring of large buffers whose writes run while the
// caller hands over the next pictures, and read back by index or in order.
// The file's layout is in sequence_format.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/async_file.h"
#include "sequence_format.h"

// A struct only because the C header declares it so (the tags must match);
// its state is private.
struct SequenceFile {
 public:
  static constexpr std::size_t kBufferSize = nimbrix::seqfile::kBufferSize;
  static constexpr int kBufferCount = 4;
  using Engine = qx::platform::AsyncFile::Engine;

  // Null when the sizes are refused or the file cannot be created.
  static std::unique_ptr<SequenceFile> create(const char* name, int width, int height,
                                              int bitsPerPixel, Engine engine = Engine::Best);
  // Null when the file is missing, unreadable or its header is not sound.
  static std::unique_ptr<SequenceFile> open(const char* name, Engine engine = Engine::Best);

  // 0, or -1 on a reading handle or once a transfer of the recording failed.
  int writePicture(int pictureNumber, const void* pixels);
  // 0, or -1 for an index outside the recording or a short read.
  int readPicture(int index, void* destination);
  // Bytes of picture read (fewer near the end of the file, 0 at it), -1 on failure.
  int readNextPicture(int* pictureNumber, void* destination);
  void info(int* pictureCount, int* firstPictureNumber) const;
  // Completes a recording (last buffer, header) and closes the file; -1 when
  // any transfer of the recording failed.
  int close();

  int width() const { return header_.width; }
  int height() const { return header_.height; }
  int bitsPerPixel() const { return header_.bitsPerPixel; }
  std::int64_t picture() const { return pictureBytes_; }

 private:
  SequenceFile() = default;
  void append(const unsigned char* bytes, std::size_t n);
  void startBufferWrite(int buffer);
  void collect(int slot, std::size_t expected);
  void collectEnded();
  std::int64_t readAt(std::uint64_t offset, void* destination, std::size_t n);

  // Writing: the geometry, with count and first number filled in at close.
  // Reading: the header as the file holds it.
  nimbrix::seqfile::Header header_;
  std::int64_t pictureBytes_ = 0;
  bool writing_ = false;
  std::unique_ptr<qx::platform::AsyncFile> file_;
  std::unique_ptr<unsigned char[]> buffers_[kBufferCount];
  // Writing: records written, and the last picture number handed over.
  std::int32_t pictureCount_ = 0;
  std::int32_t lastPictureNumber_ = 0;
  // Header and record bytes taken into the ring so far.
  std::uint64_t bytesAccepted_ = 0;
  // Writing: where the next full buffer goes. Reading: just after the last read.
  std::uint64_t filePosition_ = 0;
  bool failed_ = false;
  // File offset of each slot's transfer, and the lowest offset of a failed
  // one: records from there on did not reach the file.
  std::uint64_t slotOffset_[kBufferCount] = {};
  std::uint64_t failedAt_ = UINT64_MAX;
};
