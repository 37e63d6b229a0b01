// The shared libraries export their API and hide everything else: the
// dynamic symbol table of each of the four holds exactly its API names.
#include "elf_symbols.h"
#include "exports.h"
#include "testsupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::set<std::string> library(const char* base) {
  return qx::test::definedDynamicSymbols(qx::test::binDir() + "/lib" + base + ".so");
}

TEST(Exports, EveryApiNameIsExportedAndNothingInternal) {
  void* lib = dlopen((qx::test::binDir() + "/libpictordyn.so").c_str(), RTLD_NOW);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const auto& [name, ordinal] : qx::test::kPictordynExports)
    EXPECT_NE(dlsym(lib, name), nullptr) << name << " (" << ordinal << ")";
  for (const char* internal : {"px_log", "px_lastError", "_ZN2qx9pictordyn9openTraceEv"})
    EXPECT_EQ(dlsym(lib, internal), nullptr) << internal;
  dlclose(lib);
}

TEST(Exports, EachLibraryExportsExactlyItsApi) {
  std::set<std::string> pictordyn;
  for (const auto& [name, ordinal] : qx::test::kPictordynExports) pictordyn.insert(name);
  EXPECT_EQ(library("pictordyn"), pictordyn);

  EXPECT_EQ(library("clserqx3"),
            (std::set<std::string>{"clFlushPort", "clGetErrorText", "clGetManufacturerInfo",
                                   "clGetNumBytesAvail", "clGetNumSerialPorts",
                                   "clGetSerialPortIdentifier", "clGetSupportedBaudRates",
                                   "clSerialClose", "clSerialInit", "clSerialRead", "clSerialWrite",
                                   "clSetBaudRate", "clSetParity", "clserGetVersion"}));
  EXPECT_EQ(
      library("nimbrix"),
      (std::set<std::string>{
          "IoCloseAVI",        "IoCloseBmp",        "IoCloseSeq",        "IoCreateAVIColor",
          "IoCreateAVIColorW", "IoCreateAVIGray",   "IoCreateAVIGrayW",  "IoCreateSeq",
          "IoFreeRaw",         "IoFreeTiff",        "IoGetVersion",      "IoGetPictureInfo",
          "IoGetSeqInfo",      "IoOpenSeq",         "IoReadBmp",         "IoReadNextSeqPicture",
          "IoReadRaw",         "IoReadSeqPicture",  "IoReadTiff",        "IoReadTiffW",
          "IoSeqCreateAvi",    "IoWriteAVIPicture", "IoWriteBmp",        "IoWriteBmpW",
          "IoWriteRaw",        "IoWriteRawW",       "IoWriteSeqPicture", "IoWriteTiff",
          "IoWriteTiffW"}));
  EXPECT_EQ(library("oculon"),
            (std::set<std::string>{"CloseDisplay", "CreateDisplay", "CreateDisplayEx", "DrawBuffer",
                                   "GetWindowHandle", "OculonGetVersion", "SetBuffer",
                                   "SetBufferWidth", "SetDisplayWidth"}));
}

}  // namespace
