// Opening and closing ports, and the checks every function makes on its
// reference.
#include "round_trip.h"
#include "serial_fixture.h"

#include <algorithm>

namespace qx::test {
namespace {

using Open = SerialTest;

std::vector<std::string> withoutLookups(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines)
    if (line.rfind("GetRegisterByName", 0) != 0) out.push_back(line);
  return out;
}

// Position of the first line equal to `line`, or -1.
int positionOf(const std::vector<std::string>& lines, const std::string& line) {
  auto it = std::find(lines.begin(), lines.end(), line);
  return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

const std::vector<std::string> kProgram9600 = {
    "RegisterWrite(0, AARS232Enable, 0)",      "get_plx_clk(0, dual_uart.hap) = 60",
    "RegisterWrite(0, AARS232Baud, 6250)",     "RegisterWrite(0, AARS232InvSender, 0)",
    "RegisterWrite(0, AARS232InvReceiver, 0)", "RegisterWrite(0, AARS232Reset, 1)",
    "RegisterWrite(0, AARS232Reset, 0)",       "RegisterWrite(0, AARS232Enable, 1)",
};

TEST_F(Open, BoardWithADesignKeepsItAndProgramsTheUart) {
  hSerRef port = open(0);
  std::vector<std::string> expected = {"initialize_multiquorlex(0)",
                                       "GetDesignName(0) = dual_uart.hap",
                                       "load_design(0, dual_uart.hap)", "GetAccessPointer(0)"};
  expected.insert(expected.end(), kProgram9600.begin(), kProgram9600.end());
  expected.insert(expected.end(), kProgram9600.begin(), kProgram9600.end());
  for (const char* line :
       {"RegisterWrite(0, AARS232ParOn, 0)", "RegisterWrite(0, AARS232scaleIR, 7)",
        "FreeAccessPointer(0)", "GetHWStatus(0) = 0", "GetHWStatus(0) = 0", "GetAccessPointer(0)",
        "UIQR_clearBuffer(0, 1)", "UIQR_clearBuffer(0, 4)", "FreeAccessPointer(0)"})
    expected.push_back(line);
  EXPECT_EQ(withoutLookups(journal()), expected);
  EXPECT_EQ(registerValue(0, "AARS232Baud"), 6250);
  EXPECT_EQ(registerValue(0, "AARS232Enable"), 1);

  clearJournal();
  clSerialClose(port);
  EXPECT_EQ(journal(),
            (std::vector<std::string>{"unload_design(dual_uart.hap)", "free_quorlex(0)"}));
}

TEST_F(Open, BoardWithoutADesignGetsTheSerialDesign) {
  sim("board0.design = none\n");
  hSerRef port = open(0);
  const std::vector<std::string> lines = journal();
  const int load = positionOf(lines, "load_design(0, clser.hap)");
  const int plx = positionOf(lines, "set_plx_clk(0, clser.hap, 60)");
  const int fpga = positionOf(lines, "set_fpga_clk(0, clser.hap, 100)");
  const int configure = positionOf(lines, "configure_fpga(0, clser.hap)");
  const int firstWrite = positionOf(lines, "RegisterWrite(0, AARS232Enable, 0)");
  ASSERT_GE(load, 0);
  EXPECT_LT(load, plx);
  EXPECT_LT(plx, fpga);
  EXPECT_LT(fpga, configure);
  EXPECT_LT(configure, firstWrite);
  // The serial design has one UART: as first opener the port forces the
  // multiplexer to camera port A.
  EXPECT_EQ(journal("RegisterWrite(0, AARS232PortSelect"),
            std::vector<std::string>{"RegisterWrite(0, AARS232PortSelect, 0)"});
  EXPECT_EQ(journal("RegisterWrite(0, AARS232Baud"),
            std::vector<std::string>(2, "RegisterWrite(0, AARS232Baud, 6250)"));
  clSerialClose(port);

  // Once the board runs it, the next opening leaves clocks and FPGA alone.
  clearJournal();
  port = open(1);
  EXPECT_TRUE(journal("set_").empty());
  EXPECT_TRUE(journal("configure_fpga").empty());
  EXPECT_EQ(journal("load_design"), std::vector<std::string>{"load_design(0, clser.hap)"});
  clSerialClose(port);
}

TEST_F(Open, FailuresLeaveNothingOpen) {
  hSerRef untouched = reinterpret_cast<hSerRef>(0x1234);
  hSerRef port = untouched;
  EXPECT_EQ(clSerialInit(8, &port), CL_ERR_INVALID_INDEX);
  EXPECT_EQ(clSerialInit(0xFFFFFFFFu, &port), CL_ERR_INVALID_INDEX);
  EXPECT_EQ(clSerialInit(0, nullptr), CL_ERR_INVALID_REFERENCE);
  EXPECT_TRUE(journal().empty());

  // Board 1 absent.
  EXPECT_EQ(clSerialInit(2, &port), CLSER_ERR_NO_BOARD);
  EXPECT_EQ(port, untouched);

  // A design the board runs but that cannot be loaded.
  clearJournal();
  sim("board0.design = unknown.hap\n");
  EXPECT_EQ(clSerialInit(1, &port), CLSER_ERR_NO_DESIGN);
  EXPECT_EQ(port, untouched);
  EXPECT_EQ(journal("free_quorlex"), std::vector<std::string>{"free_quorlex(0)"});
  EXPECT_TRUE(journal("GetAccessPointer").empty());
}

TEST_F(Open, SerialDesignThatCannotBeLoaded) {
  sim("board0.design = none\ndesign.clser.hap = missing\n");
  hSerRef port = nullptr;
  EXPECT_EQ(clSerialInit(0, &port), CLSER_ERR_NO_DESIGN);
  EXPECT_EQ(port, nullptr);
  EXPECT_TRUE(journal("configure_fpga").empty());
  EXPECT_EQ(journal("free_quorlex").size(), 1u);
}

TEST_F(Open, DesignNamesUpTo255Characters) {
  const std::string fits = std::string(251, 'n') + ".hap";
  const std::string tooLong = std::string(252, 'n') + ".hap";
  sim("boards = 2\nboard0.design = " + fits + "\nboard1.design = " + tooLong + "\ndesign." + fits +
      " = AARS232Enable AARS232Baud\ndesign." + tooLong + " = AARS232Enable AARS232Baud\n");
  hSerRef port = nullptr;
  EXPECT_EQ(clSerialInit(0, &port), CL_ERR_NO_ERR);
  EXPECT_EQ(journal("load_design"), std::vector<std::string>{"load_design(0, " + fits + ")"});
  clSerialClose(port);

  clearJournal();
  hSerRef other = nullptr;
  EXPECT_EQ(clSerialInit(2, &other), CLSER_ERR_NO_DESIGN);
  EXPECT_EQ(other, nullptr);
  EXPECT_TRUE(journal("load_design").empty());
  EXPECT_EQ(journal("free_quorlex"), std::vector<std::string>{"free_quorlex(1)"});
}

TEST_F(Open, NullReferenceIsRefusedEverywhere) {
  char buffer[8] = {};
  CLUINT32 size = 5;
  EXPECT_EQ(clSerialRead(nullptr, buffer, &size, 10), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(clSerialWrite(nullptr, buffer, &size, 10), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(clSetParity(nullptr, 1), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(clFlushPort(nullptr), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(clSetBaudRate(nullptr, CL_BAUDRATE_9600), CL_ERR_INVALID_REFERENCE);
  CLUINT32 count = 77;
  EXPECT_EQ(clGetNumBytesAvail(nullptr, &count), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(count, 0u);
  clSerialClose(nullptr);
  EXPECT_TRUE(journal().empty());
}

TEST_F(Open, ClosedReferenceIsRefusedEverywhereAndClosesOnlyOnce) {
  hSerRef port = open(0);
  hSerRef other = open(1);
  clSerialClose(port);
  clearJournal();
  char buffer[8] = {'I', 'D', '?', '\r'};
  CLUINT32 size = 4;
  EXPECT_EQ(clSerialWrite(port, buffer, &size, 10), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(clSerialRead(port, buffer, &size, 10), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(clSetParity(port, 1), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(clFlushPort(port), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(clSetBaudRate(port, CL_BAUDRATE_9600), CL_ERR_INVALID_REFERENCE);
  CLUINT32 count = 77;
  EXPECT_EQ(clGetNumBytesAvail(port, &count), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(count, 0u);
  clSerialClose(port);  // closed twice
  EXPECT_TRUE(journal().empty()) << "a closed reference touches nothing";

  // Neither the second close nor a newer opening makes the old reference
  // name a port again.
  hSerRef newer = open(0);
  EXPECT_NE(newer, port);
  clSerialClose(port);
  EXPECT_EQ(clFlushPort(port), CL_ERR_INVALID_REFERENCE);
  EXPECT_EQ(roundTrip(newer, "ID?"), "SIMCAM 0A");
  EXPECT_EQ(roundTrip(other, "ID?"), "SIMCAM 0B");
  clSerialClose(newer);
  clSerialClose(other);
  // A value that never was a reference.
  EXPECT_EQ(clFlushPort(reinterpret_cast<hSerRef>(&count)), CL_ERR_INVALID_REFERENCE);
}

TEST_F(Open, SecondOpeningOfOnePortIsIndependent) {
  hSerRef first = open(0);
  hSerRef second = open(0);
  EXPECT_NE(first, second);
  clSerialClose(first);
  EXPECT_EQ(roundTrip(second, "ID?"), "SIMCAM 0A");
  clSerialClose(second);
}

}  // namespace
}  // namespace qx::test
