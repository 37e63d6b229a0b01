// X11 backend: every display has its own X connection and a window thread
// that owns the window and handles its events. The caller's thread draws on
// the same connection; the record's lock keeps the two apart, and the
// window thread sleeps in poll() on the connection and a wake-up pipe so
// that it never blocks inside Xlib while holding the lock.
//
// A connection can be lost (the server goes away, or a client such as xkill
// kills ours). Xlib then ends the process unless the connection has an exit
// handler of its own: ours marks the display lost, after which nothing is
// sent on the connection any more. The display then behaves like one whose
// window the user closed, until CloseDisplay.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "backend.h"
#include "errors_x11.h"
#include "image_x11.h"
#include "pixel_convert.h"
#include "platform/boundary.h"
#include "title.h"

namespace qx::oculon {

struct BackendWindow {
  Display* display = nullptr;
  Window window = 0;
  bool windowGone = false;  // closed by the user or the window manager
  // The connection failed; set by Xlib's exit handler on whichever of our
  // threads was using the connection.
  std::atomic<bool> lost{false};
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  PixelLayout* layout = nullptr;
  x11::ImageSurface surface;
  Atom deleteWindow = 0;
  Atom netWmName = 0;
  Atom utf8String = 0;
  Atom textProperty = 0;  // WM_NAME's type: Latin-1 text
  int wakePipe[2] = {-1, -1};
  std::thread thread;
  bool closing = false;  // guarded by the record's lock

  // Start-up hand-shake between open() and the window thread.
  std::mutex startLock;
  std::condition_variable started;
  enum class Start { Pending, Running, Failed } start = Start::Pending;
};

namespace {

// Whether requests may go to the window.
bool usable(const BackendWindow& b) {
  return !b.windowGone && !b.lost.load();
}

void wake(BackendWindow& b) {
  const char byte = 1;
  // A full pipe already means "wake up".
  ssize_t ignored = write(b.wakePipe[1], &byte, 1);
  (void)ignored;
}

// After the caller's thread used the connection: replies it waited for may
// have pulled events into Xlib's queue, which poll() cannot see.
void handBackConnection(BackendWindow& b) {
  if (b.lost.load() || XQLength(b.display) > 0) wake(b);
}

// Window managers read _NET_WM_NAME as UTF-8; WM_NAME is Latin-1 text for
// those that read only that.
void setTitleLocked(BackendWindow& b, const char* title) {
  const std::string utf8 = titleAsUtf8(title);
  const std::string latin1 = titleAsLatin1(title);
  XChangeProperty(b.display, b.window, XA_WM_NAME, b.textProperty, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(latin1.data()),
                  static_cast<int>(latin1.size()));
  XChangeProperty(b.display, b.window, b.netWmName, b.utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()),
                  static_cast<int>(utf8.size()));
}

// Converts the visible part of the pixel source and sends it to the window.
// With `pixels`, a new picture is copied into the pixel source on the way:
// the visible part of each row in the same pass as its conversion, so that
// each byte is read from memory once, the rest of the row after it. Called
// with the record's lock held.
void drawLocked(DisplayRecord& record, const uint8_t* pixels = nullptr, int64_t bytes = 0) {
  BackendWindow& b = *record.backend;
  const bool copying = pixels != nullptr && bytes > 0 && pixels != record.pixelSource;
  int64_t copied = 0;
  auto copyUpTo = [&](int64_t end) {
    end = std::min(end, bytes);
    if (end <= copied) return;
    std::memcpy(record.pixelSource + copied, pixels + copied, static_cast<size_t>(end - copied));
    copied = end;
  };
  const int width = std::min(record.drawingWidth, record.bufferWidth);
  const int height = std::min(record.drawingHeight, record.bufferHeight);
  if (usable(b) && record.readyToDraw() && width > 0 && height > 0 &&
      b.surface.reserve(b.display, b.visual, b.depth, width, height)) {
    const int64_t stride = rowStride(record.bufferWidth, record.bitDepth);
    const uint8_t* from = copying ? pixels : record.pixelSource;
    uint8_t* target = b.surface.acquire(b.display);
    const int64_t targetStride = b.surface.stride();
    const int64_t visible = static_cast<int64_t>(width) * (record.bitDepth == 8 ? 1 : 3);
    for (int y = 0; y < height; ++y) {
      const int64_t rowAt = y * stride;
      uint8_t* copyRow = nullptr;
      if (copying) {
        copyUpTo(rowAt);
        if (copied == rowAt && rowAt + visible <= bytes) copyRow = record.pixelSource + rowAt;
      }
      b.layout->convert(from + rowAt, stride, record.bitDepth, target + y * targetStride,
                        targetStride, width, 1, copyRow);
      if (copyRow != nullptr) copied = rowAt + visible;
      if (copying) copyUpTo(rowAt + stride);
    }
    b.surface.put(b.display, b.window, b.gc, width, height);
  }
  if (copying) copyUpTo(bytes);
}

void handleEvent(DisplayRecord& record, XEvent& event) {
  BackendWindow& b = *record.backend;
  b.surface.noteEvent(event);
  switch (event.type) {
    case Expose:
      // One repaint for a whole series of exposed rectangles.
      if (event.xexpose.count == 0) drawLocked(record);
      break;
    case ConfigureNotify:
      record.drawingWidth = event.xconfigure.width;
      record.drawingHeight = event.xconfigure.height;
      break;
    case ClientMessage:
      // Closed by the user: the window goes, the display stays open until
      // CloseDisplay, as its slot and number are the application's.
      if (static_cast<Atom>(event.xclient.data.l[0]) == b.deleteWindow && !b.windowGone) {
        XDestroyWindow(b.display, b.window);
        b.windowGone = true;
      }
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == b.window) b.windowGone = true;
      break;
    default: break;
  }
}

void runEvents(DisplayRecord& record) {
  BackendWindow& b = *record.backend;
  pollfd fds[2] = {{b.wakePipe[0], POLLIN, 0}, {ConnectionNumber(b.display), POLLIN, 0}};
  for (;;) {
    // A lost connection stays readable for ever: only the wake-up pipe is
    // waited for then, until CloseDisplay.
    if (poll(fds, b.lost.load() ? 1 : 2, -1) < 0) {
      // The display lives until CloseDisplay whatever happens here: a
      // failing poll is waited out, never taken as the end.
      if (errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    if (fds[0].revents != 0) {
      char drain[64];
      while (read(b.wakePipe[0], drain, sizeof drain) > 0) {
      }
    }
    std::lock_guard<std::mutex> guard(record.lock);
    if (b.closing) break;
    x11::keepIoErrorHandler();
    while (!b.lost.load() && XPending(b.display) > 0) {
      XEvent event;
      XNextEvent(b.display, &event);
      handleEvent(record, event);
    }
  }
}

// Bits per pixel of the screen's images of `depth`, 0 when unknown.
int pixelBits(Display* dpy, int depth) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(dpy, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  return bits;
}

// The name the program was started by, for the class hint.
std::string programName() {
  std::string name = "oculon";
  if (std::FILE* comm = std::fopen("/proc/self/comm", "r")) {
    char text[64] = {};
    if (std::fgets(text, sizeof text, comm) != nullptr) {
      std::string read = text;
      while (!read.empty() && (read.back() == '\n' || read.back() == '\r')) read.pop_back();
      if (!read.empty()) name = read;
    }
    std::fclose(comm);
  }
  return name;
}

bool createWindow(DisplayRecord& record) {
  BackendWindow& b = *record.backend;
  Display* dpy = b.display;
  const int screen = DefaultScreen(dpy);
  b.visual = DefaultVisual(dpy, screen);
  b.depth = DefaultDepth(dpy, screen);
  if (b.visual->c_class != TrueColor && b.visual->c_class != DirectColor) return false;
  // Pictures are converted to 32-bit pixels only: a screen that keeps its
  // pixels in fewer bits (depth 15 or 16) would never show one, so such a
  // display is not made at all.
  if (pixelBits(dpy, b.depth) != 32) return false;
  b.layout = new (std::nothrow) PixelLayout(static_cast<uint32_t>(b.visual->red_mask),
                                            static_cast<uint32_t>(b.visual->green_mask),
                                            static_cast<uint32_t>(b.visual->blue_mask));
  if (b.layout == nullptr) return false;
  const char* noShm = std::getenv("QUORLEX_DISPLAY_NO_SHM");
  b.surface.allowShm = noShm == nullptr || noShm[0] == '\0' || std::strcmp(noShm, "0") == 0;

  if (record.parent != 0) {
    XWindowAttributes parentAttributes;
    if (!XGetWindowAttributes(dpy, record.parent, &parentAttributes)) return false;
  }
  XSetWindowAttributes attributes{};
  attributes.background_pixel = WhitePixel(dpy, screen);
  attributes.event_mask = ExposureMask | StructureNotifyMask;
  const int x = 100 * record.displayNumber;
  const int y = 20 * record.displayNumber;
  b.window =
      XCreateWindow(dpy, RootWindow(dpy, screen), x, y, static_cast<unsigned>(record.drawingWidth),
                    static_cast<unsigned>(record.drawingHeight), 0, CopyFromParent, InputOutput,
                    CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  if (x11::syncAndTakeError(dpy) != 0 || b.window == 0) return false;

  // Window managers place windows themselves unless told the position was
  // asked for.
  XSizeHints hints{};
  hints.flags = USPosition | PPosition | USSize | PSize;
  hints.x = x;
  hints.y = y;
  hints.width = record.drawingWidth;
  hints.height = record.drawingHeight;
  XSetWMNormalHints(dpy, b.window, &hints);
  b.deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(dpy, b.window, &b.deleteWindow, 1);
  b.netWmName = XInternAtom(dpy, "_NET_WM_NAME", False);
  b.utf8String = XInternAtom(dpy, "UTF8_STRING", False);
  b.textProperty = XA_STRING;
  setTitleLocked(b, initialTitle(record.displayNumber).c_str());
  // Lets window managers and task bars group the displays of a program.
  std::string instance = programName();
  char className[] = "Oculon";
  XClassHint classHint{instance.data(), className};
  XSetClassHint(dpy, b.window, &classHint);
  if (record.parent != 0) XSetTransientForHint(dpy, b.window, record.parent);
  b.gc = XCreateGC(dpy, b.window, 0, nullptr);

  record.imageMemorySize =
      displayMemoryBytes(record.drawingWidth, record.drawingHeight, record.bitDepth);
  record.imageMemory =
      static_cast<uint8_t*>(std::calloc(static_cast<size_t>(record.imageMemorySize), 1));
  if (record.imageMemory == nullptr) return false;

  XMapWindow(dpy, b.window);
  return x11::syncAndTakeError(dpy) == 0;
}

// Releases what the window thread made; safe on a half-made window and on
// a lost connection, on which only our own memory is freed.
void releaseWindow(DisplayRecord& record) {
  BackendWindow& b = *record.backend;
  if (b.display != nullptr) {
    x11::keepIoErrorHandler();
    if (b.lost.load()) {
      b.surface.discard();
      // Only frees Xlib's record of the context: nothing goes out on a
      // connection that failed.
      if (b.gc != nullptr) XFreeGC(b.display, b.gc);
    } else {
      b.surface.release(b.display);
      if (b.gc != nullptr) XFreeGC(b.display, b.gc);
      if (b.window != 0 && !b.windowGone) XDestroyWindow(b.display, b.window);
      x11::syncAndTakeError(b.display);
    }
    XCloseDisplay(b.display);
    x11::unwatchErrors(b.display);
    b.display = nullptr;
  }
  delete b.layout;
  b.layout = nullptr;
  std::free(record.imageMemory);
  record.imageMemory = nullptr;
}

void reportStart(BackendWindow& b, BackendWindow::Start state) {
  std::lock_guard<std::mutex> guard(b.startLock);
  b.start = state;
  b.started.notify_all();
}

// Xlib's own exit handler ends the process when a connection fails; this
// one only marks the display lost. Xlib has already called the process-wide
// I/O error handler (by default a line on standard error).
void connectionLost(Display*, void* backend) {
  static_cast<BackendWindow*>(backend)->lost.store(true);
}

void windowThread(DisplayRecord* record) {
  BackendWindow& b = *record->backend;
  x11::keepIoErrorHandler();
  b.display = XOpenDisplay(nullptr);
  bool made = false;
  if (b.display != nullptr) {
    XSetIOErrorExitHandler(b.display, connectionLost, &b);
    // An exception must not end this thread (and with it the process):
    // memory running out while the window is made fails the creation.
    made = platform::guarded(
        [&] {
          x11::watchErrors(b.display);
          std::lock_guard<std::mutex> guard(record->lock);
          return createWindow(*record);
        },
        false);
  }
  if (!made) {
    std::fputs("ERR\n", stderr);
    releaseWindow(*record);
    reportStart(b, BackendWindow::Start::Failed);
    return;
  }
  reportStart(b, BackendWindow::Start::Running);
  runEvents(*record);
  std::lock_guard<std::mutex> guard(record->lock);
  releaseWindow(*record);
}

// Ends what openWindow made, whatever stage it reached: waits for the window
// thread (which releases the window on its way out), closes the wake-up
// pipe and frees the backend state.
void destroyBackend(DisplayRecord& record) {
  BackendWindow* b = record.backend;
  if (b->thread.joinable()) b->thread.join();
  for (int& end : b->wakePipe) {
    if (end >= 0) close(end);
    end = -1;
  }
  delete b;
  record.backend = nullptr;
}

bool openWindow(DisplayRecord& record) {
  // Connections are used by two threads of ours (never at the same time);
  // Xlib must know before the first connection is made.
  static const bool threadsReady = XInitThreads() != 0;
  (void)threadsReady;
  record.backend = new BackendWindow;
  BackendWindow* b = record.backend;
  bool running = false;
  if (pipe2(b->wakePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    try {
      b->thread = std::thread(windowThread, &record);
    } catch (...) {
      // No thread (std::system_error), or no memory for its start-up.
    }
  }
  if (b->thread.joinable()) {
    std::unique_lock<std::mutex> wait(b->startLock);
    b->started.wait(wait, [b] { return b->start != BackendWindow::Start::Pending; });
    running = b->start == BackendWindow::Start::Running;
  }
  if (!running) destroyBackend(record);
  return running;
}

void closeWindow(DisplayRecord& record) {
  {
    std::lock_guard<std::mutex> guard(record.lock);
    record.backend->closing = true;
  }
  wake(*record.backend);
  destroyBackend(record);
}

void setTitle(DisplayRecord& record, const char* title) {
  std::lock_guard<std::mutex> guard(record.lock);
  BackendWindow& b = *record.backend;
  if (!usable(b)) return;
  x11::keepIoErrorHandler();
  setTitleLocked(b, title);
  // Not waited for: the server takes the title before anything we send
  // later, and a round trip for every picture would cost more than the
  // picture.
  XFlush(b.display);
}

void copyAndDraw(DisplayRecord& record, const uint8_t* pixels, int64_t bytes) {
  x11::keepIoErrorHandler();
  drawLocked(record, pixels, bytes);
  handBackConnection(*record.backend);
}

bool boundingSize(DisplayRecord& record, int& width, int& height) {
  std::lock_guard<std::mutex> guard(record.lock);
  BackendWindow& b = *record.backend;
  Display* dpy = b.display;
  if (b.lost.load()) return false;
  x11::keepIoErrorHandler();
  bool known = false;
  if (record.parent != 0) {
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    if (XGetGeometry(dpy, record.parent, &root, &x, &y, &w, &h, &border, &depth) &&
        x11::syncAndTakeError(dpy) == 0) {
      width = static_cast<int>(w + 2 * border);
      height = static_cast<int>(h + 2 * border);
      known = true;
    }
  } else {
    // The work area that a window manager announces, else the whole screen.
    const int screen = DefaultScreen(dpy);
    width = DisplayWidth(dpy, screen);
    height = DisplayHeight(dpy, screen);
    known = true;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    const Atom workArea = XInternAtom(dpy, "_NET_WORKAREA", True);
    if (workArea != None &&
        XGetWindowProperty(dpy, RootWindow(dpy, screen), workArea, 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count >= 4) {
      const long* area = reinterpret_cast<const long*>(data);
      width = static_cast<int>(area[2]);
      height = static_cast<int>(area[3]);
    }
    if (data != nullptr) XFree(data);
  }
  handBackConnection(b);
  return known;
}

int resize(DisplayRecord& record, int width, int height) {
  std::lock_guard<std::mutex> guard(record.lock);
  BackendWindow& b = *record.backend;
  if (!usable(b)) return 0;
  x11::keepIoErrorHandler();
  XResizeWindow(b.display, b.window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(b.display, False);
  handBackConnection(b);
  return 1;
}

OculonWindow window(DisplayRecord& record) {
  std::lock_guard<std::mutex> guard(record.lock);
  BackendWindow& b = *record.backend;
  return usable(b) ? b.window : OculonWindow{};
}

const Backend kX11 = {openWindow, closeWindow, setTitle, copyAndDraw, boundingSize, resize, window};

}  // namespace

const Backend& windowSystem() {
  return kX11;
}

}  // namespace qx::oculon
