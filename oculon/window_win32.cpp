// Win32 backend: every display has a window class of its own, a window
// thread that creates the window and runs its message loop, and a
// device-independent bitmap header that pictures are drawn through with
// SetDIBitsToDevice, from the caller's thread as well as on repaint.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backend.h"
#include "display_table.h"
#include "platform/boundary.h"
#include "title.h"

namespace qx::oculon {

struct BackendWindow {
  // 40-byte header and 256 colour entries, as the grey ramp needs.
  BITMAPINFO* header = nullptr;
  HBITMAP bitmap = nullptr;
  HDC deviceContext = nullptr;  // guarded by the record's lock
  char className[16] = {};
  DWORD threadId = 0;
  HANDLE thread = nullptr;
  // Read by other window threads searching the display list.
  std::atomic<HWND> window{nullptr};
  HINSTANCE instance = nullptr;
  HANDLE ready = nullptr;
  bool failed = false;
};

namespace {

constexpr WORD kMenuResource = 103;

DisplayRecord* recordOfWindow(HWND window) {
  return DisplayTable::instance().find([window](DisplayRecord& r) {
    return r.backend != nullptr && r.backend->window.load() == window;
  });
}

void buildHeader(DisplayRecord& record) {
  BITMAPINFO* header = record.backend->header;
  BITMAPINFOHEADER& h = header->bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = record.drawingWidth;
  h.biHeight = record.drawingHeight;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(record.bitDepth);
  h.biCompression = BI_RGB;
  h.biSizeImage =
      static_cast<DWORD>(pictureBytes(record.drawingWidth, record.drawingHeight, record.bitDepth));
  if (record.bitDepth == 8) {
    for (int i = 0; i < 256; ++i) {
      const BYTE level = static_cast<BYTE>(i);
      header->bmiColors[i] = RGBQUAD{level, level, level, 0};
    }
  }
}

// Called with the record's lock held.
void drawLocked(DisplayRecord& record) {
  BackendWindow& b = *record.backend;
  if (b.deviceContext == nullptr || !record.readyToDraw()) return;
  BITMAPINFOHEADER& h = b.header->bmiHeader;
  h.biWidth = record.bufferWidth;
  // Negative: the first row of the buffer is the top row.
  h.biHeight = -record.bufferHeight;
  h.biSizeImage =
      static_cast<DWORD>(pictureBytes(record.bufferWidth, record.bufferHeight, record.bitDepth));
  const int width = std::min(record.drawingWidth, record.bufferWidth);
  const int height = std::min(record.drawingHeight, record.bufferHeight);
  if (width <= 0 || height <= 0) return;
  // The source origin counts from the bitmap's bottom row, also for a
  // top-down bitmap: the top rows of a picture taller than the window start
  // this many rows above it.
  const int fromBottom = record.bufferHeight - height;
  SetDIBitsToDevice(b.deviceContext, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0,
                    fromBottom, 0, static_cast<UINT>(record.bufferHeight), record.pixelSource,
                    b.header, DIB_RGB_COLORS);
}

LRESULT onCreate(HWND window, DisplayRecord& record) {
  BackendWindow& b = *record.backend;
  std::lock_guard<std::mutex> guard(record.lock);
  b.window = window;
  b.deviceContext = GetDC(window);
  buildHeader(record);
  // A picture of the creation size is copied in whole groups of 8 pixels a
  // row, which can be more than the bitmap's own rows hold: the bitmap gets
  // as many more rows as that takes.
  const int64_t stride = rowStride(record.drawingWidth, record.bitDepth);
  const int64_t rows =
      (displayMemoryBytes(record.drawingWidth, record.drawingHeight, record.bitDepth) + stride -
       1) /
      stride;
  b.header->bmiHeader.biHeight = static_cast<LONG>(rows);
  void* bits = nullptr;
  b.bitmap = CreateDIBSection(b.deviceContext, b.header, DIB_RGB_COLORS, &bits, nullptr, 0);
  b.header->bmiHeader.biHeight = record.drawingHeight;
  if (b.bitmap == nullptr || b.deviceContext == nullptr) {
    // Refusing the creation makes CreateWindowEx fail: reported as such.
    if (b.deviceContext != nullptr) ReleaseDC(window, b.deviceContext);
    b.deviceContext = nullptr;
    b.window = nullptr;
    return -1;
  }
  record.imageMemory = static_cast<uint8_t*>(bits);
  record.imageMemorySize = rows * stride;
  return 0;
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    return onCreate(window, *static_cast<DisplayRecord*>(create->lpCreateParams));
  }
  DisplayRecord* record = recordOfWindow(window);
  if (record == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_SIZE: {
      std::lock_guard<std::mutex> guard(record->lock);
      record->drawingWidth = LOWORD(lParam);
      record->drawingHeight = HIWORD(lParam);
      break;
    }
    case WM_PAINT: {
      // Between BeginPaint and EndPaint the window's own context is clipped
      // to the area to repaint: the caller must not draw a picture with it
      // meanwhile.
      std::lock_guard<std::mutex> guard(record->lock);
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      drawLocked(*record);
      EndPaint(window, &paint);
      break;
    }
    case WM_DESTROY: {
      // Also when the user closes the window: the display stays open until
      // CloseDisplay, drawing nowhere.
      std::lock_guard<std::mutex> guard(record->lock);
      BackendWindow& b = *record->backend;
      if (b.deviceContext != nullptr) ReleaseDC(window, b.deviceContext);
      b.deviceContext = nullptr;
      b.window = nullptr;
      break;
    }
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The system calls this: no exception may reach it. A failure refuses the
// window's creation, and is otherwise taken as handled.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return platform::guarded([&] { return handleMessage(window, message, wParam, lParam); },
                           message == WM_CREATE ? LRESULT{-1} : LRESULT{0});
}

bool createWindow(DisplayRecord& record) {
  BackendWindow& b = *record.backend;
  std::snprintf(b.className, sizeof b.className, "%x",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(&record)));
  WNDCLASSA windowClass{};
  // The display keeps its device context for the window's whole life and
  // draws with it from two threads: a context of its own, not one of the
  // system's shared cache.
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = b.instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = MAKEINTRESOURCEA(kMenuResource);
  windowClass.lpszClassName = b.className;
  if (RegisterClassA(&windowClass) == 0) return false;
  HMENU menu = LoadMenuA(b.instance, MAKEINTRESOURCEA(kMenuResource));
  const HWND window = CreateWindowExA(
      0, b.className, initialTitle(record.displayNumber).c_str(), WS_OVERLAPPEDWINDOW,
      100 * record.displayNumber, 20 * record.displayNumber, record.drawingWidth,
      record.drawingHeight, record.parent, menu, b.instance, &record);
  if (window == nullptr) {
    if (menu != nullptr) DestroyMenu(menu);
    UnregisterClassA(b.className, b.instance);
    return false;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  return true;
}

void releaseWindow(BackendWindow& b) {
  if (b.bitmap != nullptr) DeleteObject(b.bitmap);
  b.bitmap = nullptr;
  UnregisterClassA(b.className, b.instance);
}

DWORD WINAPI windowThread(void* parameter) {
  auto& record = *static_cast<DisplayRecord*>(parameter);
  BackendWindow& b = *record.backend;
  // An exception must not leave the thread (it would end the process):
  // memory running out while the window is made fails the creation.
  if (!platform::guarded([&] { return createWindow(record); }, false)) {
    MessageBoxA(nullptr, "ERR", "ERR", MB_OK);
    releaseWindow(b);
    b.failed = true;
    SetEvent(b.ready);
    return 0;
  }
  SetEvent(b.ready);
  MSG message;
  // Ends on WM_QUIT, which CloseDisplay posts; no translation of keys.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  const HWND window = b.window.load();
  if (window != nullptr) DestroyWindow(window);
  releaseWindow(b);
  return 0;
}

void freeBackend(DisplayRecord& record) {
  BackendWindow* b = record.backend;
  if (b->thread != nullptr) CloseHandle(b->thread);
  if (b->ready != nullptr) CloseHandle(b->ready);
  std::free(b->header);
  delete b;
  record.backend = nullptr;
  record.imageMemory = nullptr;
}

bool openWindow(DisplayRecord& record) {
  auto* b = new BackendWindow;
  record.backend = b;
  b->instance = GetModuleHandleA(nullptr);
  b->header =
      static_cast<BITMAPINFO*>(std::calloc(1, sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)));
  b->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (b->header != nullptr && b->ready != nullptr) {
    b->thread = CreateThread(nullptr, 0, windowThread, &record, 0, &b->threadId);
  }
  if (b->thread == nullptr) {
    freeBackend(record);
    return false;
  }
  // The window thread either shows the window or gives up after its
  // message box; it never leaves this wait pending.
  const HANDLE waits[2] = {b->ready, b->thread};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (!b->failed && WaitForSingleObject(b->ready, 0) == WAIT_OBJECT_0) return true;
  WaitForSingleObject(b->thread, INFINITE);
  // Other displays' window procedures walk the list: the record leaves it
  // before its window state goes.
  DisplayTable::instance().removeFromList(&record);
  freeBackend(record);
  return false;
}

void closeWindow(DisplayRecord& record) {
  BackendWindow& b = *record.backend;
  PostThreadMessageA(b.threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(b.thread, INFINITE);
  // The window thread found its record through the list until it ended;
  // other displays' window procedures still walk the list and read each
  // record's window state: the record leaves it before that state goes.
  DisplayTable::instance().removeFromList(&record);
  freeBackend(record);
}

void setTitle(DisplayRecord& record, const char* title) {
  const HWND window = record.backend->window.load();
  if (window != nullptr) SetWindowTextA(window, title);
}

void copyAndDraw(DisplayRecord& record, const uint8_t* pixels, int64_t bytes) {
  // After SetBuffer the caller may hand over the very buffer we draw from.
  if (bytes > 0 && pixels != record.pixelSource) {
    std::memcpy(record.pixelSource, pixels, static_cast<size_t>(bytes));
  }
  drawLocked(record);
  // Done when DrawBuffer returns, not batched for later.
  GdiFlush();
}

bool boundingSize(DisplayRecord& record, int& width, int& height) {
  RECT r;
  if (record.parent != nullptr) {
    if (!GetWindowRect(record.parent, &r)) return false;
  } else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) {
    return false;
  }
  width = r.right - r.left;
  height = r.bottom - r.top;
  return true;
}

int resize(DisplayRecord& record, int width, int height) {
  const HWND window = record.backend->window.load();
  if (window == nullptr) return 0;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return 0;
  placement.rcNormalPosition.right = placement.rcNormalPosition.left + width;
  placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + height;
  return SetWindowPlacement(window, &placement);
}

OculonWindow window(DisplayRecord& record) {
  return record.backend->window.load();
}

const Backend kWin32 = {openWindow,   closeWindow, setTitle, copyAndDraw,
                        boundingSize, resize,      window};

}  // namespace

const Backend& windowSystem() {
  return kWin32;
}

}  // namespace qx::oculon
