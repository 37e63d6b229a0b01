// AVI files through Video for Windows (avifil32).
#include <windows.h>
// after windows.h, whose types it uses
#include <vfw.h>

#include <functional>
#include <string>

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
    const HRESULT r = AVIStreamWrite(stream_, index, 1, const_cast<void*>(data),
                                     static_cast<LONG>(size), AVIIF_KEYFRAME, nullptr, nullptr);
    if (r >= 0 && index >= frames_) frames_ = index + 1;
    return static_cast<int>(r);
  }

  bool close() override {
    if (file_ == nullptr) return true;
    // Releasing the file completes it (index and sizes). Video for Windows
    // reports no failure of that, so the file is opened again: it must read
    // as a stream of every frame written.
    if (stream_ != nullptr) AVIStreamRelease(stream_);
    AVIFileRelease(file_);
    stream_ = nullptr;
    file_ = nullptr;
    PAVIFILE check = nullptr;
    if (!reopen_ || reopen_(&check) < 0 || check == nullptr) return false;
    PAVISTREAM s = nullptr;
    bool ok = AVIFileGetStream(check, &s, streamtypeVIDEO, 0) >= 0 && s != nullptr;
    if (ok) ok = AVIStreamLength(s) >= frames_;
    if (s != nullptr) AVIStreamRelease(s);
    AVIFileRelease(check);
    return ok;
  }

  PAVIFILE file_ = nullptr;
  PAVISTREAM stream_ = nullptr;
  LONG frames_ = 0;
  std::function<HRESULT(PAVIFILE*)> reopen_;
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
  if (open(&out->file_, OF_CREATE | OF_WRITE) < 0) return nullptr;
  out->reopen_ = [open](PAVIFILE* f) { return open(f, OF_READ | OF_SHARE_DENY_WRITE); };
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
  const std::string file(name);
  return create(
      [file](PAVIFILE* f, UINT mode) { return AVIFileOpenA(f, file.c_str(), mode, nullptr); },
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
  const std::wstring file(name);
  return create(
      [file](PAVIFILE* f, UINT mode) { return AVIFileOpenW(f, file.c_str(), mode, nullptr); },
      [&](PAVIFILE f, PAVISTREAM* s) {
        AVISTREAMINFOW info;
        describe(info, setup);
        return AVIFileCreateStreamW(f, s, &info);
      },
      format, formatLength);
}

}  // namespace nimbrix
