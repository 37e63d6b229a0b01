// The exported functions: the slot table, numbering and picture copies are
// the same on every system; windows and drawing go to the backend. Each runs
// its body through the boundary guard: an exception (a failed allocation)
// becomes the function's failure result.
#include <climits>
#include <new>

#include "platform/boundary.h"

#include <quorlex/oculon.h>
#include "backend.h"
#include "display_table.h"
#include "image_layout.h"
#include "title.h"

using qx::oculon::DisplayRecord;
using qx::oculon::DisplayTable;
using qx::oculon::windowSystem;
using qx::platform::guarded;

namespace {

// Window sizes beyond this are refused rather than handed to the system.
constexpr int kMaxWindowSide = 32767;

int createDisplay(int bitDepth, int width, int height, OculonWindow parent) {
  using namespace qx::oculon;
  if (!isSupportedDepth(bitDepth) || width < 1 || height < 1 || width > kMaxWindowSide ||
      height > kMaxWindowSide || displayMemoryBytes(width, height, bitDepth) > INT_MAX) {
    return -1;
  }
  DisplayTable& table = DisplayTable::instance();
  const int slot = table.freeSlot();
  if (slot < 0) return -1;

  DisplayRecord* record = new (std::nothrow) DisplayRecord;
  if (record == nullptr) return -1;
  // The number counts the displays open now, not the slot: after a close a
  // new display may share its number with one still open.
  record->displayNumber = table.openCount();
  record->bitDepth = bitDepth;
  record->drawingWidth = width;
  record->drawingHeight = height;
  record->parent = parent;
  table.pushToList(record);
  bool opened = false;
  try {
    opened = windowSystem().open(*record);
  } catch (...) {
    opened = false;
  }
  if (!opened) {
    table.removeFromList(record);
    delete record;
    return -1;
  }
  {
    std::lock_guard<std::mutex> guard(record->lock);
    record->pixelSource = record->imageMemory;
  }
  table.occupy(slot, record);
  return slot;
}

DisplayRecord* recordAt(int index) {
  return DisplayTable::instance().at(index);
}

int setDisplayWidth(int index, int width, int height) {
  DisplayRecord* record = recordAt(index);
  if (record == nullptr) return -1;
  if (width < 1 || height < 1) return 0;
  int boundWidth = 0;
  int boundHeight = 0;
  if (!windowSystem().boundingSize(*record, boundWidth, boundHeight)) return 0;
  // Each direction is clamped on its own; a tiny parent still leaves a
  // window of one pixel.
  if (width > boundWidth - 16) width = boundWidth - 16 > 0 ? boundWidth - 16 : 1;
  if (height > boundHeight - 16) height = boundHeight - 16 > 0 ? boundHeight - 16 : 1;
  {
    std::lock_guard<std::mutex> guard(record->lock);
    record->drawingWidth = width;
    record->drawingHeight = height;
  }
  return windowSystem().resize(*record, width, height);
}

int setBufferWidth(int index, int width, int height) {
  DisplayRecord* record = recordAt(index);
  if (record == nullptr) return -1;
  if (width < 0 || height < 0 ||
      qx::oculon::pictureBytes(width, height, record->bitDepth) > INT_MAX) {
    return -1;
  }
  std::lock_guard<std::mutex> guard(record->lock);
  record->bufferWidth = width;
  record->bufferHeight = height;
  return width;
}

int setBuffer(int index, void* buffer) {
  DisplayRecord* record = recordAt(index);
  if (record == nullptr || buffer == nullptr) return -1;
  std::lock_guard<std::mutex> guard(record->lock);
  record->pixelSource = static_cast<uint8_t*>(buffer);
  return 1;
}

int drawBuffer(int index, const void* pixels, int number, const char* text) {
  DisplayRecord* record = recordAt(index);
  if (record == nullptr || pixels == nullptr) return -1;
  // The display's own memory is sized for the creation size: a larger
  // picture would be copied past its end.
  const auto fits = [record](int64_t bytes) {
    return !record->drawsOwnMemory() || bytes <= record->imageMemorySize;
  };
  {
    std::lock_guard<std::mutex> guard(record->lock);
    if (!fits(
            qx::oculon::pictureBytes(record->bufferWidth, record->bufferHeight, record->bitDepth)))
      return -1;
  }
  // The title goes first: setting it may wait for the window thread, which
  // must not find the record locked by us while it paints.
  windowSystem().setTitle(*record,
                          qx::oculon::pictureTitle(record->displayNumber, number, text).c_str());
  // What is copied and what is drawn come from one look at the sizes: a
  // SetBufferWidth from another thread comes before or after, never between.
  std::lock_guard<std::mutex> guard(record->lock);
  const int64_t bytes =
      qx::oculon::pictureBytes(record->bufferWidth, record->bufferHeight, record->bitDepth);
  if (!fits(bytes)) return -1;
  windowSystem().copyAndDraw(*record, static_cast<const uint8_t*>(pixels), bytes);
  return 0;
}

int closeDisplay(int index) {
  DisplayRecord* record = recordAt(index);
  if (record == nullptr) return -1;
  DisplayTable& table = DisplayTable::instance();
  // The backend takes the record out of the list once the window thread,
  // which finds its record there, has ended, and before it frees the
  // window state that other window threads read through the list.
  windowSystem().close(*record);
  table.removeFromList(record);
  const int open = table.release(index);
  delete record;
  return open;
}

OculonWindow windowHandle(int index) {
  DisplayRecord* record = recordAt(index);
  if (record == nullptr) return OculonWindow{};
  return windowSystem().window(*record);
}

}  // namespace

// The failure results are those the functions give for an index that names
// no open display: -1, except SetDisplayWidth (0: not resized) and
// GetWindowHandle (null).
extern "C" {

OC_API int CreateDisplay(int bitDepth, int width, int height) {
  return guarded([&] { return createDisplay(bitDepth, width, height, OculonWindow{}); }, -1);
}

OC_API int CreateDisplayEx(int bitDepth, int width, int height, OculonWindow parent) {
  return guarded([&] { return createDisplay(bitDepth, width, height, parent); }, -1);
}

OC_API int SetDisplayWidth(int index, int width, int height) {
  return guarded([&] { return setDisplayWidth(index, width, height); }, 0);
}

OC_API int SetBufferWidth(int index, int width, int height) {
  return guarded([&] { return setBufferWidth(index, width, height); }, -1);
}

OC_API int SetBuffer(int index, void* buffer) {
  return guarded([&] { return setBuffer(index, buffer); }, -1);
}

OC_API int DrawBuffer(int index, const void* pixels, int number, const char* text) {
  return guarded([&] { return drawBuffer(index, pixels, number, text); }, -1);
}

OC_API int CloseDisplay(int index) {
  return guarded([&] { return closeDisplay(index); }, -1);
}

OC_API OculonWindow GetWindowHandle(int index) {
  return guarded([&] { return windowHandle(index); }, OculonWindow{});
}

}  // extern "C"
