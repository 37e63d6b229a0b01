// The platform's AVI file interface as the AVI writer uses it: one video
// stream, created with its description and format, frames written as key
// frames, the file completed at close. Video for Windows on Windows, our own
// RIFF writer elsewhere; both produce the same stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace nimbrix {

// Error codes of the AVI file interface (negative HRESULTs).
constexpr std::int32_t kAviErrorBadParam = static_cast<std::int32_t>(0x80044066);
constexpr std::int32_t kAviErrorMemory = static_cast<std::int32_t>(0x80044067);
constexpr std::int32_t kAviErrorFileWrite = static_cast<std::int32_t>(0x8004406D);
constexpr std::int32_t kAviErrorBadHandle = static_cast<std::int32_t>(0x80044072);

struct AviStreamSetup {
  int width = 0;
  int height = 0;
  std::uint32_t scale = 100;
  std::uint32_t rate = 0;  // frames per second x scale
};

class AviOutput {
 public:
  virtual ~AviOutput() = default;
  // Writes one key frame at position `index`: 0, or a negative error code.
  virtual int writeFrame(int index, const void* data, std::size_t size) = 0;
  // Completes and closes the file; false when the file could not be
  // completed (its frames may still be there, without an index).
  virtual bool close() = 0;
};

// Create the file (create-and-write), its stream, and set the stream's format
// (`format`: a bitmap info header, followed by a palette where it has one).
// Null when any step fails.
std::unique_ptr<AviOutput> createAviOutput(const char* name, const AviStreamSetup& setup,
                                           const unsigned char* format, std::size_t formatLength);
std::unique_ptr<AviOutput> createAviOutputW(const wchar_t* name, const AviStreamSetup& setup,
                                            const unsigned char* format, std::size_t formatLength);

}  // namespace nimbrix
