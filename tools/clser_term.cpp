// A small Camera Link terminal: opens a serial port by index and exchanges
// command lines with the camera on it.
//
//   clser_term --list
//   clser_term <index> [--rate <bit/s>] [--timeout <ms>] [command ...]
//
// With commands on the command line each is sent in turn (ended with "\r")
// and the camera's answer printed; without, lines typed on the standard
// input are sent until its end or a line "quit".
#include "clserqx3.h"

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

// Sends one command and prints what comes back until a line end or a quiet
// time-out.
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
  if (answer.empty()) {
    std::printf("(no answer)\n");
  } else {
    std::printf("%s\n", answer.c_str());
  }
  std::fflush(stdout);
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: clser_term --list\n"
               "       clser_term <index> [--rate <bit/s>] [--timeout <ms>] [command ...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  if (std::strcmp(argv[1], "--list") == 0) return list();
  char* end = nullptr;
  const unsigned long index = std::strtoul(argv[1], &end, 10);
  if (*end != '\0') return usage();
  long rate = 0;
  CLUINT32 timeoutMs = 500;
  std::vector<std::string> commands;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rate") == 0 && i + 1 < argc) {
      rate = std::strtol(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      timeoutMs = static_cast<CLUINT32>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      commands.push_back(argv[i]);
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
  bool ok = true;
  if (!commands.empty()) {
    for (const std::string& c : commands) ok = exchange(port, c, timeoutMs) && ok;
  } else {
    char line[512];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
      std::string command = line;
      while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
        command.pop_back();
      if (command == "quit") break;
      if (!command.empty()) ok = exchange(port, command, timeoutMs) && ok;
    }
  }
  clSerialClose(port);
  return ok ? 0 : 1;
}
