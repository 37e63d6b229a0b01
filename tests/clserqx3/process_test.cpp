// Several processes on one simulated machine: the multiplexer state shared
// through the named block and mutex, and processes that die while they hold
// them.
#include "child_process.h"
#include "round_trip.h"
#include "serial_fixture.h"

#include "platform/named_objects.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qx::test {
namespace {

class Processes : public SerialTest {
 protected:
  Processes() { sim("board0.design = single_uart.hap\n"); }

  // Starts a peer that serves `index` at 115200 bit/s.
  void serve(ChildProcess& peer, unsigned index) {
    ASSERT_TRUE(peer.start(programFile("clser_peer"),
                           {"serve", std::to_string(index), std::to_string(CL_BAUDRATE_115200)}));
    ASSERT_EQ(peer.readLine(), "open 0");
  }
};

TEST_F(Processes, TwoProcessesAlternateOnPortsAAndB) {
  ChildProcess peerA, peerB;
  serve(peerA, 0);
  serve(peerB, 1);
  constexpr int kTurns = 25;
  for (int turn = 0; turn < kTurns; ++turn) {
    for (int port = 0; port < 2; ++port) {
      ChildProcess& peer = port == 0 ? peerA : peerB;
      const std::string id = port == 0 ? "SIMCAM 0A" : "SIMCAM 0B";
      markJournal("turn " + std::to_string(port));
      peer.writeLine("rt ID?");
      ASSERT_EQ(peer.readLine(), "answer " + id) << "turn " << turn;
      peer.writeLine("rt SET TURN " + std::to_string(turn));
      ASSERT_EQ(peer.readLine(), "answer OK");
      peer.writeLine("rt GET TURN");
      ASSERT_EQ(peer.readLine(), "answer TURN " + std::to_string(turn));
      ASSERT_EQ(slots().at(0), port);
    }
  }
  peerA.writeLine("quit");
  peerB.writeLine("quit");
  EXPECT_EQ(peerA.readLine(), "closed");
  EXPECT_EQ(peerB.readLine(), "closed");
  EXPECT_EQ(peerA.wait(), 0);
  EXPECT_EQ(peerB.wait(), 0);

  // In every turn the first transfer switched the multiplexer, before its
  // bytes went out; the other five transfers of the turn wrote nothing.
  const std::vector<std::string> lines = journal();
  int turns = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("turn ", 0) != 0) continue;
    ++turns;
    const std::string port = lines[i].substr(5);
    std::vector<std::string> segment;
    for (std::size_t j = i + 1; j < lines.size() && lines[j].rfind("turn ", 0) != 0; ++j)
      segment.push_back(lines[j]);
    const std::vector<std::string> writes = matching(segment, "RegisterWrite");
    ASSERT_EQ(writes, std::vector<std::string>{"RegisterWrite(0, AARS232PortSelect, " + port + ")"})
        << "turn " << turns;
    const auto firstSend = std::find_if(segment.begin(), segment.end(), [](const std::string& l) {
      return l.rfind("UIQR_writeBuffer", 0) == 0;
    });
    EXPECT_LT(std::find(segment.begin(), segment.end(), writes[0]), firstSend);
    EXPECT_EQ(matching(segment, "UIQR_writeBuffer").size(), 3u);
  }
  EXPECT_EQ(turns, 2 * kTurns);
  EXPECT_EQ(journal("camera 0A: GET TURN").size(), static_cast<std::size_t>(kTurns));
  EXPECT_EQ(journal("camera 0B: GET TURN").size(), static_cast<std::size_t>(kTurns));
}

#if !defined(_WIN32)
// A child made by fork() without exec shares its parent's open files; it
// must still wait for the parent's transfer like any other process.
TEST_F(Processes, ChildOfForkWaitsForItsParentsTransfer) {
  hSerRef a = open(0);
  int go[2], result[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(result), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char signal = 0;
    if (read(go[0], &signal, 1) != 1) _exit(2);
    // Well inside the parent's read.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    hSerRef b = nullptr;
    const std::string answer =
        clSerialInit(1, &b) == CL_ERR_NO_ERR ? roundTrip(b, "ID?") : "open failed";
    clSerialClose(b);
    _exit(write(result[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size())
              ? 0
              : 3);
  }
  close(go[0]);
  close(result[1]);
  char command[] = "ID?\r";
  CLUINT32 size = 4;
  ASSERT_EQ(clSerialWrite(a, command, &size, 1000), CL_ERR_NO_ERR);
  ASSERT_EQ(write(go[1], "g", 1), 1);
  // The read asks for more than comes, so it lasts its whole time-out.
  char answer[64];
  size = sizeof answer;
  EXPECT_EQ(clSerialRead(a, answer, &size, 2000), CL_ERR_NO_ERR);
  EXPECT_EQ(std::string(answer, size), "SIMCAM 0A\r\n");
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  char got[64];
  const ssize_t n = read(result[0], got, sizeof got);
  EXPECT_EQ(std::string(got, n > 0 ? static_cast<std::size_t>(n) : 0), "SIMCAM 0B");
  close(go[1]);
  close(result[0]);
  clSerialClose(a);
}
#endif

// Transfers of one UART take turns in the order they come: a write beside
// a process that reads over and over waits for the read in progress only,
// not for the reads that the reader asks for after it.
TEST_F(Processes, WriteBesideABusyReaderWaitsForTheReadInProgressOnly) {
  hSerRef b = open(1);
  ChildProcess reader;
  serve(reader, 0);
  reader.writeLine("reads 12 250");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  markJournal("asked");
  char command[] = "ID?\r";
  CLUINT32 size = 4;
  ASSERT_EQ(clSerialWrite(b, command, &size, 100), CL_ERR_NO_ERR);
  EXPECT_EQ(reader.readLine(), "reads done");
  reader.writeLine("quit");
  EXPECT_EQ(reader.readLine(), "closed");
  EXPECT_EQ(reader.wait(), 0);

  EXPECT_TRUE(atMostOneReadBetween("asked", "UIQR_writeBuffer(0, 4, 4"));
  clSerialClose(b);
}

#if !defined(_WIN32)
// The status of clSerialInit(index) in a child process that runs as another
// user (nobody), with `ns` as its namespace of named objects.
int openAsAnotherUser(unsigned index, const std::string& ns) {
  int result[2];
  if (pipe(result) != 0) return 1;
  const pid_t child = fork();
  if (child == 0) {
    setEnv("QUORLEX_IPC_NAMESPACE", ns);
    int status = 1;
    if (setgid(65534) == 0 && setuid(65534) == 0) {
      hSerRef port = nullptr;
      status = clSerialInit(index, &port);
      clSerialClose(port);
    }
    _exit(write(result[1], &status, sizeof status) == sizeof status ? 0 : 3);
  }
  close(result[1]);
  int status = 1;
  if (read(result[0], &status, sizeof status) != sizeof status) status = 2;
  close(result[0]);
  waitpid(child, nullptr, 0);
  return status;
}

// Every local user of the boards shares the named objects, whoever created
// them; where the system still refuses them (objects of another build that
// shut others out), the opening says the port is in use.
TEST_F(Processes, AnotherUsersNamedObjectsAreSharedOrReportedAsInUse) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run a process as another user";
  hSerRef mine = open(0);
  const char* ns = std::getenv("QUORLEX_IPC_NAMESPACE");
  ASSERT_NE(ns, nullptr);
  EXPECT_EQ(openAsAnotherUser(1, ns), CL_ERR_NO_ERR);

  // A mutex object that its creator kept to itself.
  const std::string closed = std::string(ns) + "closed-";
  const std::string name = "/" + closed + "clsermutex";
  const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  fchmod(fd, 0600);
  EXPECT_EQ(openAsAnotherUser(1, closed), CL_ERR_PORT_IN_USE);
  char text[128];
  CLUINT32 size = sizeof text;
  ASSERT_EQ(clGetErrorText(CL_ERR_PORT_IN_USE, text, &size), CL_ERR_NO_ERR);
  EXPECT_NE(std::string(text).find("in use"), std::string::npos) << text;
  close(fd);
  shm_unlink(name.c_str());
  clSerialClose(mine);
}
#endif

TEST_F(Processes, ProcessKilledInsideATransferFreesTheMutex) {
  ChildProcess peer;
  serve(peer, 0);
  // The peer holds the mutex from its selection to the end of its read.
  peer.writeLine("read 60000");
  ASSERT_EQ(peer.readLine(), "reading");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  std::atomic<bool> acquired{false};
  std::thread waiter([&] {
    platform::NamedMutexHandle m = platform::openNamedMutex("clsermutex");
    platform::lockNamedMutex(m);
    acquired = true;
    platform::unlockNamedMutex(m);
    platform::closeNamedMutex(m);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(acquired) << "the peer should hold the mutex during its read";

  peer.kill();
  peer.wait();
  for (int i = 0; i < 1000 && !acquired; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(acquired);
  waiter.join();

  hSerRef b = open(1);
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  clSerialClose(b);
}

// A process killed while it waits in the mutex's queue does not hold up the
// ones behind it.
TEST_F(Processes, ProcessKilledWhileWaitingForTheMutexDoesNotBlockTheOthers) {
  ChildProcess reader, waiter;
  serve(reader, 0);
  serve(waiter, 1);
  reader.writeLine("read 1500");
  ASSERT_EQ(reader.readLine(), "reading");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  waiter.writeLine("rt ID?");  // queues behind the read
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  waiter.kill();
  waiter.wait();

  auto acquired = std::make_shared<std::atomic<bool>>(false);
  std::thread next([acquired] {
    platform::NamedMutexHandle m = platform::openNamedMutex("clsermutex");
    platform::lockNamedMutex(m);
    *acquired = true;
    platform::unlockNamedMutex(m);
    platform::closeNamedMutex(m);
  });
  EXPECT_EQ(reader.readLine(), "read -10004 0");
  // Never, were the dead waiter's place still counted.
  for (int i = 0; i < 1000 && !*acquired; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!*acquired) {
    next.detach();
    FAIL() << "the mutex stays with the dead waiter";
  }
  next.join();
  reader.writeLine("rt ID?");
  EXPECT_EQ(reader.readLine(), "answer SIMCAM 0A");
  reader.writeLine("quit");
  EXPECT_EQ(reader.readLine(), "closed");
  EXPECT_EQ(reader.wait(), 0);
}

TEST_F(Processes, BlockOfAKilledLastUserStartsAgainFromZeros) {
  {
    ChildProcess peer;
    serve(peer, 1);  // slot 0 now shows camera port B
    peer.writeLine("rt ID?");
    ASSERT_EQ(peer.readLine(), "answer SIMCAM 0B");
    peer.kill();
    peer.wait();
  }
  // Were the block still there, the slot would show B and nothing would be
  // written; a first opener forces A, then selects B.
  clearJournal();
  hSerRef b = open(1);
  EXPECT_EQ(journal("RegisterWrite(0, AARS232PortSelect"),
            (std::vector<std::string>{"RegisterWrite(0, AARS232PortSelect, 0)",
                                      "RegisterWrite(0, AARS232PortSelect, 1)"}));
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  clSerialClose(b);
}

// Two processes open, write to and close ports A and B of one UART over and
// over: every opening and write succeeds, and once both have ended the
// shared block is gone, starts again from zeros, and both cameras answer. Ten seconds here;
// QX_SERIAL_STRESS_SECONDS=60 gives the full minute.
TEST_F(Processes, TwoProcessesOpeningAndClosingInALoopKeepTheBlockConsistent) {
  const char* given = std::getenv("QX_SERIAL_STRESS_SECONDS");
  const int seconds = given != nullptr && std::atoi(given) > 0 ? std::atoi(given) : 10;
  ChildProcess a, b;
  const std::string ms = std::to_string(seconds * 1000);
  ASSERT_TRUE(a.start(programFile("clser_peer"), {"cycle", "0", ms}));
  ASSERT_TRUE(b.start(programFile("clser_peer"), {"cycle", "1", ms}));
  for (ChildProcess* peer : {&a, &b}) {
    const std::string line = peer->readLine();
    unsigned cycles = 0, failed = 1;
    ASSERT_EQ(std::sscanf(line.c_str(), "cycles %u failed %u", &cycles, &failed), 2) << line;
    EXPECT_GT(cycles, 0u);
    EXPECT_EQ(failed, 0u) << line;
    EXPECT_EQ(peer->wait(), 0);
  }
  EXPECT_TRUE(slots().empty()) << "no port is open, so no block is left";
  clearJournal();
  hSerRef portB = open(1);
  EXPECT_EQ(journal("RegisterWrite(0, AARS232PortSelect"),
            (std::vector<std::string>{"RegisterWrite(0, AARS232PortSelect, 0)",
                                      "RegisterWrite(0, AARS232PortSelect, 1)"}))
      << "a new first opener finds a fresh block";
  hSerRef portA = open(0);
  clFlushPort(portA);  // answers to the last commands of the loop
  EXPECT_EQ(roundTrip(portA, "ID?"), "SIMCAM 0A");
  EXPECT_EQ(roundTrip(portB, "ID?"), "SIMCAM 0B");
  clSerialClose(portA);
  clSerialClose(portB);
}

TEST_F(Processes, WithoutTheBoardRuntimeThereAreNoPorts) {
  // A copy of a client and the library in a folder without the runtime.
  const std::string folder = dir().file("noruntime");
  ASSERT_TRUE(makeDir(folder));
  const std::string sep(1, pathSeparator());
#if defined(_WIN32)
  const std::string library = "clserqx3.dll";
  const std::string program = "clser_peer.exe";
#else
  // The program asks for the library by its soname.
  const std::string library = "libclserqx3.so.1";
  const std::string program = "clser_peer";
#endif
  ASSERT_TRUE(copyFile(binDir() + sep + library, folder + sep + library));
  ASSERT_TRUE(copyFile(programFile("clser_peer"), folder + sep + program));
  makeExecutable(folder + sep + program);
  ChildProcess peer;
  ASSERT_TRUE(peer.start(folder + sep + program, {"noruntime"}));
  EXPECT_EQ(peer.readLine(), "ports 0 init -1 -1 -1 -1 -1 -1 -1 -1");
  EXPECT_EQ(peer.wait(), 0);
}

TEST_F(Processes, TerminalToolTalksToTheCameras) {
  ChildProcess tool;
  ASSERT_TRUE(tool.start(programFile("clser_term"),
                         {"1", "--rate", "115200", "ID?", "SET X 1", "GET X", "BOGUS"}));
  EXPECT_EQ(tool.readLine(), "SIMCAM 0B");
  EXPECT_EQ(tool.readLine(), "OK");
  EXPECT_EQ(tool.readLine(), "X 1");
  EXPECT_EQ(tool.readLine(), "ERR");
  EXPECT_EQ(tool.wait(), 0);

  ChildProcess typed;
  ASSERT_TRUE(typed.start(programFile("clser_term"), {"0"}));
  typed.writeLine("ID?");
  EXPECT_EQ(typed.readLine(), "SIMCAM 0A");
  typed.writeLine("quit");
  EXPECT_EQ(typed.wait(), 0);

  ChildProcess list;
  ASSERT_TRUE(list.start(programFile("clser_term"), {"--list"}));
  EXPECT_EQ(list.readLine(), "2 serial port(s)");
  EXPECT_EQ(list.readLine(), "0: corv0 (board 0, camera port A)");
  EXPECT_EQ(list.readLine(), "1: corv1 (board 0, camera port B)");
  EXPECT_EQ(list.wait(), 0);

  ChildProcess absent;
  ASSERT_TRUE(absent.start(programFile("clser_term"), {"2", "ID?"}));
  EXPECT_EQ(absent.wait(), 1);
}

// The terminal tool's command line, as a camera engineer gets it wrong: no
// value, a value that is not a number or not allowed, an index out of range.
// Each is named on the error output and ends the tool with status 2 before
// anything reaches a camera.
TEST_F(Processes, TerminalToolNamesWhatIsWrongWithItsCommandLine) {
  ChildProcess help;
  ASSERT_TRUE(help.start(programFile("clser_term"), {"--help"}));
  std::string text;
  for (int i = 0; i < 20; ++i) text += help.readLine() + "\n";  // past its end: empty lines
  EXPECT_EQ(help.wait(), 0);
  EXPECT_EQ(text.rfind("usage: clser_term", 0), 0u) << text;
  EXPECT_NE(text.find("--rate <bit/s>   9600, 19200, 38400, 57600 or 115200 (default 9600)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("(default 500)"), std::string::npos) << text;

  const struct {
    std::vector<std::string> args;
    const char* message;
  } wrong[] = {
      {{"0", "--rate"}, "clser_term: --rate needs a value"},
      {{"0", "ID?", "--timeout"}, "clser_term: --timeout needs a value"},
      {{"0", "--rate", "fast", "ID?"},
       "clser_term: --rate \"fast\" is not one of 9600, 19200, "
       "38400, 57600, 115200"},
      {{"0", "--rate", "12345"},
       "clser_term: --rate \"12345\" is not one of 9600, 19200, "
       "38400, 57600, 115200"},
      {{"0", "--timeout", "soon", "ID?"},
       "clser_term: --timeout \"soon\" is not a number of milliseconds"},
      {{"0", "--timeout", "-5"}, "clser_term: --timeout \"-5\" is not a number of milliseconds"},
      {{"8", "ID?"}, "clser_term: port index \"8\" is not a number from 0 to 7"},
      {{"one", "ID?"}, "clser_term: port index \"one\" is not a number from 0 to 7"},
      {{"0", "--baud", "9600"}, "clser_term: unknown option --baud"},
  };
  for (const auto& w : wrong) {
    ChildProcess tool;
    ASSERT_TRUE(tool.start(programFile("clser_term"), w.args, true));
    EXPECT_EQ(tool.readLine(), w.message);
    EXPECT_EQ(tool.readLine().rfind("usage: clser_term", 0), 0u);
    EXPECT_EQ(tool.wait(), 2) << w.message;
  }
  EXPECT_TRUE(journal("camera").empty()) << "nothing reached a camera";
  EXPECT_TRUE(journal("initialize_multiquorlex").empty()) << "no board was opened";

  // A command that gets no answer makes the exit status non-zero; the
  // answered ones are printed all the same.
  sim("board0.design = single_uart.hap\nboard0.plxclk = 0\n");
  ChildProcess silent;
  ASSERT_TRUE(silent.start(programFile("clser_term"), {"0", "--timeout", "50", "ID?"}));
  EXPECT_EQ(silent.readLine(), "(no answer)");
  EXPECT_EQ(silent.wait(), 1);
}

}  // namespace
}  // namespace qx::test
