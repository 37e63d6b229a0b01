// The AVI exports, and the conversion of a sequence recording into an AVI.
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include <quorlex/nimbrix.h>
#include "avi_writer.h"
#include "exported.h"
#include "sequence_file.h"

namespace {

// A handle is stored even when the create fails, so that the caller can
// always pass it to IoCloseAVI; nothing is written through a failed one.
template <typename Create>
int createAvi(AviWriter** handle, int width, int height, int bits, double framesPerSecond,
              Create create) {
  if (handle == nullptr) return -1;
  AviWriter* writer = new (std::nothrow) AviWriter;
  *handle = writer;
  if (writer == nullptr) return -1;
  if (!writer->prepare(width, height, bits, framesPerSecond)) return -1;
  writer->output = create(writer->setup, writer->format, writer->formatLength);
  return writer->output ? 0 : -1;
}

}  // namespace

extern "C" {

NIMBRIX_API int IoCreateAVIGray(AviWriter** handle, const char* fileName, int width, int height,
                                double framesPerSecond) {
  return nimbrix::exported(-1, [&] {
    return createAvi(handle, width, height, 8, framesPerSecond, [&](auto& s, auto* f, auto n) {
      return nimbrix::createAviOutput(fileName, s, f, n);
    });
  });
}

NIMBRIX_API int IoCreateAVIGrayW(AviWriter** handle, const wchar_t* fileName, int width, int height,
                                 double framesPerSecond) {
  return nimbrix::exported(-1, [&] {
    return createAvi(handle, width, height, 8, framesPerSecond, [&](auto& s, auto* f, auto n) {
      return nimbrix::createAviOutputW(fileName, s, f, n);
    });
  });
}

NIMBRIX_API int IoCreateAVIColor(AviWriter** handle, const char* fileName, int width, int height,
                                 double framesPerSecond) {
  return nimbrix::exported(-1, [&] {
    return createAvi(handle, width, height, 24, framesPerSecond, [&](auto& s, auto* f, auto n) {
      return nimbrix::createAviOutput(fileName, s, f, n);
    });
  });
}

NIMBRIX_API int IoCreateAVIColorW(AviWriter** handle, const wchar_t* fileName, int width,
                                  int height, double framesPerSecond) {
  return nimbrix::exported(-1, [&] {
    return createAvi(handle, width, height, 24, framesPerSecond, [&](auto& s, auto* f, auto n) {
      return nimbrix::createAviOutputW(fileName, s, f, n);
    });
  });
}

NIMBRIX_API int IoWriteAVIPicture(AviWriter* handle, int frameIndex, void* frame) {
  return nimbrix::exported(nimbrix::kAviErrorMemory, [&] {
    if (handle == nullptr) return nimbrix::kAviErrorBadHandle;
    return handle->writeFrame(frameIndex, frame);
  });
}

NIMBRIX_API int IoCloseAVI(AviWriter* handle) {
  return nimbrix::exported(-1, [&] {
    if (handle == nullptr) return 0;
    // The handle goes whatever happens while the file is completed.
    const std::unique_ptr<AviWriter> owned(handle);
    return owned->close();
  });
}

NIMBRIX_API int IoSeqCreateAvi(SequenceFile* sequence, const char* fileName, int first, int end) {
  return nimbrix::exported(-1, [&] {
    if (sequence == nullptr) return -1;
    // A picture that cannot be allocated fails the conversion before any
    // file exists.
    std::vector<unsigned char> picture(static_cast<std::size_t>(sequence->picture()));
    // A conversion that fails leaves no file of its own behind.
    std::FILE* before = fileName != nullptr ? std::fopen(fileName, "rb") : nullptr;
    const bool existed = before != nullptr;
    if (before != nullptr) std::fclose(before);
    AviWriter* avi = nullptr;
    if (IoCreateAVIGray(&avi, fileName, sequence->width(), sequence->height(), 10.0) != 0) {
      IoCloseAVI(avi);
      // A file that was there before is not ours to remove.
      if (!existed && fileName != nullptr) std::remove(fileName);
      return -1;
    }
    // Record `first`, then the records after it in file order: max(1, end -
    // first) frames, each the first width x height bytes of its picture.
    int count = 0;
    sequence->info(&count, nullptr);
    bool ok = sequence->readPicture(first, picture.data()) == 0 &&
              IoWriteAVIPicture(avi, 0, picture.data()) == 0;
    for (int i = 1; ok && i < end - first; ++i) {
      int number = 0;
      // Records past the recording hold only filler: a failed read.
      ok = first + i < count &&
           sequence->readNextPicture(&number, picture.data()) == sequence->picture();
      if (!ok) break;
      std::printf("picnr %d\n", number);
      ok = IoWriteAVIPicture(avi, i, picture.data()) == 0;
    }
    std::fflush(stdout);
    if (IoCloseAVI(avi) != 0) ok = false;
    if (!ok) std::remove(fileName);
    return ok ? 0 : -1;
  });
}

}  // extern "C"
