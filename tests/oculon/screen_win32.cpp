#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "screen.h"

namespace qx::test {

std::string displayProblem() {
  // Wine shows its windows on the X display it was started with.
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return "DISPLAY is not set: start Xvfb (scripts/test does)";
  return "";
}

Rect frameOf(OculonWindow window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect clientOf(OculonWindow window) {
  RECT r{};
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return {origin.x, origin.y, r.right - r.left, r.bottom - r.top};
}

std::string titleOf(OculonWindow window) {
  char title[512] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

bool windowExists(OculonWindow window) {
  return IsWindow(window) != FALSE;
}

std::vector<uint32_t> screenshot(OculonWindow window, int width, int height) {
  std::vector<uint32_t> pixels;
  const Rect area{0, 0, width, height};
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = area.width;
  info.bmiHeader.biHeight = -area.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, area.width, area.height, screen, area.x, area.y, SRCCOPY)) {
      GdiFlush();
      const auto* p = static_cast<const uint32_t*>(bits);
      pixels.assign(p, p + static_cast<size_t>(area.width) * area.height);
      for (uint32_t& v : pixels) v &= 0xffffff;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return pixels;
}

namespace {
// The system's own work area, kept while a test's announcement stands.
bool g_saved = false;
RECT g_systemArea{};
}  // namespace

bool announceWorkArea(const Rect& area) {
  if (!g_saved) g_saved = SystemParametersInfoA(SPI_GETWORKAREA, 0, &g_systemArea, 0) != FALSE;
  RECT r{area.x, area.y, area.x + area.width, area.y + area.height};
  return SystemParametersInfoA(SPI_SETWORKAREA, 0, &r, 0) != FALSE;
}

void withdrawWorkArea() {
  if (!g_saved) return;
  SystemParametersInfoA(SPI_SETWORKAREA, 0, &g_systemArea, 0);
  g_saved = false;
}

Rect screenSize() {
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void resizeFromOutside(OculonWindow window, int width, int height) {
  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

OculonWindow makeOwnerWindow(int width, int height) {
  return CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 600, 500, width, height,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void destroyOwnerWindow(OculonWindow window) {
  DestroyWindow(window);
}

void closeLikeUser(OculonWindow window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  for (int i = 0; i < 300 && IsWindow(window); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace qx::test
