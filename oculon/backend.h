// What the display logic needs from a window system. One backend is built
// per target (Win32 and GDI, or X11); its state stays behind BackendWindow.
#pragma once

#include "display_record.h"

namespace qx::oculon {

struct Backend {
  // Starts the window thread of `record`, which creates the window, the
  // image memory (record.imageMemory, at least displayMemoryBytes() of the
  // creation size, in imageMemorySize) and shows the window.
  // Waits until that is done or has failed; a failure is reported the way
  // the system reports it ("ERR"), and leaves nothing behind (the record is
  // then out of the display list).
  bool (*open)(DisplayRecord& record);
  // Destroys the window, ends the window thread and waits for it, takes the
  // record out of the display list, and releases everything open() made.
  void (*close)(DisplayRecord& record);
  // Sets the window title; may wait for the window thread.
  void (*setTitle)(DisplayRecord& record, const char* title);
  // Copies `bytes` bytes of a picture from `pixels` into the pixel source
  // (nothing when they are the same memory) and transfers the pixel source
  // to the window: bufferWidth x bufferHeight, unscaled at the top-left
  // corner, clipped to the drawing size, rows rowStride() apart. Nothing is
  // transferred unless record.readyToDraw(). Called with record.lock held.
  void (*copyAndDraw)(DisplayRecord& record, const uint8_t* pixels, int64_t bytes);
  // Outer size of the parent window, or of the screen's work area when the
  // display has none. False when it cannot be read.
  bool (*boundingSize)(DisplayRecord& record, int& width, int& height);
  // Gives the window the outer size width x height, keeping its position.
  // Nonzero on success. Called without record.lock: it may wait for the
  // window thread, which takes that lock.
  int (*resize)(DisplayRecord& record, int width, int height);
  // The window, or null once it was destroyed.
  OculonWindow (*window)(DisplayRecord& record);
};

const Backend& windowSystem();

}  // namespace qx::oculon
