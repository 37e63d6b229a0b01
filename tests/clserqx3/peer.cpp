// Helper process of the serial library's tests: another application on the
// same machine. "serve <index> [rate bit]" opens a port and then obeys
// lines on its standard input:
//   "rt <command>"  one round trip; prints "answer <text>"
//   "read <ms>"     prints "reading", then reads with that time-out and
//                   prints "read <status> <bytes>"
//   "reads <n> <ms>" reads n times with that time-out, one read after the
//                   other, then prints "reads done"
//   "quit"          closes the port and ends
// "cycle <index> <ms>" opens the port, sends the camera one command and
// closes the port again, over and over for that long; then prints
// "cycles <count> failed <openings or writes that failed>". (Answers are not
// read: on the two ports of one UART, another process may switch the
// multiplexer between a command and its answer.)
// "noruntime" prints the port count and the opening status of indices 0 to
// 7, for a copy of this program that lies where no board runtime is.
#include <quorlex/clserqx3.h>
#include "round_trip.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

int serve(unsigned index, unsigned rateBit) {
  hSerRef port = nullptr;
  int status = clSerialInit(index, &port);
  if (status == CL_ERR_NO_ERR && rateBit != 0) status = clSetBaudRate(port, rateBit);
  say("open " + std::to_string(status));
  if (status != CL_ERR_NO_ERR) return 1;
  char line[256];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    std::string command = line;
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
      command.pop_back();
    if (command.rfind("rt ", 0) == 0) {
      say("answer " + qx::test::roundTrip(port, command.substr(3)));
    } else if (command.rfind("read ", 0) == 0) {
      say("reading");
      char buffer[64];
      CLUINT32 size = sizeof buffer;
      const int r =
          clSerialRead(port, buffer, &size, static_cast<CLUINT32>(std::atoi(command.c_str() + 5)));
      say("read " + std::to_string(r) + " " + std::to_string(size));
    } else if (command.rfind("reads ", 0) == 0) {
      int count = 0, timeout = 0;
      std::sscanf(command.c_str() + 6, "%d %d", &count, &timeout);
      for (int i = 0; i < count; ++i) {
        char buffer[64];
        CLUINT32 size = sizeof buffer;
        clSerialRead(port, buffer, &size, static_cast<CLUINT32>(timeout));
      }
      say("reads done");
    } else if (command == "quit") {
      break;
    }
  }
  clSerialClose(port);
  say("closed");
  return 0;
}

int cycle(unsigned index, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  int count = 0, failed = 0;
  while (std::chrono::steady_clock::now() < end) {
    ++count;
    hSerRef port = nullptr;
    if (clSerialInit(index, &port) != CL_ERR_NO_ERR) {
      ++failed;
      continue;
    }
    char command[] = "ID?\r";
    CLUINT32 size = 4;
    if (clSerialWrite(port, command, &size, 1000) != CL_ERR_NO_ERR || size != 4) ++failed;
    clSerialClose(port);
  }
  say("cycles " + std::to_string(count) + " failed " + std::to_string(failed));
  return 0;
}

int noRuntime() {
  CLUINT32 ports = 99;
  clGetNumSerialPorts(&ports);
  std::string line = "ports " + std::to_string(ports) + " init";
  for (unsigned i = 0; i < 8; ++i) {
    hSerRef port = reinterpret_cast<hSerRef>(&ports);
    line += " " + std::to_string(clSerialInit(i, &port));
    if (port != reinterpret_cast<hSerRef>(&ports)) line += "(ref changed)";
  }
  say(line);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "serve") == 0)
    return serve(static_cast<unsigned>(std::atoi(argv[2])),
                 argc >= 4 ? static_cast<unsigned>(std::atoi(argv[3])) : 0);
  if (argc >= 4 && std::strcmp(argv[1], "cycle") == 0)
    return cycle(static_cast<unsigned>(std::atoi(argv[2])), std::atoi(argv[3]));
  if (argc >= 2 && std::strcmp(argv[1], "noruntime") == 0) return noRuntime();
  std::fprintf(stderr,
               "usage: clser_peer serve <index> [rate bit] | cycle <index> <ms> | noruntime\n");
  return 2;
}
