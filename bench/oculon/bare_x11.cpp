#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>

#include "bare_transfer.h"

namespace {

class ShmTransfer : public BareTransfer {
 public:
  ~ShmTransfer() override {
    if (image_ != nullptr) {
      XShmDetach(display_, &segment_);
      XSync(display_, False);
      shmdt(segment_.shmaddr);
      image_->data = nullptr;
      XDestroyImage(image_);
    }
    if (gc_ != nullptr) XFreeGC(display_, gc_);
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  bool open(Window window, int bitDepth, int width, int height, const uint8_t* picture) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr || !XShmQueryExtension(display_)) return false;
    window_ = window;
    // The area DrawBuffer draws: the picture, clipped to the window.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return false;
    width_ = std::min(width, attributes.width);
    height_ = std::min(height, attributes.height);
    const int screen = DefaultScreen(display_);
    image_ =
        XShmCreateImage(display_, DefaultVisual(display_, screen),
                        static_cast<unsigned>(DefaultDepth(display_, screen)), ZPixmap, nullptr,
                        &segment_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image_ == nullptr || image_->bits_per_pixel != 32) return false;
    segment_.shmid =
        shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * height, IPC_CREAT | 0600);
    segment_.shmaddr = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
    image_->data = segment_.shmaddr;
    segment_.readOnly = False;
    XShmAttach(display_, &segment_);
    XSync(display_, False);
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    // The picture in the screen's own pixels, converted once beforehand.
    for (int y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(image_->data + y * image_->bytes_per_line);
      for (int x = 0; x < width; ++x) {
        const size_t i = static_cast<size_t>(y) * width + x;
        row[x] = bitDepth == 8 ? picture[i] * 0x010101u
                               : picture[3 * i] | picture[3 * i + 1] << 8 |
                                     static_cast<uint32_t>(picture[3 * i + 2]) << 16;
      }
    }
    gc_ = XCreateGC(display_, window, 0, nullptr);
    return true;
  }

  void transfer() override {
    XShmPutImage(display_, window_, gc_, image_, 0, 0, 0, 0, static_cast<unsigned>(width_),
                 static_cast<unsigned>(height_), False);
    XSync(display_, False);
  }

 private:
  Display* display_ = nullptr;
  Window window_ = 0;
  GC gc_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  int width_ = 0;
  int height_ = 0;
};

}  // namespace

const char* BareTransfer::name() {
  return "XShmPutImage";
}

std::unique_ptr<BareTransfer> BareTransfer::open(OculonWindow window, int bitDepth, int width,
                                                 int height, const uint8_t* picture) {
  auto transfer = std::make_unique<ShmTransfer>();
  if (!transfer->open(window, bitDepth, width, height, picture)) return nullptr;
  return transfer;
}
