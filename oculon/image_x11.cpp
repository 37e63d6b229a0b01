#include "image_x11.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>

#include "errors_x11.h"

namespace qx::oculon::x11 {

namespace {

int nativeByteOrder() {
  const uint16_t probe = 1;
  return *reinterpret_cast<const uint8_t*>(&probe) == 1 ? LSBFirst : MSBFirst;
}

}  // namespace

bool ImageSurface::reserve(Display* display, Visual* visual, int depth, int width, int height) {
  if (image_ != nullptr && width <= width_ && height <= height_) return true;
  // Grow to cover both the old and the new area, so that alternating sizes
  // do not make a new image every time.
  const int w = std::max(width, width_);
  const int h = std::max(height, height_);
  release(display);
  if (allowShm && createShared(display, visual, depth, w, h)) return true;
  allowShm = false;
  return createPlain(display, visual, depth, w, h);
}

bool ImageSurface::createShared(Display* display, Visual* visual, int depth, int width,
                                int height) {
  // Shared memory only helps a server on this machine, which then has our
  // byte order; anything else goes through plain images.
  if (!XShmQueryExtension(display) || ImageByteOrder(display) != nativeByteOrder()) return false;
  XImage* image =
      XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment_,
                      static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (image == nullptr) return false;
  if (image->bits_per_pixel != 32) {
    XDestroyImage(image);
    return false;
  }
  segment_.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
  if (segment_.shmid < 0) {
    XDestroyImage(image);
    return false;
  }
  segment_.shmaddr = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
  if (segment_.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    return false;
  }
  image->data = segment_.shmaddr;
  segment_.readOnly = False;
  syncAndTakeError(display);
  const bool attached = XShmAttach(display, &segment_) && syncAndTakeError(display) == 0;
  // Marked for removal now: the segment goes away with its last user even if
  // the process dies.
  shmctl(segment_.shmid, IPC_RMID, nullptr);
  if (!attached) {
    shmdt(segment_.shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  image_ = image;
  shared_ = true;
  width_ = width;
  height_ = height;
  return true;
}

bool ImageSurface::createPlain(Display* display, Visual* visual, int depth, int width, int height) {
  XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
  if (image == nullptr) return false;
  if (image->bits_per_pixel != 32) {
    XDestroyImage(image);
    return false;
  }
  image->data =
      static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * height));
  if (image->data == nullptr) {
    XDestroyImage(image);
    return false;
  }
  // Pixels are written in our byte order; Xlib swaps them for the server.
  image->byte_order = nativeByteOrder();
  image_ = image;
  shared_ = false;
  width_ = width;
  height_ = height;
  return true;
}

void ImageSurface::release(Display* display) {
  if (image_ == nullptr) return;
  if (shared_) {
    XShmDetach(display, &segment_);
    XSync(display, False);
    shmdt(segment_.shmaddr);
    image_->data = nullptr;
  }
  XDestroyImage(image_);
  image_ = nullptr;
  shared_ = false;
  width_ = height_ = 0;
}

void ImageSurface::put(Display* display, Drawable drawable, GC gc, int width, int height) {
  if (shared_) {
    XShmPutImage(display, drawable, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width),
                 static_cast<unsigned>(height), False);
  } else {
    XPutImage(display, drawable, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
  }
  XSync(display, False);
}

}  // namespace qx::oculon::x11
