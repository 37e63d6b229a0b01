// The 32-bit image that a display's pixels are converted into and sent to
// the X server from: in shared memory (MIT-SHM) when the server offers it,
// a plain client-side image otherwise.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

namespace qx::oculon::x11 {

class ImageSurface {
 public:
  ImageSurface() = default;
  ImageSurface(const ImageSurface&) = delete;
  ImageSurface& operator=(const ImageSurface&) = delete;

  // Makes the image at least width x height; false when it cannot be made.
  // Shared memory is tried once per connection (unless `allowShm` is false)
  // and given up for good when the server refuses it.
  bool reserve(Display* display, Visual* visual, int depth, int width, int height);
  void release(Display* display);

  uint8_t* data() const { return reinterpret_cast<uint8_t*>(image_->data); }
  int64_t stride() const { return image_->bytes_per_line; }
  bool usesSharedMemory() const { return shared_; }

  // Sends the top-left width x height area to `drawable` and waits until the
  // server has drawn it, so that the image may be written again.
  void put(Display* display, Drawable drawable, GC gc, int width, int height);

  bool allowShm = true;

 private:
  bool createShared(Display* display, Visual* visual, int depth, int width, int height);
  bool createPlain(Display* display, Visual* visual, int depth, int width, int height);

  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool shared_ = false;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace qx::oculon::x11
