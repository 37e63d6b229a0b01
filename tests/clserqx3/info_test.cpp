// The functions that need no open port.
#include "serial_fixture.h"

#include <cstring>

namespace qx::test {
namespace {

using Info = SerialTest;

TEST_F(Info, PortIdentifierChecksSizeBeforeIndex) {
  char id[16];
  std::memset(id, 'x', sizeof id);
  CLUINT32 size = 6;
  EXPECT_EQ(clGetSerialPortIdentifier(8, id, &size), CL_ERR_NO_ERR);
  EXPECT_STREQ(id, "corv8");
  EXPECT_EQ(size, 6u);  // not written back
  EXPECT_EQ(clGetSerialPortIdentifier(0, id, &size), CL_ERR_NO_ERR);
  EXPECT_STREQ(id, "corv0");

  std::memset(id, 'x', sizeof id);
  size = 5;
  EXPECT_EQ(clGetSerialPortIdentifier(9, id, &size), CL_ERR_BUFFER_TOO_SMALL);
  size = 6;
  EXPECT_EQ(clGetSerialPortIdentifier(9, id, &size), CL_ERR_INVALID_INDEX);
  EXPECT_EQ(clGetSerialPortIdentifier(0xFFFFFFFFu, id, &size), CL_ERR_INVALID_INDEX);
  EXPECT_EQ(id[0], 'x');
  EXPECT_EQ(clGetSerialPortIdentifier(0, id, nullptr), CL_ERR_BUFFER_TOO_SMALL);
  // No board is touched.
  EXPECT_TRUE(journal().empty());
}

TEST_F(Info, ManufacturerNeedsRoomForItsTerminatingZero) {
  char name[16];
  std::memset(name, 'x', sizeof name);
  CLUINT32 size = 7;
  CLUINT32 version = 0;
  EXPECT_EQ(clGetManufacturerInfo(name, &size, &version), CL_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 8u);  // the size needed
  EXPECT_EQ(name[0], 'x');
  size = 8;
  EXPECT_EQ(clGetManufacturerInfo(name, &size, &version), CL_ERR_NO_ERR);
  EXPECT_STREQ(name, "Corvane");
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(version, static_cast<CLUINT32>(CL_DLL_VERSION_1_1));
  EXPECT_EQ(clGetManufacturerInfo(name, nullptr, nullptr), CL_ERR_BUFFER_TOO_SMALL);
}

TEST_F(Info, SupportedRatesLeaveTheUpperBitsAlone) {
  CLUINT32 rates = 0;
  EXPECT_EQ(clGetSupportedBaudRates(nullptr, &rates), CL_ERR_NO_ERR);
  EXPECT_EQ(rates, 0x1Fu);
  rates = 0xFFFFFFFFu;
  EXPECT_EQ(clGetSupportedBaudRates(nullptr, &rates), CL_ERR_NO_ERR);
  EXPECT_EQ(rates, 0xFFFFFF1Fu);
}

TEST_F(Info, ErrorTexts) {
  char text[128];
  CLUINT32 size = sizeof text;
  EXPECT_EQ(clGetErrorText(CL_ERR_TIMEOUT, text, &size), CL_ERR_NO_ERR);
  EXPECT_STREQ(text, "Operation not completed within specified timeout period.");
  EXPECT_EQ(size, std::strlen(text) + 1);

  for (int code : {0, -1, -2, -10001, -10004, -10005, -10006, -10008, -10009}) {
    size = sizeof text;
    EXPECT_EQ(clGetErrorText(code, text, &size), CL_ERR_NO_ERR) << code;
    EXPECT_GT(std::strlen(text), 5u) << code;
  }

  // Too small: nothing copied, the size needed reported.
  std::memset(text, 'x', sizeof text);
  size = 10;
  EXPECT_EQ(clGetErrorText(CL_ERR_INVALID_INDEX, text, &size), CL_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, std::strlen("Not a valid index.") + 1);
  EXPECT_EQ(text[0], 'x');

  size = sizeof text;
  EXPECT_EQ(clGetErrorText(12345, text, &size), CL_ERR_ERROR_NOT_FOUND);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(text[0], 'x');
}

TEST_F(Info, PortCountProbesBoardsUpToTheFirstGap) {
  sim("boards = 2\n");
  CLUINT32 ports = 99;
  EXPECT_EQ(clGetNumSerialPorts(&ports), CL_ERR_NO_ERR);
  EXPECT_EQ(ports, 4u);
  // Every board that opens is closed again at once.
  EXPECT_EQ(journal("initialize_multiquorlex"),
            (std::vector<std::string>{"initialize_multiquorlex(0)", "initialize_multiquorlex(1)",
                                      "initialize_multiquorlex(2) = null"}));
  EXPECT_EQ(journal("free_quorlex").size(), 2u);

  clearJournal();
  sim("boards = 3\nboard0.present = 0\n");
  ports = 99;
  EXPECT_EQ(clGetNumSerialPorts(&ports), CL_ERR_NO_ERR);
  EXPECT_EQ(ports, 0u);
  EXPECT_EQ(journal("initialize_multiquorlex"),
            std::vector<std::string>{"initialize_multiquorlex(0) = null"});

  sim("boards = 12\n");
  EXPECT_EQ(clGetNumSerialPorts(&ports), CL_ERR_NO_ERR);
  EXPECT_EQ(ports, 16u);  // at most eight boards are probed
}

}  // namespace
}  // namespace qx::test
