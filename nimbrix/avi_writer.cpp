#include "avi_writer.h"

#include <cstring>

#include "le_bytes.h"

bool AviWriter::prepare(int w, int h, int bits, double framesPerSecond) {
  width = w;
  height = h;
  bitsPerPixel = bits;
  // The rate is kept to hundredths of a frame per second, truncated; a rate
  // that truncates to nothing would describe a stream that never advances.
  const double rate = framesPerSecond * 100.0;
  if (!(rate >= 1.0) || rate >= 4294967296.0 || w <= 0 || h <= 0) return false;
  // A frame (and the format's padded image size) must fit the format's
  // 32-bit fields.
  const std::uint64_t padded = (3ull * w + 3) / 4 * 4 * static_cast<std::uint64_t>(h);
  if (padded > 0x7FFFFFFFu) return false;

  std::memset(format, 0, sizeof format);
  nimbrix::putLe32(format + 0, 40);
  nimbrix::putLe32(format + 4, static_cast<std::uint32_t>(w));
  nimbrix::putLe32(format + 8, static_cast<std::uint32_t>(h));
  nimbrix::putLe16(format + 12, 1);
  nimbrix::putLe16(format + 14, static_cast<std::uint32_t>(bits));
  const std::uint64_t image = bits == 8 ? static_cast<std::uint64_t>(w) * h : padded;
  nimbrix::putLe32(format + 20, static_cast<std::uint32_t>(image));
  nimbrix::putLe32(format + 24, 100);
  nimbrix::putLe32(format + 28, 100);
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {
      unsigned char* entry = format + 40 + 4 * i;
      entry[0] = entry[1] = entry[2] = static_cast<unsigned char>(i);
    }
    formatLength = kFormatSize;
  } else {
    formatLength = 40;
  }
  setup.width = w;
  setup.height = h;
  setup.scale = 100;
  setup.rate = static_cast<std::uint32_t>(rate);
  return true;
}

std::size_t AviWriter::frameSize() const {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
         static_cast<std::size_t>(bitsPerPixel / 8);
}

int AviWriter::writeFrame(int index, const void* frame) {
  if (!output) return nimbrix::kAviErrorBadHandle;
  // Frames go forward: a position already written (or passed over) is
  // refused on every system, whatever the platform's AVI library would make
  // of it.
  if (frame == nullptr || index < nextIndex) return nimbrix::kAviErrorBadParam;
  const int result = output->writeFrame(index, frame, frameSize());
  if (result == 0) nextIndex = index + 1;
  return result;
}

int AviWriter::close() {
  const bool ok = !output || output->close();
  output.reset();
  return ok ? 0 : -1;
}
