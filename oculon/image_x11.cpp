#include "image_x11.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "errors_x11.h"

namespace qx::oculon::x11 {

namespace {

int nativeByteOrder() {
  const uint16_t probe = 1;
  return *reinterpret_cast<const uint8_t*>(&probe) == 1 ? LSBFirst : MSBFirst;
}

struct CompletionOf {
  int type;
  ShmSeg segment;
};

Bool isCompletionOf(Display*, XEvent* event, XPointer arg) {
  const auto* wanted = reinterpret_cast<const CompletionOf*>(arg);
  return event->type == wanted->type &&
         reinterpret_cast<XShmCompletionEvent*>(event)->shmseg == wanted->segment;
}

}  // namespace

bool ImageSurface::reserve(Display* display, Visual* visual, int depth, int width, int height) {
  if (count_ > 0 && width <= width_ && height <= height_) return true;
  // Grow to cover both the old and the new area, so that alternating sizes
  // do not make new images every time.
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
  completionType_ = XShmGetEventBase(display) + ShmCompletion;
  shared_ = true;
  for (int slot = 0; slot < kShmImages; ++slot) {
    if (!createSharedImage(display, visual, depth, width, height, slot)) {
      release(display);
      return false;
    }
    count_ = slot + 1;
  }
  width_ = width;
  height_ = height;
  next_ = 0;
  return true;
}

bool ImageSurface::createSharedImage(Display* display, Visual* visual, int depth, int width,
                                     int height, int slot) {
  XShmSegmentInfo& segment = segments_[slot];
  XImage* image =
      XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment,
                      static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (image == nullptr) return false;
  if (image->bits_per_pixel != 32) {
    XDestroyImage(image);
    return false;
  }
  segment.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
  if (segment.shmid < 0) {
    XDestroyImage(image);
    return false;
  }
  segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  if (segment.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(segment.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    return false;
  }
  image->data = segment.shmaddr;
  segment.readOnly = False;
  syncAndTakeError(display);
  const bool attached = XShmAttach(display, &segment) && syncAndTakeError(display) == 0;
  // Marked for removal now: the segment goes away with its last user even if
  // the process dies.
  shmctl(segment.shmid, IPC_RMID, nullptr);
  if (!attached) {
    shmdt(segment.shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  images_[slot] = image;
  busy_[slot] = false;
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
  images_[0] = image;
  busy_[0] = false;
  count_ = 1;
  next_ = 0;
  shared_ = false;
  width_ = width;
  height_ = height;
  return true;
}

void ImageSurface::waitUntilDone(Display* display, int slot) {
  if (!busy_[slot]) return;
  CompletionOf wanted{completionType_, segments_[slot].shmseg};
  XEvent event;
  // The server answers the transfer with its completion, or with an error
  // when it failed (the window was gone), in request order: once anything as
  // late as the transfer has arrived without the completion, the image is
  // free too. Only this transfer is waited for, not the ones sent after it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!XCheckIfEvent(display, &event, isCompletionOf, reinterpret_cast<XPointer>(&wanted))) {
    if (static_cast<long>(LastKnownRequestProcessed(display) - serials_[slot]) >= 0) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd input{ConnectionNumber(display), POLLIN, 0};
    if (left.count() <= 0 || poll(&input, 1, static_cast<int>(left.count()) + 1) == 0) {
      // A server this slow is asked outright.
      XSync(display, False);
      XCheckIfEvent(display, &event, isCompletionOf, reinterpret_cast<XPointer>(&wanted));
      break;
    }
  }
  busy_[slot] = false;
}

uint8_t* ImageSurface::acquire(Display* display) {
  if (shared_) waitUntilDone(display, next_);
  return reinterpret_cast<uint8_t*>(images_[next_]->data);
}

void ImageSurface::put(Display* display, Drawable drawable, GC gc, int width, int height) {
  XImage* image = images_[next_];
  if (shared_) {
    serials_[next_] = NextRequest(display);
    XShmPutImage(display, drawable, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
                 static_cast<unsigned>(height), True);
    busy_[next_] = true;
    next_ = (next_ + 1) % count_;
  } else {
    // Xlib copies plain images into the request: the image is free at once.
    XPutImage(display, drawable, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
  }
  XFlush(display);
}

void ImageSurface::noteEvent(const XEvent& event) {
  if (!shared_ || event.type != completionType_) return;
  const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
  for (int slot = 0; slot < count_; ++slot) {
    if (segments_[slot].shmseg == done.shmseg) busy_[slot] = false;
  }
}

void ImageSurface::release(Display* display) {
  if (count_ == 0 && images_[0] == nullptr) return;
  if (shared_) {
    for (int slot = 0; slot < kShmImages; ++slot) {
      if (images_[slot] == nullptr) continue;
      waitUntilDone(display, slot);
      XShmDetach(display, &segments_[slot]);
    }
    XSync(display, False);
  }
  discard();
}

void ImageSurface::discard() {
  for (int slot = 0; slot < kShmImages; ++slot) {
    if (images_[slot] == nullptr) continue;
    if (shared_) {
      shmdt(segments_[slot].shmaddr);
      images_[slot]->data = nullptr;
    }
    XDestroyImage(images_[slot]);
    images_[slot] = nullptr;
    busy_[slot] = false;
  }
  count_ = 0;
  next_ = 0;
  shared_ = false;
  width_ = height_ = 0;
}

}  // namespace qx::oculon::x11
