// The camera-port multiplexer of single-UART designs and its state in the
// shared block, within one process.
#include "round_trip.h"
#include "serial_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace qx::test {
namespace {

class Sharing : public SerialTest {
 protected:
  Sharing() { sim("boards = 2\nboard0.design = single_uart.hap\nboard1.design = clser.hap\n"); }
};

TEST_F(Sharing, FirstOpenerOfBoard1PortB) {
  hSerRef port = open(3);
  EXPECT_EQ(journal("RegisterWrite(1, AARS232PortSelect"),
            (std::vector<std::string>{"RegisterWrite(1, AARS232PortSelect, 0)",
                                      "RegisterWrite(1, AARS232PortSelect, 1)"}));
  EXPECT_TRUE(journal("RegisterWrite(0,").empty());
  // Board 0's multiplexer was not touched, so nothing is known of it.
  EXPECT_EQ(slots(), (std::vector<int>{-1, 1, -1, -1, -1, -1, -1, -1}));
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 1B");
  clSerialClose(port);
}

TEST_F(Sharing, MultiplexerSwitchesOnlyWhenThePortChanges) {
  hSerRef a = open(0);
  hSerRef b = open(1);
  clearJournal();
  const struct {
    hSerRef port;
    const char* answer;
    int switches;
  } steps[] = {{b, "SIMCAM 0B", 0}, {a, "SIMCAM 0A", 1}, {a, "SIMCAM 0A", 0},
               {b, "SIMCAM 0B", 1}, {b, "SIMCAM 0B", 0}, {a, "SIMCAM 0A", 1}};
  for (const auto& step : steps) {
    clearJournal();
    EXPECT_EQ(roundTrip(step.port, "ID?"), step.answer);
    EXPECT_EQ(journal("RegisterWrite(0, AARS232PortSelect").size(),
              static_cast<std::size_t>(step.switches))
        << step.answer;
    EXPECT_EQ(slots().at(0), step.port == a ? 0 : 1);
    // Nothing but the switch touches registers or the access lock.
    EXPECT_EQ(journal("RegisterWrite").size(), static_cast<std::size_t>(step.switches));
    EXPECT_EQ(journal("GetAccessPointer").size(), static_cast<std::size_t>(step.switches));
  }
  clSerialClose(a);
  clSerialClose(b);
}

TEST_F(Sharing, RatesAreSharedByBothPortsOfOneUart) {
  hSerRef a = open(0);
  hSerRef b = open(1);
  ASSERT_EQ(clSetBaudRate(b, CL_BAUDRATE_57600), CL_ERR_NO_ERR);
  EXPECT_EQ(registerValue(0, "AARS232Baud"), 1041);
  EXPECT_EQ(roundTrip(a, "ID?"), "SIMCAM 0A");
  clSerialClose(a);
  clSerialClose(b);
}

TEST_F(Sharing, BlockStartsAgainAfterTheLastClose) {
  hSerRef b = open(1);
  hSerRef a = open(0);  // not first: the slot says B, so it switches
  EXPECT_EQ(slots().at(0), 0);
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  EXPECT_EQ(slots().at(0), 1);
  clSerialClose(a);
  // One user left: the block and its slot stay.
  EXPECT_EQ(slots().at(0), 1);
  clSerialClose(b);
  EXPECT_TRUE(slots().empty());

  // A new first opener finds zeros and forces port A before its own
  // selection; a block that had survived would have shown B already.
  clearJournal();
  hSerRef again = open(1);
  EXPECT_EQ(journal("RegisterWrite(0, AARS232PortSelect"),
            (std::vector<std::string>{"RegisterWrite(0, AARS232PortSelect, 0)",
                                      "RegisterWrite(0, AARS232PortSelect, 1)"}));
  clSerialClose(again);
}

TEST_F(Sharing, MultiplexerLeftOnPortBByAnEarlierRunIsSetAgain) {
  sim("boards = 2\nboard0.design = single_uart.hap\nboard1.design = single_uart.hap\n");
  // An earlier run left board 1's multiplexer on camera port B; its block
  // went with it.
  hSerRef earlier = open(3);
  EXPECT_EQ(roundTrip(earlier, "ID?"), "SIMCAM 1B");
  clSerialClose(earlier);
  ASSERT_TRUE(slots().empty());
  ASSERT_EQ(registerValue(1, "AARS232PortSelect"), 1);

  // This run starts on board 0; board 1's first selection must still write.
  hSerRef board0 = open(0);
  clearJournal();
  hSerRef portA = open(2);
  EXPECT_EQ(journal("RegisterWrite(1, AARS232PortSelect"),
            std::vector<std::string>{"RegisterWrite(1, AARS232PortSelect, 0)"});
  EXPECT_EQ(roundTrip(portA, "ID?"), "SIMCAM 1A");
  clSerialClose(portA);
  clSerialClose(board0);
}

TEST_F(Sharing, ReferenceOpenedAfterTheDesignRanAgainSetsTheMultiplexer) {
  hSerRef b = open(1);
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  ASSERT_EQ(slots().at(0), 1);
  // Running the design again puts the multiplexer back on port A while the
  // slot still says B.
  runDesign(0, "single_uart.hap");
  ASSERT_EQ(registerValue(0, "AARS232PortSelect"), 0);
  hSerRef again = open(1);
  EXPECT_EQ(registerValue(0, "AARS232PortSelect"), 1);
  EXPECT_EQ(roundTrip(again, "ID?"), "SIMCAM 0B");
  clSerialClose(again);
  clSerialClose(b);
}

// Within one process too: a write beside a thread that reads over and over
// waits for the read in progress only.
TEST_F(Sharing, WriteBesideABusyReaderThreadWaitsForTheReadInProgressOnly) {
  hSerRef a = open(0);
  hSerRef b = open(1);
  std::thread reader([a] {
    for (int i = 0; i < 12; ++i) {
      char buffer[64];
      CLUINT32 size = sizeof buffer;
      clSerialRead(a, buffer, &size, 250);
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  markJournal("asked");
  char command[] = "ID?\r";
  CLUINT32 size = 4;
  EXPECT_EQ(clSerialWrite(b, command, &size, 100), CL_ERR_NO_ERR);
  reader.join();
  EXPECT_TRUE(atMostOneReadBetween("asked", "UIQR_writeBuffer(0, 4, 4"));
  clSerialClose(a);
  clSerialClose(b);
}

// One reference used from several threads at once while the board is
// reconfigured under them: every call works and (under ThreadSanitizer) no
// field of the record is written by one thread while another reads it.
TEST_F(Sharing, OneReferenceUsedFromSeveralThreadsWhileTheBoardChanges) {
  hSerRef a = open(0);
  std::atomic<bool> stop{false};
  std::vector<std::thread> users;
  users.emplace_back([&] {
    while (!stop) {
      char command[] = "ID?\r";
      CLUINT32 size = 4;
      EXPECT_EQ(clSerialWrite(a, command, &size, 100), CL_ERR_NO_ERR);
    }
  });
  users.emplace_back([&] {
    while (!stop) {
      char buffer[16];
      CLUINT32 size = sizeof buffer;
      const int status = clSerialRead(a, buffer, &size, 5);
      EXPECT_TRUE(status == CL_ERR_NO_ERR || status == CL_ERR_TIMEOUT) << status;
    }
  });
  users.emplace_back([&] {
    for (int i = 0; !stop; ++i) {
      EXPECT_EQ(clSetBaudRate(a, i % 2 == 0 ? CL_BAUDRATE_115200 : CL_BAUDRATE_57600),
                CL_ERR_NO_ERR);
      EXPECT_EQ(clSetParity(a, 0), CL_ERR_NO_ERR);
      CLUINT32 count = 0;
      EXPECT_EQ(clGetNumBytesAvail(a, &count), CL_ERR_NO_ERR);
    }
  });
  for (int change = 1; change <= 20; ++change) {
    setHWStatus(0, 100 + change);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  stop = true;
  for (std::thread& t : users) t.join();
  ASSERT_EQ(clSetBaudRate(a, CL_BAUDRATE_115200), CL_ERR_NO_ERR);
  EXPECT_EQ(clFlushPort(a), CL_ERR_NO_ERR);
  EXPECT_EQ(roundTrip(a, "ID?"), "SIMCAM 0A");
  clSerialClose(a);
}

TEST_F(Sharing, ConcurrentOpeningsAndTransfersKeepSlotAndMultiplexerInStep) {
  // One thread opens and closes port A over and over while another talks
  // on port B: the opening takes the mutex before the board access lock, as
  // the transfers do, so neither can wait for the other forever.
  hSerRef b = open(1);
  std::thread opener([] {
    for (int i = 0; i < 15; ++i) {
      hSerRef a = nullptr;
      ASSERT_EQ(clSerialInit(0, &a), CL_ERR_NO_ERR);
      char command[] = "ID?\r";
      CLUINT32 size = 4;
      EXPECT_EQ(clSerialWrite(a, command, &size, 100), CL_ERR_NO_ERR);
      clSerialClose(a);
    }
  });
  for (int i = 0; i < 30; ++i) {
    char command[] = "ID?\r";
    CLUINT32 size = 4;
    EXPECT_EQ(clSerialWrite(b, command, &size, 100), CL_ERR_NO_ERR);
    char answer[16];
    size = sizeof answer;
    const int status = clSerialRead(b, answer, &size, 5);
    EXPECT_TRUE(status == CL_ERR_NO_ERR || status == CL_ERR_TIMEOUT);
  }
  opener.join();
  // Every switch wrote register and slot together.
  EXPECT_EQ(slots().at(0), registerValue(0, "AARS232PortSelect"));
  EXPECT_EQ(clFlushPort(b), CL_ERR_NO_ERR);  // answers left over from the race
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  EXPECT_EQ(registerValue(0, "AARS232PortSelect"), 1);
  clSerialClose(b);
}

}  // namespace
}  // namespace qx::test
