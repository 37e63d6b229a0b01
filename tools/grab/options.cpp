#include "grab.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace grab {

namespace {

#if defined(_WIN32)
const char* const kDefaultApplet = "applet_acqsim.dll";
#else
const char* const kDefaultApplet = "applet_acqsim.so";
#endif

bool toInt(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

// "0", "1" or a list of them such as "0,1", each port once.
bool toPorts(const std::string& text, std::vector<int>& ports) {
  std::vector<int> list;
  size_t from = 0;
  for (;;) {
    const size_t comma = text.find(',', from);
    const std::string one = text.substr(from, comma == std::string::npos ? comma : comma - from);
    int port = 0;
    if (!toInt(one.c_str(), 0, 1, port)) return false;
    for (int seen : list) {
      if (seen == port) return false;
    }
    list.push_back(port);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  ports = list;
  return true;
}

// A command line that cannot be used: the reason, then the usage.
bool refuse(const std::string& reason) {
  std::fprintf(stderr, "grab: %s\n", reason.c_str());
  printUsage(stderr);
  return false;
}

struct NumberOption {
  const char* name;
  int low, high;
  int Options::*field;
};

const NumberOption kNumbers[] = {
    {"--board", 0, 10, &Options::board},    {"--count", 1, 100000000, &Options::count},
    {"--width", 4, 16384, &Options::width}, {"--height", 1, 16384, &Options::height},
    {"--rate", 1, 100000, &Options::rate},  {"--buffers", 2, 1024, &Options::buffers},
};

}  // namespace

void printUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: grab [options]\n"
               "  --applet <library>   applet library (default %s)\n"
               "  --board <index>      board index 0..10 (default 0)\n"
               "  --port <list>        camera port: 0 (A) or 1 (B), or a comma-separated\n"
               "                       list like 0,1 to record both ports at once, each\n"
               "                       into its own recording (default 0)\n"
               "  --count <n>          pictures to record (default 100)\n"
               "  --width <pixels>     picture width (default 640)\n"
               "  --height <rows>      picture height (default 480)\n"
               "  --grey | --colour    8-bit grey (default) or 24-bit colour\n"
               "  --rate <per second>  pictures per second (default 25)\n"
               "  --buffers <n>        pictures in the grabber's ring (default: a quarter\n"
               "                       second of pictures, 16 to 1024, within 512 MiB)\n"
               "  --keep-settings      leave the applet's geometry, format and rate as\n"
               "                       they are (width/height/format must then match)\n"
               "  --output <folder>    folder for the outputs (default .)\n"
               "  --display | --no-display  show the pictures (default: when a display\n"
               "                       is available)\n"
               "  --no-camera          skip the Camera Link set-up\n"
               "  --camera-set <name> <value>  value set and read back (default GAIN 3)\n"
               "  --help               this text\n",
               kDefaultApplet);
}

bool parseOptions(int argc, char** argv, Options& o, bool& exitNow) {
  o.applet = kDefaultApplet;
  o.display = displayAvailable();
  exitNow = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    // The values an option takes, or null when the command line ends first.
    auto values = [&](int n) -> char** {
      if (i + n >= argc) return nullptr;
      char** v = argv + i + 1;
      i += n;
      return v;
    };
    if (a == "--help" || a == "-h") {
      printUsage(stdout);
      exitNow = true;
      return true;
    } else if (a == "--grey" || a == "--gray") {
      o.bits = 8;
    } else if (a == "--colour" || a == "--color") {
      o.bits = 24;
    } else if (a == "--display") {
      o.display = true;
    } else if (a == "--no-display") {
      o.display = false;
    } else if (a == "--no-camera") {
      o.camera = false;
    } else if (a == "--keep-settings") {
      o.setGeometry = false;
    } else if (a == "--applet" || a == "--output") {
      char** v = values(1);
      if (v == nullptr) return refuse("option " + a + " needs a value");
      (a == "--applet" ? o.applet : o.output) = v[0];
    } else if (a == "--port") {
      char** v = values(1);
      if (v == nullptr) return refuse("option --port needs a value");
      if (!toPorts(v[0], o.ports))
        return refuse("bad value " + std::string(v[0]) +
                      " for --port (0, 1 or a comma-separated list of them such as 0,1)");
    } else if (a == "--camera-set") {
      char** v = values(2);
      if (v == nullptr) return refuse("option --camera-set needs a name and a value");
      o.cameraName = v[0];
      o.cameraValue = v[1];
    } else {
      const NumberOption* number = nullptr;
      for (const NumberOption& n : kNumbers) {
        if (a == n.name) number = &n;
      }
      if (number == nullptr) return refuse("unknown option " + a);
      char** v = values(1);
      if (v == nullptr) return refuse("option " + a + " needs a value");
      if (!toInt(v[0], number->low, number->high, o.*(number->field)))
        return refuse("bad value " + std::string(v[0]) + " for " + a + " (a whole number from " +
                      std::to_string(number->low) + " to " + std::to_string(number->high) + ")");
    }
  }
  // Pictures of more than 2 GiB cannot be described to the libraries.
  if (static_cast<long long>(o.width) * o.height * (o.bits / 8) > 0x7fffffffLL - 64) {
    std::fprintf(stderr, "grab: a picture of %dx%d is too large\n", o.width, o.height);
    return false;
  }
  if (o.buffers == 0) o.buffers = defaultBuffers(o);
  return true;
}

int defaultBuffers(const Options& o) {
  // A 32-bit process has 2 GiB of address space for everything.
  const long long kMost = 1024, kLeast = 16, kBytes = (sizeof(void*) == 4 ? 256LL : 512LL) << 20;
  long long n = (static_cast<long long>(o.rate) + 3) / 4;
  n = std::min(n, std::max(1LL, kBytes / std::max(1, pictureSize(o))));
  return static_cast<int>(std::max(kLeast, std::min(kMost, n)));
}

}  // namespace grab
