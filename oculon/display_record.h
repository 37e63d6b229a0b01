// The state of one open display that both window systems share.
#pragma once

#include <cstdint>
#include <mutex>

#include <quorlex/oculon.h>
#include "image_layout.h"

namespace qx::oculon {

// State only the window-system backend sees (window, thread, drawing
// surface); defined by the backend.
struct BackendWindow;

struct DisplayRecord {
  BackendWindow* backend = nullptr;
  // The display's own pixels, sized for the creation size and depth.
  uint8_t* imageMemory = nullptr;
  int64_t imageMemorySize = 0;
  // What is drawn and what DrawBuffer copies into: the image memory, or the
  // caller's buffer after SetBuffer.
  uint8_t* pixelSource = nullptr;
  int displayNumber = 0;
  // Area drawn: the creation size until the window is resized, then the
  // window's client size.
  int drawingWidth = 0;
  int drawingHeight = 0;
  // Size of the pictures handed over; 0 until SetBufferWidth.
  int bufferWidth = 0;
  int bufferHeight = 0;
  int bitDepth = 8;
  DisplayRecord* next = nullptr;
  OculonWindow parent{};
  // The caller's thread draws while the window thread paints and resizes:
  // this guards the pixel source contents, the sizes above and the drawing
  // surface of the backend.
  std::mutex lock;

  bool drawsOwnMemory() const { return pixelSource == imageMemory; }
  // Whether the pixel source holds a whole picture of the buffer size: never
  // before SetBufferWidth, and never beyond the display's own image memory.
  bool readyToDraw() const {
    if (pixelSource == nullptr || bufferWidth <= 0 || bufferHeight <= 0) return false;
    return !drawsOwnMemory() ||
           pictureBytes(bufferWidth, bufferHeight, bitDepth) <= imageMemorySize;
  }
};

}  // namespace qx::oculon
