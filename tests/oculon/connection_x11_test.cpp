// What the X server and the application can do to a display's connection:
// kill it, make requests on it fail, or offer a screen the display cannot
// draw on. None of it may end the process.
// gtest first: Xlib's macros would change its names.
#include "capture_stderr.h"
#include "display_fixture.h"
#include "testsupport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

#if defined(__SANITIZE_THREAD__)
// When a connection fails inside a call, libX11 (1.8) releases the
// display's lock before the handlers run and the call releases it again
// on its way out: a misuse inside Xlib, on a connection that is never used
// again but to close it.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions() {
  return "mutex:libX11.so\n";
}
#endif

namespace qx::test {
namespace {

using ConnectionTest = DisplayTest;

// A connection of the test's own, apart from the library's and the screen
// helpers'.
struct OwnConnection {
  Display* dpy = XOpenDisplay(nullptr);
  ~OwnConnection() {
    if (dpy != nullptr) XCloseDisplay(dpy);
  }
};

std::string property(Display* dpy, Window window, const char* name, Atom* type = nullptr) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string value;
  if (XGetWindowProperty(dpy, window, XInternAtom(dpy, name, False), 0, 1024, False,
                         AnyPropertyType, &actualType, &format, &count, &after, &data) == Success &&
      data != nullptr) {
    value.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  if (type != nullptr) *type = actualType;
  return value;
}

// An application's I/O error handler that ends the process, as Xlib's
// default does.
int endProcess(Display*) {
  std::_Exit(7);
}

TEST_F(ConnectionTest, KilledConnectionEndsOnlyThatDisplay) {
  ASSERT_EQ(CreateDisplay(8, 160, 120), 0);
  ASSERT_EQ(CreateDisplay(8, 160, 120), 1);
  // Set after the displays were made; it stays in charge of the
  // application's own connections.
  const XIOErrorHandler previousIo = XSetIOErrorHandler(endProcess);
  const std::vector<uint8_t> picture = greyPicture(160, 120);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(SetBufferWidth(i, 160, 120), 160);
    ASSERT_EQ(DrawBuffer(i, picture.data(), 1, "before"), 0);
  }
  const OculonWindow victim = GetWindowHandle(0);
  ASSERT_NE(victim, OculonWindow{});
  {
    // What xkill does: the server closes the connection that made the window.
    OwnConnection own;
    ASSERT_NE(own.dpy, nullptr);
    XKillClient(own.dpy, victim);
    XSync(own.dpy, False);
  }
  // The display notices on its next use of the connection, from either
  // thread; until then and after, pictures are taken without a fault.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int number = 2;
  while (GetWindowHandle(0) != OculonWindow{} && std::chrono::steady_clock::now() < deadline) {
    EXPECT_EQ(DrawBuffer(0, picture.data(), number++, "after"), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(GetWindowHandle(0), OculonWindow{}) << "the lost display still offers its window";
  EXPECT_EQ(DrawBuffer(0, picture.data(), number, "after"), 0);
  EXPECT_EQ(SetDisplayWidth(0, 100, 100), 0);
  // The other display goes on as before.
  const std::vector<uint8_t> other = flatPicture(160, 120, 0x40);
  ASSERT_EQ(DrawBuffer(1, other.data(), 3, "still here"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(1), 160, 120, [](int, int) { return 0x404040u; }), "");
  EXPECT_EQ(CloseDisplay(0), 1);
  EXPECT_EQ(CloseDisplay(1), 0);
  // And new displays can be made.
  ASSERT_EQ(CreateDisplay(24, 80, 60), 0);
  EXPECT_EQ(CloseDisplay(0), 0);
  XSetIOErrorHandler(previousIo);
}

int applicationErrors = 0;
int countError(Display*, XErrorEvent*) {
  ++applicationErrors;
  return 0;
}

// The application's handler, set after the library made its first
// connection, sees none of the errors of the library's connections.
TEST_F(ConnectionTest, ErrorsOnOurConnectionsBypassTheApplicationsHandler) {
  ASSERT_EQ(CreateDisplay(8, 120, 90), 0);
  applicationErrors = 0;
  const XErrorHandler previous = XSetErrorHandler(countError);
  // A parent that does not exist fails on the library's connection.
  StderrCapture capture;
  const OculonWindow noWindow = static_cast<OculonWindow>(0x1fffff7);
  EXPECT_EQ(CreateDisplayEx(8, 120, 90, noWindow), -1);
  EXPECT_EQ(capture.finish(), "ERR\n");
  // A window destroyed behind the library's back: drawing and titles go to
  // a window that no longer exists.
  OwnConnection own;
  ASSERT_NE(own.dpy, nullptr);
  ASSERT_EQ(SetBufferWidth(0, 120, 90), 120);
  const std::vector<uint8_t> picture = greyPicture(120, 90);
  XDestroyWindow(own.dpy, GetWindowHandle(0));
  XSync(own.dpy, False);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(DrawBuffer(0, picture.data(), i, "gone"), 0);
  EXPECT_EQ(CloseDisplay(0), 0);
  XSetErrorHandler(previous);
  EXPECT_EQ(applicationErrors, 0);
  // Errors on the application's own connections still reach its handler.
  applicationErrors = 0;
  XSetErrorHandler(countError);
  XMapWindow(own.dpy, noWindow);
  XSync(own.dpy, False);
  XSetErrorHandler(previous);
  EXPECT_EQ(applicationErrors, 1);
}

TEST_F(ConnectionTest, TitlesAreUtf8AndLatin1AndTheClassIsSet) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_EQ(SetBufferWidth(0, 8, 8), 8);
  const std::vector<uint8_t> picture = greyPicture(8, 8);
  // "Grün 5 µs €": ü and µ exist in Latin-1, the euro sign does not.
  ASSERT_EQ(DrawBuffer(0, picture.data(), 7, "Gr\xc3\xbcn 5 \xc2\xb5s \xe2\x82\xac"), 0);
  OwnConnection own;
  ASSERT_NE(own.dpy, nullptr);
  const Window window = GetWindowHandle(0);
  const std::string utf8 = "Framegrabber Display 0 (000007) Gr\xc3\xbcn 5 \xc2\xb5s \xe2\x82\xac";
  std::string netName;
  for (int attempt = 0; attempt < 40 && netName != utf8; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    netName = property(own.dpy, window, "_NET_WM_NAME");
  }
  Atom type = None;
  EXPECT_EQ(netName, utf8);
  EXPECT_EQ(property(own.dpy, window, "WM_NAME", &type),
            "Framegrabber Display 0 (000007) Gr\xfcn 5 \xb5s ?");
  EXPECT_EQ(type, XA_STRING);
  // Text cut at 127 bytes loses a character that would be cut in half.
  const std::string text = std::string(94, 'x') + "\xe2\x82\xac";  // the euro sign spans 127
  ASSERT_EQ(DrawBuffer(0, picture.data(), 8, text.c_str()), 0);
  const std::string cut = "Framegrabber Display 0 (000008) " + std::string(94, 'x');
  for (int attempt = 0; attempt < 40 && netName != cut; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    netName = property(own.dpy, window, "_NET_WM_NAME");
  }
  EXPECT_EQ(netName, cut);
  XClassHint hint{};
  ASSERT_TRUE(XGetClassHint(own.dpy, window, &hint));
  EXPECT_STREQ(hint.res_class, "Oculon");
  EXPECT_STRNE(hint.res_name, "");
  XFree(hint.res_name);
  XFree(hint.res_class);
}

// A virtual X server of the given depth, for as long as the object lives.
class OtherServer {
 public:
  explicit OtherServer(const std::string& screen) {
    for (int n = 200 + getpid() % 300; n < 600 && pid_ == 0; n += 7) {
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
      struct stat st;
      if (stat(socket.c_str(), &st) == 0) continue;
      name_ = ":" + std::to_string(n);
      std::string server = "Xvfb";
      char* args[] = {&server[0],
                      &name_[0],
                      const_cast<char*>("-screen"),
                      const_cast<char*>("0"),
                      const_cast<char*>(screen.c_str()),
                      const_cast<char*>("-nolisten"),
                      const_cast<char*>("tcp"),
                      nullptr};
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
      pid_t pid = 0;
      if (posix_spawnp(&pid, "Xvfb", &actions, nullptr, args, environ) == 0) pid_ = pid;
      posix_spawn_file_actions_destroy(&actions);
    }
    for (int attempt = 0; pid_ != 0 && attempt < 100; ++attempt) {
      if (Display* dpy = XOpenDisplay(name_.c_str())) {
        XCloseDisplay(dpy);
        ready_ = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  ~OtherServer() {
    if (pid_ != 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool ready() const { return ready_; }
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = 0;
  bool ready_ = false;
  std::string name_;
};

// On a 16-bit screen no picture could be shown: creation fails the way a
// window that cannot be made does.
TEST(OtherScreens, SixteenBitScreenFailsCreationWithErr) {
  OtherServer server("320x240x16");
  if (!server.ready()) GTEST_SKIP() << "no Xvfb to start a 16-bit screen with";
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display != nullptr ? display : "";
  setEnv("DISPLAY", server.name());
  StderrCapture capture;
  const int created = CreateDisplay(8, 64, 64);
  const int createdColour = CreateDisplay(24, 64, 64);
  const std::string text = capture.finish();
  if (created >= 0) CloseDisplay(created);
  if (createdColour >= 0) CloseDisplay(createdColour);
  if (display != nullptr) setEnv("DISPLAY", saved);
  EXPECT_EQ(created, -1);
  EXPECT_EQ(createdColour, -1);
  EXPECT_EQ(text, "ERR\nERR\n");
}

}  // namespace
}  // namespace qx::test
