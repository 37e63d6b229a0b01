// Reads and writes: the pieces handed to the runtime, the channels, the
// results, and the answers of the simulated cameras.
#include "round_trip.h"
#include "serial_fixture.h"

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "platform/named_objects.h"

namespace qx::test {
namespace {

using Transfer = SerialTest;

TEST_F(Transfer, LongWritesGoInPiecesOf32Bytes) {
  hSerRef port = open(0);
  std::string data(100, 'x');  // no line end: the camera stays quiet
  struct Case {
    CLUINT32 count;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {33, {"UIQR_writeBuffer(0, 4, 32, 50) = 32", "UIQR_writeBuffer(0, 4, 1, 50) = 1"}},
      {64, {"UIQR_writeBuffer(0, 4, 32, 50) = 32", "UIQR_writeBuffer(0, 4, 32, 50) = 32"}},
      {32, {"UIQR_writeBuffer(0, 4, 32, 50) = 32"}},
      {0, {"UIQR_writeBuffer(0, 4, 0, 50) = 0"}},
      {97,
       {"UIQR_writeBuffer(0, 4, 32, 50) = 32", "UIQR_writeBuffer(0, 4, 32, 50) = 32",
        "UIQR_writeBuffer(0, 4, 32, 50) = 32", "UIQR_writeBuffer(0, 4, 1, 50) = 1"}},
  };
  for (const Case& c : cases) {
    clearJournal();
    CLUINT32 size = c.count;
    EXPECT_EQ(clSerialWrite(port, data.data(), &size, 50), CL_ERR_NO_ERR);
    EXPECT_EQ(size, c.count);
    EXPECT_EQ(journal("UIQR_writeBuffer"), c.calls) << c.count;
  }
  clSerialClose(port);
}

TEST_F(Transfer, SingleWritePassesTheRuntimeResultOn) {
  // A design whose UART lacks its enable register: the runtime refuses
  // every write with -1.
  sim("board0.design = stopped.hap\ndesign.stopped.hap = AARS232Baud AARS232Enable2\n");
  hSerRef port = nullptr;
  ASSERT_EQ(clSerialInit(0, &port), CL_ERR_NO_ERR);
  char data[40] = "ID?\r";
  CLUINT32 size = 4;
  EXPECT_EQ(clSerialWrite(port, data, &size, 10), CL_ERR_NO_ERR);
  EXPECT_EQ(size, 0xFFFFFFFFu);  // the runtime's -1, unchanged
  size = 40;
  EXPECT_EQ(clSerialWrite(port, data, &size, 10), CL_ERR_NO_ERR);
  EXPECT_EQ(size, 40u);  // pieces are not examined
  clSerialClose(port);
}

TEST_F(Transfer, ReadTimeOutGivesNoBytes) {
  hSerRef port = open(0);
  clearJournal();
  char buffer[16];
  CLUINT32 size = sizeof buffer;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(clSerialRead(port, buffer, &size, 30), CL_ERR_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
  EXPECT_EQ(size, 0u);
  // The time-out reaches the runtime unchanged.
  EXPECT_EQ(journal("UIQR_readBuffer"),
            std::vector<std::string>{"UIQR_readBuffer(0, 1, 16, 30) = -1"});
  clSerialClose(port);
}

// A board that disappears between two calls: the runtime fails every call,
// and the port reports that as it reports any failing transfer, with no
// bytes, and still closes; the camera that answered before is not heard.
TEST_F(Transfer, BoardThatDisappearsBetweenTwoCallsFailsItsTransfersAndStillCloses) {
  hSerRef port = open(0);
  ASSERT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  removeBoard(0);
  char data[8] = "ID?\r";
  CLUINT32 size = 4;
  EXPECT_EQ(clSerialWrite(port, data, &size, 10), CL_ERR_NO_ERR);
  EXPECT_EQ(size, 0xFFFFFFFFu) << "the runtime's -1, unchanged";
  char buffer[16];
  size = sizeof buffer;
  EXPECT_EQ(clSerialRead(port, buffer, &size, 20), CL_ERR_TIMEOUT);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(roundTrip(port, "ID?", 20), "timeout");
  clSerialClose(port);
  EXPECT_TRUE(slots().empty());
}

TEST_F(Transfer, CamerasAnswerOnBothPortsOfADualUartDesign) {
  hSerRef a = open(0);
  hSerRef b = open(1);
  EXPECT_EQ(roundTrip(a, "ID?"), "SIMCAM 0A");
  clearJournal();
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  EXPECT_EQ(roundTrip(b, "SET GAIN 12"), "OK");
  EXPECT_EQ(roundTrip(b, "GET GAIN"), "GAIN 12");
  EXPECT_EQ(roundTrip(a, "GET GAIN"), "ERR");
  EXPECT_EQ(roundTrip(b, "FOCUS"), "ERR");
  for (const std::string& line : journal("UIQR_")) {
    if (line.find("(0, 5,") != std::string::npos || line.find("(0, 2,") != std::string::npos)
      continue;
    // Port A's calls come last in this run.
    EXPECT_TRUE(line.find("(0, 4,") != std::string::npos ||
                line.find("(0, 1,") != std::string::npos)
        << line;
  }
  EXPECT_FALSE(journal("UIQR_writeBuffer(0, 5,").empty());
  EXPECT_FALSE(journal("UIQR_readBuffer(0, 2,").empty());
  clSerialClose(a);
  clSerialClose(b);
}

TEST_F(Transfer, BytesWaitingAreCountedOnTheReadChannel) {
  for (const char* design : {"dual_uart.hap", "single_uart.hap"}) {
    SCOPED_TRACE(design);
    runDesign(0, design);
    hSerRef port = open(1);
    char command[] = "ID?\r";
    CLUINT32 size = 4;
    ASSERT_EQ(clSerialWrite(port, command, &size, 100), CL_ERR_NO_ERR);
    CLUINT32 waiting = 0;
    for (int i = 0; i < 500 && waiting < 11; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ASSERT_EQ(clGetNumBytesAvail(port, &waiting), CL_ERR_NO_ERR);
    }
    EXPECT_EQ(waiting, 11u);  // "SIMCAM 0B\r\n"
    const int channel = std::string(design) == "dual_uart.hap" ? 2 : 1;
    EXPECT_FALSE(journal("UIQR_getNrOfWords(0, " + std::to_string(channel) + ")").empty());
    char answer[32];
    size = sizeof answer;
    EXPECT_EQ(clSerialRead(port, answer, &size, 100), CL_ERR_NO_ERR);
    EXPECT_EQ(std::string(answer, size), "SIMCAM 0B\r\n");
    clSerialClose(port);
    clearJournal();
  }
}

TEST_F(Transfer, FlushDiscardsWaitingAnswers) {
  hSerRef port = open(0);
  char command[] = "ID?\r";
  CLUINT32 size = 4;
  ASSERT_EQ(clSerialWrite(port, command, &size, 100), CL_ERR_NO_ERR);
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  clearJournal();
  EXPECT_EQ(clFlushPort(port), CL_ERR_NO_ERR);
  EXPECT_EQ(journal("UIQR_clearBuffer"),
            (std::vector<std::string>{"UIQR_clearBuffer(0, 1)", "UIQR_clearBuffer(0, 4)"}));
  CLUINT32 waiting = 99;
  EXPECT_EQ(clGetNumBytesAvail(port, &waiting), CL_ERR_NO_ERR);
  EXPECT_EQ(waiting, 0u);
  clSerialClose(port);
}

TEST_F(Transfer, DualUartTransfersNeedNeitherMutexNorSlots) {
  hSerRef b = open(1);
  EXPECT_TRUE(journal("RegisterWrite(0, AARS232").empty());
  EXPECT_EQ(journal("RegisterWrite(0, ABRS232Baud"),
            std::vector<std::string>(2, "RegisterWrite(0, ABRS232Baud, 6250)"));
  // Another thread owns the mutex and a slot holds a value no selection
  // would write: transfers go on and leave both alone.
  platform::SharedBlockHandle block = platform::openSharedBlock("clsersharedmem", 32, nullptr);
  auto* slots = static_cast<std::int32_t*>(platform::sharedBlockView(block));
  slots[0] = 7;
  std::promise<void> locked;
  std::promise<void> done;
  std::thread holder([&] {
    platform::NamedMutexHandle m = platform::openNamedMutex("clsermutex");
    platform::lockNamedMutex(m);
    locked.set_value();
    done.get_future().wait();
    platform::unlockNamedMutex(m);
    platform::closeNamedMutex(m);
  });
  locked.get_future().wait();
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  done.set_value();
  holder.join();
  EXPECT_EQ(slots[0], 7);
  EXPECT_TRUE(journal("RegisterWrite(0, AARS232PortSelect").empty());
  platform::closeSharedBlock(block);
  clSerialClose(b);
}

}  // namespace
}  // namespace qx::test
