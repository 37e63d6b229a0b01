// How long a serial write waits beside a reader that keeps one UART busy.
//
//   clser_bench [writes] [read ms] [threads|processes|both]
//   clser_bench --round-trips [count]
//
// On the simulated runtime's single-UART design, camera port A is read over
// and over with `read ms` time-outs (the camera sends nothing, so every read
// lasts its whole time-out and holds the UART's turn meanwhile), by a
// thread of this process or by a second process. Camera port B then sends a
// 4-byte command `writes` times, each at a random moment, with a 100 ms
// time-out, and the time each clSerialWrite takes is measured. A write that
// gets the UART in arrival order waits at most for the one read in progress,
// so the figure to hold the waits against is the read's time-out; the
// write's own cost is measured alone first.
//
// With --round-trips, two processes instead send "ID?" on ports A and B of
// the UART `count` times each and read the answer line, both at once and
// without taking turns, and the answers are counted: whole (from the
// process's own camera), with the other camera's answer, or lost.
#include <quorlex/clserqx3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void setEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

int processId() {
#if defined(_WIN32)
  return static_cast<int>(GetCurrentProcessId());
#else
  return static_cast<int>(getpid());
#endif
}

// Reads port A over and over until `stop` is set or the file `stopFile`
// exists.
void readLoop(hSerRef port, unsigned readMs, const std::atomic<bool>* stop,
              const std::string& stopFile) {
  while ((stop == nullptr || !*stop) && (stopFile.empty() || !std::filesystem::exists(stopFile))) {
    char buffer[64];
    CLUINT32 size = sizeof buffer;
    clSerialRead(port, buffer, &size, readMs);
  }
}

// The child of the processes run.
int reader(unsigned readMs, const std::string& stopFile) {
  hSerRef a = nullptr;
  if (clSerialInit(0, &a) != CL_ERR_NO_ERR) return 1;
  readLoop(a, readMs, nullptr, stopFile);
  clSerialClose(a);
  return 0;
}

struct Child {
#if defined(_WIN32)
  HANDLE process = nullptr;
#else
  pid_t pid = -1;
#endif
};

// Starts this program again with `args`.
Child startSelf(const char* self, const std::vector<std::string>& args) {
  Child child;
#if defined(_WIN32)
  (void)self;  // the module's own path is surer than argv[0]
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string command = "\"" + std::string(path) + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(path, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    CloseHandle(info.hThread);
    child.process = info.hProcess;
  }
#else
  std::vector<char*> argv = {const_cast<char*>(self)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  if (posix_spawn(&child.pid, self, nullptr, nullptr, argv.data(), environ) != 0) child.pid = -1;
#endif
  return child;
}

bool started(const Child& child) {
#if defined(_WIN32)
  return child.process != nullptr;
#else
  return child.pid > 0;
#endif
}

void waitFor(Child& child) {
#if defined(_WIN32)
  WaitForSingleObject(child.process, INFINITE);
  CloseHandle(child.process);
#else
  int status = 0;
  waitpid(child.pid, &status, 0);
#endif
}

// One command and its answer line, the answer read byte by byte as its
// length is not known; empty when nothing came.
std::string roundTrip(hSerRef port, const char* command) {
  std::string text = std::string(command) + "\r";
  CLUINT32 size = static_cast<CLUINT32>(text.size());
  clSerialWrite(port, text.data(), &size, 500);
  std::string answer;
  while (answer.empty() || answer.back() != '\n') {
    char byte = 0;
    size = 1;
    if (clSerialRead(port, &byte, &size, 500) != CL_ERR_NO_ERR || size != 1) break;
    answer.push_back(byte);
  }
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  return answer;
}

// The child of the round-trip run: `count` round trips on one port, as fast
// as they go; the tally goes to `resultFile` as "whole other lost".
int roundTrips(unsigned index, unsigned count, const std::string& resultFile) {
  hSerRef port = nullptr;
  if (clSerialInit(index, &port) != CL_ERR_NO_ERR) return 1;
  const std::string mine = index % 2 == 0 ? "SIMCAM 0A" : "SIMCAM 0B";
  const std::string theirs = index % 2 == 0 ? "SIMCAM 0B" : "SIMCAM 0A";
  unsigned whole = 0, other = 0, lost = 0;
  for (unsigned i = 0; i < count; ++i) {
    const std::string answer = roundTrip(port, "ID?");
    if (answer == mine)
      ++whole;
    else if (answer.find(theirs) != std::string::npos)
      ++other;
    else
      ++lost;
  }
  clSerialClose(port);
  std::ofstream(resultFile) << whole << " " << other << " " << lost << "\n";
  return 0;
}

double writeOnce(hSerRef port) {
  char command[] = "ID?\r";
  CLUINT32 size = 4;
  const auto start = Clock::now();
  clSerialWrite(port, command, &size, 100);
  return msSince(start);
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

void report(const char* mode, unsigned readMs, const std::vector<double>& waits) {
  const double median = percentile(waits, 0.5);
  const double p90 = percentile(waits, 0.9);
  const double worst = percentile(waits, 1.0);
  std::printf("%-9s %7u %6zu %9.2f %9.2f %9.2f %9.2f\n", mode, readMs, waits.size(), median, p90,
              worst, worst / readMs);
  std::fflush(stdout);
}

// The waits of `writes` writes on port B at random moments while port A is
// kept busy.
std::vector<double> measure(hSerRef b, unsigned writes, unsigned readMs, std::mt19937& random) {
  std::uniform_int_distribution<unsigned> pause(0, readMs);
  std::vector<double> waits;
  for (unsigned i = 0; i < writes; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
    waits.push_back(writeOnce(b));
  }
  return waits;
}

}  // namespace

// Two processes, one on each camera port of the UART, each doing `count`
// round trips at the same time without taking turns.
int unpacedRoundTrips(const char* self, const std::string& tag, unsigned count) {
  namespace fs = std::filesystem;
  std::printf("%-9s %6s %6s %6s %6s\n", "port", "trips", "whole", "other", "lost");
  Child children[2];
  std::string results[2];
  for (int port = 0; port < 2; ++port) {
    results[port] = (fs::temp_directory_path() / (tag + "-rt" + std::to_string(port))).string();
    children[port] =
        startSelf(self, {"roundtrips", std::to_string(port), std::to_string(count), results[port]});
    if (!started(children[port])) return 1;
  }
  for (int port = 0; port < 2; ++port) {
    waitFor(children[port]);
    unsigned whole = 0, other = 0, lost = 0;
    std::ifstream(results[port]) >> whole >> other >> lost;
    std::printf("%-9s %6u %6u %6u %6u\n", port == 0 ? "A" : "B", count, whole, other, lost);
    std::error_code ignored;
    fs::remove(results[port], ignored);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "reader") == 0)
    return reader(static_cast<unsigned>(std::atoi(argv[2])), argv[3]);
  if (argc >= 5 && std::strcmp(argv[1], "roundtrips") == 0)
    return roundTrips(static_cast<unsigned>(std::atoi(argv[2])),
                      static_cast<unsigned>(std::atoi(argv[3])), argv[4]);
  const bool roundTripRun = argc >= 2 && std::strcmp(argv[1], "--round-trips") == 0;
  const int first = roundTripRun ? 2 : 1;
  const unsigned writes = argc > first ? static_cast<unsigned>(std::atoi(argv[first])) : 20;
  const unsigned readMs = argc > first + 1 ? static_cast<unsigned>(std::atoi(argv[2])) : 1000;
  const std::string mode = argc > first + 2 ? argv[3] : "both";
  if (writes == 0 || readMs == 0) {
    std::fprintf(stderr,
                 "usage: clser_bench [writes] [read ms] [threads|processes|both]\n"
                 "       clser_bench --round-trips [count]\n");
    return 2;
  }

  // A simulated machine and named objects of our own.
  namespace fs = std::filesystem;
  const std::string tag = "clser_bench-" + std::to_string(processId());
  const fs::path config = fs::temp_directory_path() / (tag + ".cfg");
  std::ofstream(config) << "board0.design = single_uart.hap\n";
  setEnv("QUORLEX_SIM", config.string());
  setEnv("QUORLEX_IPC_NAMESPACE", tag + "-");
  if (roundTripRun) {
    const int status = unpacedRoundTrips(argv[0], tag, writes);
    std::error_code ignored;
    fs::remove(config, ignored);
    return status;
  }

  hSerRef b = nullptr;
  if (clSerialInit(1, &b) != CL_ERR_NO_ERR) {
    std::fprintf(stderr, "cannot open the simulated port 1\n");
    return 1;
  }
  std::mt19937 random(12345);
  std::printf("%-9s %7s %6s %9s %9s %9s %9s\n", "reader", "read ms", "writes", "median ms",
              "p90 ms", "max ms", "max/read");
  report("none", readMs, measure(b, writes, 0, random));

  if (mode == "threads" || mode == "both") {
    hSerRef a = nullptr;
    clSerialInit(0, &a);
    std::atomic<bool> stop{false};
    std::thread busy(readLoop, a, readMs, &stop, std::string());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::vector<double> waits = measure(b, writes, readMs, random);
    stop = true;
    busy.join();
    clSerialClose(a);
    report("thread", readMs, waits);
  }
  if (mode == "processes" || mode == "both") {
    const std::string stopFile = (fs::temp_directory_path() / (tag + ".stop")).string();
    Child child = startSelf(argv[0], {"reader", std::to_string(readMs), stopFile});
    if (!started(child)) {
      std::fprintf(stderr, "cannot start the reader process\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<double> waits = measure(b, writes, readMs, random);
    std::ofstream(stopFile) << "stop\n";
    waitFor(child);
    report("process", readMs, waits);
    std::error_code ignored;
    fs::remove(stopFile, ignored);
  }
  clSerialClose(b);
  std::error_code ignored;
  fs::remove(config, ignored);
  return 0;
}
