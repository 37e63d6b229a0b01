// The record behind a sequence handle: a recording of many pictures of one
// size, written through a ring of large buffers whose writes run while the
// caller hands over the next pictures, and read back by index or in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/async_file.h"

struct SequenceFile {
  static constexpr std::size_t kHeaderSize = 40;
  static constexpr std::size_t kRecordHeaderSize = 24;
  static constexpr std::size_t kBufferSize = 4000000;
  static constexpr int kBufferCount = 4;
  static constexpr int kWriting = 4;
  using Engine = qx::platform::AsyncFile::Engine;

  // Picture size in bytes for a depth: whole bytes per pixel. -1 when the
  // sizes are not positive or the picture would not fit an int.
  static std::int64_t pictureSize(int width, int height, int bitsPerPixel);

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

  int width() const;
  int height() const;
  int bitsPerPixel() const;
  std::int64_t picture() const { return pictureBytes; }

  unsigned char header[kHeaderSize] = {};
  std::int32_t pictureCount = 0;
  std::int32_t lastPictureNumber = 0;
  std::unique_ptr<qx::platform::AsyncFile> file;
  std::int64_t transfersStarted = 0;
  std::size_t bufferSize = kBufferSize;
  int bufferCount = kBufferCount;
  std::unique_ptr<std::unique_ptr<unsigned char[]>[]> buffers;
  std::uint64_t bytesAccepted = 0;
  std::uint64_t filePosition = 0;
  int mode = 0;

 private:
  void append(const unsigned char* bytes, std::size_t n);
  void startBufferWrite(int buffer);
  void collect(int slot, std::size_t expected);
  void collectEnded();
  std::int64_t readAt(std::uint64_t offset, void* destination, std::size_t n);

  std::int64_t pictureBytes = 0;
  bool failed = false;
  // File offset of each slot's transfer, and the lowest offset of a failed
  // one: records from there on did not reach the file.
  std::uint64_t slotOffset[kBufferCount] = {};
  std::uint64_t failedAt = UINT64_MAX;
};
