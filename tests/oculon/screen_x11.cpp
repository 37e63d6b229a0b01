#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "screen.h"

namespace qx::test {

namespace {

// The test's own connection, apart from the library's.
Display* connection() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

int shiftOf(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

std::string displayProblem() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return "DISPLAY is not set: start Xvfb (scripts/test does)";
  if (connection() == nullptr) return std::string("cannot open X display ") + name;
  return "";
}

Rect frameOf(OculonWindow window) {
  Display* dpy = connection();
  XWindowAttributes a;
  Rect r;
  if (!XGetWindowAttributes(dpy, window, &a)) return r;
  Window child;
  XTranslateCoordinates(dpy, window, DefaultRootWindow(dpy), 0, 0, &r.x, &r.y, &child);
  r.width = a.width + 2 * a.border_width;
  r.height = a.height + 2 * a.border_width;
  return r;
}

Rect clientOf(OculonWindow window) {
  Rect r = frameOf(window);
  XWindowAttributes a;
  if (XGetWindowAttributes(connection(), window, &a)) {
    r.width = a.width;
    r.height = a.height;
  }
  return r;
}

std::string titleOf(OculonWindow window) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(connection(), window, &name) && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

bool windowExists(OculonWindow window) {
  XWindowAttributes a;
  XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const bool exists = XGetWindowAttributes(connection(), window, &a) != 0;
  XSync(connection(), False);
  XSetErrorHandler(previous);
  return exists;
}

std::vector<uint32_t> screenshot(OculonWindow window, int width, int height) {
  Display* dpy = connection();
  Rect area = clientOf(window);
  area.width = width;
  area.height = height;
  std::vector<uint32_t> pixels;
  XImage* image =
      XGetImage(dpy, DefaultRootWindow(dpy), area.x, area.y, static_cast<unsigned>(area.width),
                static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  const int rs = shiftOf(image->red_mask), gs = shiftOf(image->green_mask),
            bs = shiftOf(image->blue_mask);
  pixels.reserve(static_cast<size_t>(area.width) * area.height);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      const uint32_t r = (p & image->red_mask) >> rs, g = (p & image->green_mask) >> gs,
                     b = (p & image->blue_mask) >> bs;
      pixels.push_back(r << 16 | g << 8 | b);
    }
  }
  XDestroyImage(image);
  return pixels;
}

namespace {

Atom workAreaAtom(Display* dpy) {
  return XInternAtom(dpy, "_NET_WORKAREA", False);
}

// The announcement a window manager made, kept while a test's stands.
bool g_saved = false;
std::vector<long> g_managerArea;

std::vector<long> announcedArea(Display* dpy) {
  std::vector<long> area;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), workAreaAtom(dpy), 0, 64, False, XA_CARDINAL,
                         &type, &format, &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const long* values = reinterpret_cast<const long*>(data);
    area.assign(values, values + count);
  }
  if (data != nullptr) XFree(data);
  return area;
}

void setArea(Display* dpy, const std::vector<long>& area) {
  XChangeProperty(dpy, DefaultRootWindow(dpy), workAreaAtom(dpy), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(area.data()),
                  static_cast<int>(area.size()));
}

}  // namespace

bool announceWorkArea(const Rect& area) {
  Display* dpy = connection();
  if (!g_saved) {
    g_managerArea = announcedArea(dpy);
    g_saved = true;
  }
  setArea(dpy, {area.x, area.y, area.width, area.height});
  XSync(dpy, False);
  return announcedArea(dpy).size() == 4;
}

void withdrawWorkArea() {
  Display* dpy = connection();
  if (!g_saved) return;
  if (g_managerArea.empty()) {
    XDeleteProperty(dpy, DefaultRootWindow(dpy), workAreaAtom(dpy));
  } else {
    setArea(dpy, g_managerArea);
  }
  XSync(dpy, False);
  g_saved = false;
}

bool windowManagerAnnouncesWorkArea() {
  return !announcedArea(connection()).empty();
}

Rect screenSize() {
  Display* dpy = connection();
  return {0, 0, DisplayWidth(dpy, DefaultScreen(dpy)), DisplayHeight(dpy, DefaultScreen(dpy))};
}

void resizeFromOutside(OculonWindow window, int width, int height) {
  Display* dpy = connection();
  XResizeWindow(dpy, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(dpy, False);
}

OculonWindow makeOwnerWindow(int width, int height) {
  Display* dpy = connection();
  Window w =
      XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 600, 500, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, 0, 0);
  XSync(dpy, False);
  return w;
}

void destroyOwnerWindow(OculonWindow window) {
  XDestroyWindow(connection(), window);
  XSync(connection(), False);
}

void closeLikeUser(OculonWindow window) {
  Display* dpy = connection();
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, window, False, NoEventMask, &event);
  XSync(dpy, False);
  for (int i = 0; i < 300 && windowExists(window); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace qx::test
