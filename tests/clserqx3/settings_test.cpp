// Rate and parity: register sequences, divisors, refused values, and
// designs that lack registers.
#include "round_trip.h"
#include "serial_fixture.h"

namespace qx::test {
namespace {

using Settings = SerialTest;

TEST_F(Settings, EveryRateProgramsItsDivisor) {
  hSerRef port = open(0);
  const struct {
    CLUINT32 bit;
    int divisor;
  } rates[] = {{CL_BAUDRATE_9600, 6250},
               {CL_BAUDRATE_19200, 3125},
               {CL_BAUDRATE_38400, 1562},
               {CL_BAUDRATE_57600, 1041},
               {CL_BAUDRATE_115200, 520}};
  for (const auto& r : rates) {
    clearJournal();
    EXPECT_EQ(clSetBaudRate(port, r.bit), CL_ERR_NO_ERR);
    const std::vector<std::string> expected = {
        "GetAccessPointer(0)",
        "RegisterWrite(0, AARS232Enable, 0)",
        "get_plx_clk(0, dual_uart.hap) = 60",
        "RegisterWrite(0, AARS232Baud, " + std::to_string(r.divisor) + ")",
        "RegisterWrite(0, AARS232InvSender, 0)",
        "RegisterWrite(0, AARS232InvReceiver, 0)",
        "RegisterWrite(0, AARS232Reset, 1)",
        "RegisterWrite(0, AARS232Reset, 0)",
        "RegisterWrite(0, AARS232Enable, 1)",
        "FreeAccessPointer(0)"};
    EXPECT_EQ(journal(), expected);
    // The camera follows at every rate.
    EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  }
  clSerialClose(port);
}

TEST_F(Settings, UnsupportedRatesChangeNothing) {
  hSerRef port = open(0);
  ASSERT_EQ(clSetBaudRate(port, CL_BAUDRATE_57600), CL_ERR_NO_ERR);
  clearJournal();
  for (CLUINT32 bad : {0u, 3u, 32u, 64u, 128u, 256u, 0x11u, 0xFFFFFFFFu})
    EXPECT_EQ(clSetBaudRate(port, bad), CL_ERR_BAUD_RATE_NOT_SUPPORTED) << bad;
  EXPECT_TRUE(journal().empty());
  EXPECT_EQ(registerValue(0, "AARS232Baud"), 1041);
  // The record kept 57600 too: a re-binding applies it again.
  setHWStatus(0, 5);
  clearJournal();
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  EXPECT_EQ(journal("RegisterWrite(0, AARS232Baud"),
            std::vector<std::string>{"RegisterWrite(0, AARS232Baud, 1041)"});
  clSerialClose(port);
}

TEST_F(Settings, DivisorFollowsTheLocalBusClock) {
  sim("board0.plxclk = 50\n");
  hSerRef port = open(0);
  EXPECT_EQ(registerValue(0, "AARS232Baud"), 5208);
  EXPECT_EQ(clSetBaudRate(port, CL_BAUDRATE_115200), CL_ERR_NO_ERR);
  EXPECT_EQ(registerValue(0, "AARS232Baud"), 434);
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  clSerialClose(port);
}

TEST_F(Settings, ParityWritesTheParityRegisterOfThePortsUart) {
  hSerRef a = open(0);
  hSerRef b = open(1);
  clearJournal();
  EXPECT_EQ(clSetParity(b, 5), CL_ERR_NO_ERR);
  EXPECT_EQ(clSetParity(a, 0), CL_ERR_NO_ERR);
  EXPECT_EQ(journal(), (std::vector<std::string>{
                           "GetAccessPointer(0)", "RegisterWrite(0, ABRS232ParOn, 1)",
                           "FreeAccessPointer(0)", "GetAccessPointer(0)",
                           "RegisterWrite(0, AARS232ParOn, 0)", "FreeAccessPointer(0)"}));
  // With parity a byte takes longer, but the camera still answers.
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0B");
  clSerialClose(a);
  clSerialClose(b);
}

TEST_F(Settings, RegistersTheDesignLacksAreSkipped) {
  sim("board0.design = bare.hap\n"
      "design.bare.hap = AARS232Enable AARS232Baud AARS232Reset\n");
  hSerRef a = open(0);
  hSerRef b = open(1);
  EXPECT_EQ(clSetParity(a, 1), CL_ERR_NO_ERR);
  EXPECT_EQ(clSetBaudRate(b, CL_BAUDRATE_19200), CL_ERR_NO_ERR);
  EXPECT_EQ(roundTrip(a, "ID?"), "SIMCAM 0A");
  EXPECT_EQ(roundTrip(b, "ID?"), "SIMCAM 0A");  // no multiplexer: one camera
  EXPECT_TRUE(journal("RegisterWrite(0, null").empty());
  EXPECT_TRUE(journal("RegisterWrite(0, invalid").empty());
  EXPECT_TRUE(journal("RegisterWrite(0, AARS232ParOn").empty());
  EXPECT_TRUE(journal("RegisterWrite(0, AARS232PortSelect").empty());
  EXPECT_FALSE(journal("RegisterWrite(0, AARS232Baud, 3125)").empty());
  clSerialClose(a);
  clSerialClose(b);
}

}  // namespace
}  // namespace qx::test
