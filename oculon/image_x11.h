// The 32-bit images that a display's pixels are converted into and sent to
// the X server from: in shared memory (MIT-SHM) when the server offers it,
// plain client-side images otherwise.
//
// With shared memory there are two images: while the server copies one to
// the window, the next picture is converted into the other. An image is
// written again only after the server reported it done (ShmCompletion) or
// refused (an error).
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

  // Makes the images at least width x height; false when they cannot be
  // made. Shared memory is tried once per connection (unless `allowShm` is
  // false) and given up for good when the server refuses it.
  bool reserve(Display* display, Visual* visual, int depth, int width, int height);
  // Waits until the server is done with every image, and frees them.
  void release(Display* display);
  // Frees the images without a word to the server: for a lost connection.
  void discard();

  // The image to write the next picture into, once the server is done with
  // it.
  uint8_t* acquire(Display* display);
  int64_t stride() const { return images_[next_]->bytes_per_line; }
  // Sends the top-left width x height area of the acquired image to
  // `drawable`; the request is on its way to the server when this returns.
  void put(Display* display, Drawable drawable, GC gc, int width, int height);

  // Takes note of a completion that someone else's event loop received.
  void noteEvent(const XEvent& event);

  bool usesSharedMemory() const { return shared_; }
  bool allowShm = true;

 private:
  static constexpr int kShmImages = 2;
  bool createShared(Display* display, Visual* visual, int depth, int width, int height);
  bool createSharedImage(Display* display, Visual* visual, int depth, int width, int height,
                         int slot);
  bool createPlain(Display* display, Visual* visual, int depth, int width, int height);
  void waitUntilDone(Display* display, int slot);

  XImage* images_[kShmImages] = {};
  XShmSegmentInfo segments_[kShmImages] = {};
  bool busy_[kShmImages] = {};
  unsigned long serials_[kShmImages] = {};  // of each image's last transfer
  int count_ = 0;
  int next_ = 0;
  int completionType_ = -1;
  bool shared_ = false;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace qx::oculon::x11
