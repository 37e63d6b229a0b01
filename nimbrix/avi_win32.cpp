// AVI files through Video for Windows (avifil32).
#include <windows.h>
// after windows.h, whose types it uses
#include <vfw.h>

#include "avi_output.h"

namespace nimbrix {
namespace {

class VfwOutput final : public AviOutput {
 public:
  VfwOutput() { AVIFileInit(); }
  ~VfwOutput() override {
    close();
    AVIFileExit();
  }

  int writeFrame(int index, const void* data, std::size_t size) override {
    if (stream_ == nullptr) return kAviErrorBadHandle;
    return static_cast<int>(AVIStreamWrite(stream_, index, 1, const_cast<void*>(data),
                                           static_cast<LONG>(size), AVIIF_KEYFRAME, nullptr,
                                           nullptr));
  }

  void close() override {
    // Releasing the file completes it.
    if (stream_ != nullptr) AVIStreamRelease(stream_);
    if (file_ != nullptr) AVIFileRelease(file_);
    stream_ = nullptr;
    file_ = nullptr;
  }

  PAVIFILE file_ = nullptr;
  PAVISTREAM stream_ = nullptr;
};

template <typename Info>
void describe(Info& info, const AviStreamSetup& setup) {
  ZeroMemory(&info, sizeof info);
  info.fccType = streamtypeVIDEO;
  info.fccHandler = 0;
  info.dwScale = setup.scale;
  info.dwRate = setup.rate;
  info.dwSuggestedBufferSize = 0;
  SetRect(&info.rcFrame, 0, 0, setup.width, setup.height);
}

template <typename Open, typename CreateStream>
std::unique_ptr<AviOutput> create(Open open, CreateStream createStream, const unsigned char* format,
                                  std::size_t formatLength) {
  auto out = std::make_unique<VfwOutput>();
  if (open(&out->file_) < 0) return nullptr;
  if (createStream(out->file_, &out->stream_) < 0) return nullptr;
  if (AVIStreamSetFormat(out->stream_, 0, const_cast<unsigned char*>(format),
                         static_cast<LONG>(formatLength)) < 0)
    return nullptr;
  return out;
}

}  // namespace

std::unique_ptr<AviOutput> createAviOutput(const char* name, const AviStreamSetup& setup,
                                           const unsigned char* format, std::size_t formatLength) {
  if (name == nullptr) return nullptr;
  return create([&](PAVIFILE* f) { return AVIFileOpenA(f, name, OF_CREATE | OF_WRITE, nullptr); },
                [&](PAVIFILE f, PAVISTREAM* s) {
                  AVISTREAMINFOA info;
                  describe(info, setup);
                  return AVIFileCreateStreamA(f, s, &info);
                },
                format, formatLength);
}

std::unique_ptr<AviOutput> createAviOutputW(const wchar_t* name, const AviStreamSetup& setup,
                                            const unsigned char* format, std::size_t formatLength) {
  if (name == nullptr) return nullptr;
  return create([&](PAVIFILE* f) { return AVIFileOpenW(f, name, OF_CREATE | OF_WRITE, nullptr); },
                [&](PAVIFILE f, PAVISTREAM* s) {
                  AVISTREAMINFOW info;
                  describe(info, setup);
                  return AVIFileCreateStreamW(f, s, &info);
                },
                format, formatLength);
}

}  // namespace nimbrix
