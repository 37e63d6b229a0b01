// The shared libraries export their API and hide everything else: the
// dynamic symbol table of each of the four holds exactly its API names.
#include "exports.h"
#include "testsupport.h"

#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// The names that a shared library defines in its dynamic symbol table.
std::set<std::string> definedDynamicSymbols(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> image((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::set<std::string> names;
  if (image.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr header;
  std::memcpy(&header, image.data(), sizeof header);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
    return names;
  auto section = [&](std::size_t i) {
    Elf64_Shdr s;
    std::memcpy(&s, image.data() + header.e_shoff + i * header.e_shentsize, sizeof s);
    return s;
  };
  for (std::size_t i = 0; i < header.e_shnum; ++i) {
    const Elf64_Shdr symbols = section(i);
    if (symbols.sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr strings = section(symbols.sh_link);
    for (std::size_t at = 0; at + sizeof(Elf64_Sym) <= symbols.sh_size; at += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      std::memcpy(&sym, image.data() + symbols.sh_offset + at, sizeof sym);
      const int binding = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
      names.insert(image.data() + strings.sh_offset + sym.st_name);
    }
  }
  return names;
}

std::set<std::string> library(const char* base) {
  return definedDynamicSymbols(qx::test::binDir() + "/lib" + base + ".so");
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
