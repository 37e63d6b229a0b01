// A small Camera Link terminal: opens a serial port by index and exchanges
// command lines with the camera on it.
//
//   clser_term --list
//   clser_term <index> [--rate <bit/s>] [--timeout <ms>] [command ...]
//   clser_term --help
//
// With commands on the command line each is sent in turn (ended with "\r")
// and the camera's answer printed; without, lines typed on the standard
// input are sent until its end or a line "quit".
#include <quorlex/clserqx3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string errorText(int status) {
  char text[256];
  CLUINT32 size = sizeof text;
  if (clGetErrorText(status, text, &size) != CL_ERR_NO_ERR)
    return "status " + std::to_string(status);
  return text;
}

CLUINT32 rateBit(long rate) {
  switch (rate) {
    case 9600: return CL_BAUDRATE_9600;
    case 19200: return CL_BAUDRATE_19200;
    case 38400: return CL_BAUDRATE_38400;
    case 57600: return CL_BAUDRATE_57600;
    case 115200: return CL_BAUDRATE_115200;
    case 230400: return CL_BAUDRATE_230400;
    case 460800: return CL_BAUDRATE_460800;
    case 921600: return CL_BAUDRATE_921600;
    default: return 0;
  }
}

int list() {
  CLUINT32 ports = 0;
  clGetNumSerialPorts(&ports);
  std::printf("%u serial port(s)\n", ports);
  for (CLUINT32 i = 0; i < ports; ++i) {
    char id[16];
    CLUINT32 size = sizeof id;
    if (clGetSerialPortIdentifier(i, id, &size) == CL_ERR_NO_ERR)
      std::printf("%u: %s (board %u, camera port %c)\n", i, id, i / 2, i % 2 == 0 ? 'A' : 'B');
  }
  return 0;
}

constexpr long kDefaultRate = 9600;  // the rate of a newly opened port
constexpr unsigned long kDefaultTimeoutMs = 500;
constexpr unsigned long kMaxIndex = 7;

// Sends one command and prints what comes back until a line end or a quiet
// time-out. False when the command could not be sent or got no answer.
bool exchange(hSerRef port, const std::string& command, CLUINT32 timeoutMs) {
  std::string text = command + "\r";
  CLUINT32 size = static_cast<CLUINT32>(text.size());
  const int status = clSerialWrite(port, text.data(), &size, timeoutMs);
  if (status != CL_ERR_NO_ERR) {
    std::fprintf(stderr, "write failed: %s\n", errorText(status).c_str());
    return false;
  }
  std::string answer;
  // The answer's length is not known: it is read a byte at a time.
  while (answer.empty() || answer.back() != '\n') {
    char byte = 0;
    size = 1;
    if (clSerialRead(port, &byte, &size, timeoutMs) != CL_ERR_NO_ERR || size == 0) break;
    answer.push_back(byte);
  }
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  const bool answered = !answer.empty();
  std::printf("%s\n", answered ? answer.c_str() : "(no answer)");
  std::fflush(stdout);
  return answered;
}

void printUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: clser_term --list\n"
               "       clser_term <index> [--rate <bit/s>] [--timeout <ms>] [command ...]\n"
               "       clser_term --help\n"
               "\n"
               "Opens serial port <index> (0 to %lu: 2 x board + camera port, 0 = A, 1 = B)\n"
               "and sends each command with \"\\r\", printing the camera's answer line.\n"
               "Without commands, lines typed on standard input are sent until \"quit\".\n"
               "\n"
               "  --list           the serial ports of the boards present\n"
               "  --rate <bit/s>   9600, 19200, 38400, 57600 or 115200 (default %ld)\n"
               "  --timeout <ms>   how long to wait for each byte of an answer (default %lu)\n"
               "\n"
               "Exit status: 0 when every command was answered, 1 when the port cannot be\n"
               "opened or a command got no answer, 2 for a wrong command line.\n",
               kMaxIndex, kDefaultRate, kDefaultTimeoutMs);
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "clser_term: %s\n", message.c_str());
  printUsage(stderr);
  return 2;
}

// A whole decimal number without sign; false for anything else.
bool parseNumber(const char* text, unsigned long max, unsigned long& value) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoul(text, &end, 10);
  return errno == 0 && *end == '\0' && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usageError("no port index given");
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      printUsage(stdout);
      return 0;
    }
  }
  if (std::strcmp(argv[1], "--list") == 0) return list();
  unsigned long index = 0;
  if (!parseNumber(argv[1], kMaxIndex, index))
    return usageError(std::string("port index \"") + argv[1] + "\" is not a number from 0 to " +
                      std::to_string(kMaxIndex));
  long rate = 0;
  unsigned long timeoutMs = kDefaultTimeoutMs;
  std::vector<std::string> commands;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--rate" || option == "--timeout") {
      if (i + 1 >= argc) return usageError(option + " needs a value");
      const char* value = argv[++i];
      unsigned long number = 0;
      if (option == "--rate") {
        if (!parseNumber(value, 1000000000ul, number) || rateBit(static_cast<long>(number)) == 0 ||
            rateBit(static_cast<long>(number)) > CL_BAUDRATE_115200)
          return usageError("--rate \"" + std::string(value) +
                            "\" is not one of 9600, 19200, 38400, 57600, 115200");
        rate = static_cast<long>(number);
      } else {
        if (!parseNumber(value, 0xFFFFFFFFul, number))
          return usageError("--timeout \"" + std::string(value) +
                            "\" is not a number of milliseconds");
        timeoutMs = number;
      }
    } else if (option.rfind("--", 0) == 0) {
      return usageError("unknown option " + option);
    } else {
      commands.push_back(option);
    }
  }

  hSerRef port = nullptr;
  int status = clSerialInit(static_cast<CLUINT32>(index), &port);
  if (status != CL_ERR_NO_ERR) {
    std::fprintf(stderr, "cannot open port %lu: %s\n", index, errorText(status).c_str());
    return 1;
  }
  if (rate != 0) {
    status = clSetBaudRate(port, rateBit(rate));
    if (status != CL_ERR_NO_ERR) {
      std::fprintf(stderr, "rate %ld: %s\n", rate, errorText(status).c_str());
      clSerialClose(port);
      return 1;
    }
  }
  const auto timeout = static_cast<CLUINT32>(timeoutMs);
  bool ok = true;
  if (!commands.empty()) {
    for (const std::string& c : commands) ok = exchange(port, c, timeout) && ok;
  } else {
    char line[512];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
      std::string command = line;
      while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
        command.pop_back();
      if (command == "quit") break;
      if (!command.empty()) ok = exchange(port, command, timeout) && ok;
    }
  }
  clSerialClose(port);
  return ok ? 0 : 1;
}
