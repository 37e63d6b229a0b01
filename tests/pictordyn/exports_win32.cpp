// The built DLL's export table: every name at its fixed ordinal, nothing
// else, and ordinals 32 and 33 left empty.
#include "exports.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

namespace {

TEST(Exports, EveryNameHasItsFixedOrdinal) {
  HMODULE dll = LoadLibraryA("pictordyn.dll");
  ASSERT_NE(dll, nullptr);
  auto* base = reinterpret_cast<const unsigned char*>(dll);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
  auto* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);

  std::map<std::string, int> table;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    table[reinterpret_cast<const char*>(base + names[i])] =
        static_cast<int>(exports->Base + ordinals[i]);

  std::map<std::string, int> expected;
  for (const auto& [name, ordinal] : qx::test::kPictordynExports) expected[name] = ordinal;
  EXPECT_EQ(table, expected);

  EXPECT_EQ(exports->Base, 1u);
  ASSERT_EQ(exports->NumberOfFunctions, 61u);
  EXPECT_EQ(functions[32 - 1], 0u);
  EXPECT_EQ(functions[33 - 1], 0u);
  for (const auto& [name, ordinal] : qx::test::kPictordynExports)
    EXPECT_EQ(GetProcAddress(dll, MAKEINTRESOURCEA(ordinal)), GetProcAddress(dll, name)) << name;
  FreeLibrary(dll);
}

}  // namespace
