// The raw file exports.
#include <cstdio>
#include <cstdlib>

#include <quorlex/nimbrix.h>
#include "exported.h"
#include "platform/file_pieces.h"
#include "platform/wide_name.h"
#include "raw_format.h"

namespace {

int writeRaw(std::FILE* f, const void* data, int width, int height, int length) {
  if (f == nullptr) return -1;
  bool ok = std::fprintf(f, "%d,%d,%d\n", width, height, length) > 0;
  if (ok && length > 0)
    ok = std::fwrite(data, 1, static_cast<std::size_t>(length), f) ==
         static_cast<std::size_t>(length);
  const bool closed = std::fclose(f) == 0;
  return ok && closed ? 0 : -1;
}

bool rawWritable(const void* data, int length) {
  return length >= 0 && (data != nullptr || length == 0);
}

}  // namespace

extern "C" {

NIMBRIX_API int IoWriteRaw(const char* fileName, void* data, int width, int height, int length) {
  return nimbrix::exported(-1, [&] {
    if (fileName == nullptr || !rawWritable(data, length)) return -1;
    return writeRaw(std::fopen(fileName, "wb"), data, width, height, length);
  });
}

NIMBRIX_API int IoWriteRawW(const wchar_t* fileName, void* data, int width, int height,
                            int length) {
  return nimbrix::exported(-1, [&] {
    if (!rawWritable(data, length)) return -1;
    return writeRaw(qx::platform::openFileWide(fileName, "wb"), data, width, height, length);
  });
}

NIMBRIX_API int IoReadRaw(const char* fileName, void** data, int* width, int* height, int* third) {
  return nimbrix::exported(-1, [&] {
    if (fileName == nullptr || data == nullptr) return -1;
    const nimbrix::Stream f(std::fopen(fileName, "rb"));
    if (!f) return -1;
    unsigned char line[nimbrix::kRawHeaderMax];
    const std::size_t got = std::fread(line, 1, sizeof line, f.get());
    const nimbrix::RawHeader h = nimbrix::parseRawHeader(line, got);
    // The data must be in the file before a block is allocated for them.
    const std::int64_t end = h.lineLength != 0 ? qx::platform::streamLength(f.get()) : -1;
    if (end < static_cast<std::int64_t>(h.lineLength) ||
        h.dataLength > static_cast<std::uint64_t>(end) - h.lineLength ||
        !qx::platform::seekStream(f.get(), h.lineLength))
      return -1;
    const std::size_t n = static_cast<std::size_t>(h.dataLength);
    nimbrix::Block<void> block(std::malloc(n == 0 ? 1 : n));
    if (!block || std::fread(block.get(), 1, n, f.get()) != n) return -1;
    *data = block.release();
    if (width != nullptr) *width = h.width;
    if (height != nullptr) *height = h.height;
    if (third != nullptr) *third = h.third;
    return 0;
  });
}

NIMBRIX_API int IoFreeRaw(void* data) {
  return nimbrix::exported(-1, [&] {
    std::free(data);
    return 0;
  });
}

}  // extern "C"
