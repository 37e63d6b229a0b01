// Binding again after the board was reconfigured: the hardware status word
// changed, so the next transfer, flush or count binds to the board's current
// design and applies the port's settings to it.
#include "round_trip.h"
#include "serial_fixture.h"

#include <algorithm>

namespace qx::test {
namespace {

using Rebind = SerialTest;

int positionOf(const std::vector<std::string>& lines, const std::string& prefix) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
  return -1;
}

TEST_F(Rebind, NewDesignGetsRateParityAndScaleBeforeTheTransfer) {
  hSerRef port = open(0);
  ASSERT_EQ(clSetBaudRate(port, CL_BAUDRATE_115200), CL_ERR_NO_ERR);
  ASSERT_EQ(clSetParity(port, 1), CL_ERR_NO_ERR);
  runDesign(0, "single_uart.hap");
  EXPECT_EQ(registerValue(0, "AARS232Enable"), 0);  // a fresh design
  clearJournal();

  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  const std::vector<std::string> lines = journal();
  const int unload = positionOf(lines, "unload_design(dual_uart.hap)");
  const int load = positionOf(lines, "load_design(0, single_uart.hap)");
  const int baud = positionOf(lines, "RegisterWrite(0, AARS232Baud, 520)");
  const int parity = positionOf(lines, "RegisterWrite(0, AARS232ParOn, 1)");
  const int scale = positionOf(lines, "RegisterWrite(0, AARS232scaleIR, 7)");
  const int write = positionOf(lines, "UIQR_writeBuffer");
  ASSERT_GE(unload, 0);
  EXPECT_LT(unload, load);
  EXPECT_LT(load, baud);
  EXPECT_LT(baud, parity);
  EXPECT_LT(parity, scale);
  EXPECT_LT(scale, write);
  EXPECT_EQ(positionOf(lines, "RegisterWrite(0, invalid"), -1);
  EXPECT_EQ(positionOf(lines, "configure_fpga"), -1);
  EXPECT_EQ(registerValue(0, "AARS232Baud"), 520);
  EXPECT_EQ(registerValue(0, "AARS232ParOn"), 1);
  EXPECT_EQ(registerValue(0, "AARS232scaleIR"), 7);

  // Bound once: the next transfers leave the design alone.
  clearJournal();
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  EXPECT_TRUE(journal("load_design").empty());
  EXPECT_TRUE(journal("RegisterWrite").empty());
  clSerialClose(port);
}

TEST_F(Rebind, FlushAndByteCountBindAgainToo) {
  hSerRef port = open(0);
  setHWStatus(0, 10);
  clearJournal();
  EXPECT_EQ(clFlushPort(port), CL_ERR_NO_ERR);
  std::vector<std::string> lines = journal();
  EXPECT_LT(positionOf(lines, "load_design(0, dual_uart.hap)"),
            positionOf(lines, "UIQR_clearBuffer"));
  EXPECT_GE(positionOf(lines, "load_design"), 0);

  setHWStatus(0, 11);
  clearJournal();
  CLUINT32 waiting = 0;
  EXPECT_EQ(clGetNumBytesAvail(port, &waiting), CL_ERR_NO_ERR);
  lines = journal();
  EXPECT_GE(positionOf(lines, "load_design"), 0);
  EXPECT_LT(positionOf(lines, "load_design"), positionOf(lines, "UIQR_getNrOfWords"));

  // Neither swallowed the change for the transfers: they have nothing left
  // to bind.
  clearJournal();
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  EXPECT_TRUE(journal("load_design").empty());
  clSerialClose(port);
}

TEST_F(Rebind, BoardLeftWithoutADesignGetsTheSerialDesign) {
  hSerRef port = open(1);
  runDesign(0, nullptr);
  clearJournal();
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0B");
  const std::vector<std::string> lines = journal();
  EXPECT_LT(positionOf(lines, "load_design(0, clser.hap)"),
            positionOf(lines, "set_plx_clk(0, clser.hap, 60)"));
  EXPECT_LT(positionOf(lines, "set_fpga_clk(0, clser.hap, 100)"),
            positionOf(lines, "configure_fpga(0, clser.hap)"));
  EXPECT_GE(positionOf(lines, "configure_fpga"), 0);
  // Our own configuration is no reason to bind once more.
  clearJournal();
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0B");
  EXPECT_TRUE(journal("load_design").empty());
  clSerialClose(port);
}

TEST_F(Rebind, PortBFollowsADesignWithOtherLayout) {
  // Camera port B moves from its own UART to the multiplexed one; the
  // multiplexer of the new design is set whatever the slot said.
  hSerRef port = open(1);
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0B");
  runDesign(0, "single_uart.hap");
  clearJournal();
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0B");
  EXPECT_FALSE(journal("RegisterWrite(0, AARS232PortSelect, 1)").empty());
  EXPECT_FALSE(journal("UIQR_writeBuffer(0, 4,").empty());
  EXPECT_TRUE(journal("UIQR_writeBuffer(0, 5,").empty());
  EXPECT_EQ(slots().at(0), 1);
  clSerialClose(port);
}

TEST_F(Rebind, FailedBindingIsRetriedAtTheNextChange) {
  hSerRef port = open(0);
  runDesign(0, "vanished.hap");  // the board runs a design nobody can load
  clearJournal();
  char command[] = "ID?\r";
  CLUINT32 size = 4;
  EXPECT_EQ(clSerialWrite(port, command, &size, 20), CL_ERR_NO_ERR);
  EXPECT_FALSE(journal("load_design(0, vanished.hap) = 0").empty());
  // No register of the old design is written any more.
  EXPECT_EQ(clSetBaudRate(port, CL_BAUDRATE_38400), CL_ERR_NO_ERR);
  EXPECT_EQ(clSetParity(port, 1), CL_ERR_NO_ERR);
  EXPECT_TRUE(journal("RegisterWrite").empty());
  // The first failed binding unloaded the design; nothing is unloaded twice.
  EXPECT_EQ(journal("unload_design").size(), 1u);

  runDesign(0, "dual_uart.hap");
  clearJournal();
  EXPECT_EQ(roundTrip(port, "ID?"), "SIMCAM 0A");
  EXPECT_FALSE(journal("RegisterWrite(0, AARS232Baud, 1562)").empty());
  EXPECT_FALSE(journal("RegisterWrite(0, AARS232ParOn, 1)").empty());
  clearJournal();
  clSerialClose(port);
  EXPECT_EQ(journal(),
            (std::vector<std::string>{"unload_design(dual_uart.hap)", "free_quorlex(0)"}));
}

}  // namespace
}  // namespace qx::test
