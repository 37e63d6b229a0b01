#include <windows.h>

#include <algorithm>
#include <vector>

#include "bare_transfer.h"

namespace {

class DibTransfer : public BareTransfer {
 public:
  ~DibTransfer() override {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }

  bool open(HWND window, int bitDepth, int width, int height, const uint8_t* picture) {
    window_ = window;
    dc_ = GetDC(window);
    if (dc_ == nullptr) return false;
    header_.resize(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(header_.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = -height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bitDepth);
    info->bmiHeader.biCompression = BI_RGB;
    for (int i = 0; i < 256; ++i) {
      info->bmiColors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    }
    // The area DrawBuffer draws: the picture, clipped to the client area.
    RECT client;
    if (!GetClientRect(window, &client)) return false;
    width_ = std::min<int>(width, client.right);
    height_ = std::min<int>(height, client.bottom);
    picture_ = picture;
    return true;
  }

  void transfer() override {
    SetDIBitsToDevice(dc_, 0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                      static_cast<UINT>(height_), picture_,
                      reinterpret_cast<BITMAPINFO*>(header_.data()), DIB_RGB_COLORS);
    GdiFlush();
  }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  std::vector<uint8_t> header_;
  const uint8_t* picture_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace

const char* BareTransfer::name() {
  return "SetDIBitsToDevice";
}

std::unique_ptr<BareTransfer> BareTransfer::open(OculonWindow window, int bitDepth, int width,
                                                 int height, const uint8_t* picture) {
  auto transfer = std::make_unique<DibTransfer>();
  if (!transfer->open(window, bitDepth, width, height, picture)) return nullptr;
  return transfer;
}
