// The library's exports by ordinal, as applications bind them.
#include <windows.h>

#include <gtest/gtest.h>

#include <quorlex/oculon.h>

namespace qx::test {
namespace {

TEST(Exports, OrdinalsNameTheFunctionsAndOrdinalOneIsTheEntryPoint) {
  HMODULE library = GetModuleHandleA("oculon.dll");
  ASSERT_NE(library, nullptr);
  const char* names[] = {"DllMain",         "CreateDisplay",   "CreateDisplayEx", "SetDisplayWidth",
                         "SetBufferWidth",  "SetBuffer",       "DrawBuffer",      "CloseDisplay",
                         "GetWindowHandle", "OculonGetVersion"};
  for (int ordinal = 1; ordinal <= 10; ++ordinal) {
    SCOPED_TRACE(names[ordinal - 1]);
    FARPROC byOrdinal = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
    ASSERT_NE(byOrdinal, nullptr);
    EXPECT_EQ(byOrdinal, GetProcAddress(library, names[ordinal - 1]));
  }
  EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(11)), nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(&CreateDisplay),
            reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(2))));
  using Entry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  auto entry = reinterpret_cast<Entry>(
      reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(1))));
  EXPECT_TRUE(entry(library, DLL_THREAD_ATTACH, nullptr));
}

}  // namespace
}  // namespace qx::test
