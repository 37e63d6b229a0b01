#include "grab.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace grab {

namespace {

#if defined(_WIN32)
const char* const kDefaultApplet = "applet_acqsim.dll";
#else
const char* const kDefaultApplet = "applet_acqsim.so";
#endif

bool toInt(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

void printUsage() {
  std::fprintf(stderr,
               "usage: grab [options]\n"
               "  --applet <library>   applet library (default %s)\n"
               "  --board <index>      board index 0..10 (default 0)\n"
               "  --port <0|1>         camera port A or B (default 0)\n"
               "  --count <n>          pictures to record (default 100)\n"
               "  --width <pixels>     picture width (default 640)\n"
               "  --height <rows>      picture height (default 480)\n"
               "  --grey | --colour    8-bit grey (default) or 24-bit colour\n"
               "  --rate <per second>  pictures per second (default 25)\n"
               "  --buffers <n>        pictures in the grabber's ring (default 16)\n"
               "  --keep-settings      leave the applet's geometry, format and rate as\n"
               "                       they are (width/height/format must then match)\n"
               "  --output <folder>    folder for the outputs (default .)\n"
               "  --display | --no-display  show the pictures (default: when a display\n"
               "                       is available)\n"
               "  --no-camera          skip the Camera Link set-up\n"
               "  --camera-set <name> <value>  value set and read back (default GAIN 3)\n",
               kDefaultApplet);
}

bool parseOptions(int argc, char** argv, Options& o, bool& exitNow) {
  o.applet = kDefaultApplet;
  o.display = displayAvailable();
  exitNow = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = true;
    bool takesValue = true;
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      printUsage();
      exitNow = true;
      return true;
    } else if (std::strcmp(a, "--grey") == 0 || std::strcmp(a, "--gray") == 0) {
      o.bits = 8, takesValue = false;
    } else if (std::strcmp(a, "--colour") == 0 || std::strcmp(a, "--color") == 0) {
      o.bits = 24, takesValue = false;
    } else if (std::strcmp(a, "--display") == 0) {
      o.display = true, takesValue = false;
    } else if (std::strcmp(a, "--no-display") == 0) {
      o.display = false, takesValue = false;
    } else if (std::strcmp(a, "--no-camera") == 0) {
      o.camera = false, takesValue = false;
    } else if (std::strcmp(a, "--keep-settings") == 0) {
      o.setGeometry = false, takesValue = false;
    } else if (value == nullptr) {
      ok = false;
    } else if (std::strcmp(a, "--applet") == 0) {
      o.applet = value;
    } else if (std::strcmp(a, "--board") == 0) {
      ok = toInt(value, 0, 10, o.board);
    } else if (std::strcmp(a, "--port") == 0) {
      ok = toInt(value, 0, 1, o.port);
    } else if (std::strcmp(a, "--count") == 0) {
      ok = toInt(value, 1, 100000000, o.count);
    } else if (std::strcmp(a, "--width") == 0) {
      ok = toInt(value, 4, 16384, o.width);
    } else if (std::strcmp(a, "--height") == 0) {
      ok = toInt(value, 1, 16384, o.height);
    } else if (std::strcmp(a, "--rate") == 0) {
      ok = toInt(value, 1, 1000, o.rate);
    } else if (std::strcmp(a, "--buffers") == 0) {
      ok = toInt(value, 2, 1024, o.buffers);
    } else if (std::strcmp(a, "--output") == 0) {
      o.output = value;
    } else if (std::strcmp(a, "--camera-set") == 0 && i + 2 < argc) {
      o.cameraName = argv[i + 1];
      o.cameraValue = argv[i + 2];
      ++i;
    } else {
      std::fprintf(stderr, "grab: unknown option %s\n", a);
      printUsage();
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "grab: bad or missing value for %s\n", a);
      printUsage();
      return false;
    }
    if (takesValue) ++i;
  }
  // Pictures of more than 2 GiB cannot be described to the libraries.
  if (static_cast<long long>(o.width) * o.height * (o.bits / 8) > 0x7fffffffLL - 64) {
    std::fprintf(stderr, "grab: a picture of %dx%d is too large\n", o.width, o.height);
    return false;
  }
  return true;
}

}  // namespace grab
