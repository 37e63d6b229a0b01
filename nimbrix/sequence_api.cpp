// The sequence file exports.
#include <memory>

#include <quorlex/nimbrix.h>
#include "exported.h"
#include "sequence_file.h"

extern "C" {

NIMBRIX_API int IoCreateSeq(SequenceFile** handle, const char* fileName, int width, int height,
                            int bitsPerPixel) {
  return nimbrix::exported(-1, [&] {
    if (handle == nullptr) return -1;
    *handle = nullptr;
    *handle = SequenceFile::create(fileName, width, height, bitsPerPixel).release();
    return *handle != nullptr ? 0 : -1;
  });
}

NIMBRIX_API int IoOpenSeq(SequenceFile** handle, const char* fileName, int* width, int* height,
                          int* bitsPerPixel) {
  return nimbrix::exported(-1, [&] {
    if (handle == nullptr) return -1;
    *handle = nullptr;
    *handle = SequenceFile::open(fileName).release();
    if (*handle == nullptr) return -1;
    if (width != nullptr) *width = (*handle)->width();
    if (height != nullptr) *height = (*handle)->height();
    if (bitsPerPixel != nullptr) *bitsPerPixel = (*handle)->bitsPerPixel();
    return 0;
  });
}

NIMBRIX_API int IoWriteSeqPicture(SequenceFile* handle, int pictureNumber, void* pixels) {
  return nimbrix::exported(
      -1, [&] { return handle != nullptr ? handle->writePicture(pictureNumber, pixels) : -1; });
}

NIMBRIX_API int IoReadSeqPicture(SequenceFile* handle, int index, void* destination) {
  return nimbrix::exported(
      -1, [&] { return handle != nullptr ? handle->readPicture(index, destination) : -1; });
}

NIMBRIX_API int IoReadNextSeqPicture(SequenceFile* handle, int* pictureNumber, void* destination) {
  return nimbrix::exported(-1, [&] {
    return handle != nullptr ? handle->readNextPicture(pictureNumber, destination) : -1;
  });
}

NIMBRIX_API int IoGetSeqInfo(SequenceFile* handle, int* pictureCount, int* firstPictureNumber) {
  return nimbrix::exported(-1, [&] {
    if (handle == nullptr) return -1;
    handle->info(pictureCount, firstPictureNumber);
    return 0;
  });
}

NIMBRIX_API int IoGetPictureInfo(void) {
  return nimbrix::exported(-1, [] { return 0; });
}

NIMBRIX_API int IoCloseSeq(SequenceFile* handle) {
  return nimbrix::exported(-1, [&] {
    if (handle == nullptr) return -1;
    // The handle goes whatever happens while the recording is completed.
    const std::unique_ptr<SequenceFile> owned(handle);
    return owned->close();
  });
}

}  // extern "C"
