// A generic Camera Link client: it loads the library by file name and finds
// the thirteen functions by name.
#include "serial_fixture.h"

#include "platform/library.h"

#include <cstring>

namespace qx::test {
namespace {

using DynamicLoad = SerialTest;

TEST_F(DynamicLoad, ThirteenFunctionsByName) {
#if defined(_WIN32)
  const std::string file = binDir() + "\\clserqx3.dll";
#else
  const std::string file = binDir() + "/libclserqx3.so";
#endif
  platform::LibraryHandle library = platform::loadLibrary(file.c_str());
  ASSERT_NE(library, nullptr);
  const char* names[] = {"clSerialInit",
                         "clSerialRead",
                         "clSerialWrite",
                         "clSerialClose",
                         "clSetParity",
                         "clGetManufacturerInfo",
                         "clGetNumSerialPorts",
                         "clGetSerialPortIdentifier",
                         "clGetNumBytesAvail",
                         "clFlushPort",
                         "clGetSupportedBaudRates",
                         "clSetBaudRate",
                         "clGetErrorText"};
  for (const char* name : names) EXPECT_NE(platform::resolveSymbol(library, name), nullptr) << name;

  auto numPorts = reinterpret_cast<CLINT32 (*)(CLUINT32*)>(
      platform::resolveSymbol(library, "clGetNumSerialPorts"));
  auto init = reinterpret_cast<CLINT32 (*)(CLUINT32, hSerRef*)>(
      platform::resolveSymbol(library, "clSerialInit"));
  auto write = reinterpret_cast<CLINT32 (*)(hSerRef, CLINT8*, CLUINT32*, CLUINT32)>(
      platform::resolveSymbol(library, "clSerialWrite"));
  auto read = reinterpret_cast<CLINT32 (*)(hSerRef, CLINT8*, CLUINT32*, CLUINT32)>(
      platform::resolveSymbol(library, "clSerialRead"));
  auto close =
      reinterpret_cast<void (*)(hSerRef)>(platform::resolveSymbol(library, "clSerialClose"));
  ASSERT_TRUE(numPorts && init && write && read && close);

  CLUINT32 ports = 0;
  EXPECT_EQ(numPorts(&ports), CL_ERR_NO_ERR);
  EXPECT_EQ(ports, 2u);
  hSerRef port = nullptr;
  ASSERT_EQ(init(1, &port), CL_ERR_NO_ERR);
  char command[] = "ID?\r";
  CLUINT32 size = 4;
  EXPECT_EQ(write(port, command, &size, 100), CL_ERR_NO_ERR);
  EXPECT_EQ(size, 4u);
  char answer[11];
  size = sizeof answer;
  EXPECT_EQ(read(port, answer, &size, 1000), CL_ERR_NO_ERR);
  EXPECT_EQ(std::string(answer, size), "SIMCAM 0B\r\n");
  close(port);
  platform::releaseLibrary(library);
}

}  // namespace
}  // namespace qx::test
