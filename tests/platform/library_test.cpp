#include "platform/library.h"
#include "platform/directory.h"
#include "platform/ticks.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace qp = qx::platform;
namespace qt = qx::test;

namespace {

TEST(Library, LoadsResolvesAndReleases) {
  qp::LibraryHandle lib = qp::loadLibrary(
      (qt::binDir() + qt::pathSeparator() + qt::libraryFile("applet_local")).c_str());
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(qp::resolveSymbol(lib, "Px_InitLocal"), nullptr);
  EXPECT_EQ(qp::resolveSymbol(lib, "Px_InitialiseCamera"), nullptr);
  qp::releaseLibrary(lib);
}

TEST(Library, MissingOrEmptyNameLoadsNothing) {
  EXPECT_EQ(qp::loadLibrary(qt::libraryFile("no_such_library_here").c_str()), nullptr);
  EXPECT_EQ(qp::loadLibrary(""), nullptr);
  EXPECT_EQ(qp::loadLibrary(nullptr), nullptr);
  EXPECT_EQ(qp::resolveSymbol(nullptr, "x"), nullptr);
}

TEST(Library, FailedLoadKeepsTheSystemsReason) {
  qt::TempDir dir;
  const std::string missing = dir.file(qt::libraryFile("no_such_library_here"));
  EXPECT_EQ(qp::loadLibrary(missing.c_str()), nullptr);
  const std::string reason = qp::libraryError();
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
#if defined(_WIN32)
  EXPECT_EQ(reason.rfind("error 126", 0), 0u) << reason;  // module not found
#else
  EXPECT_NE(reason.find("no_such_library_here"), std::string::npos) << reason;
#endif
  const std::string notLibrary = dir.file(qt::libraryFile("plain_text"));
  qt::writeFile(notLibrary, "this is no library\n");
  EXPECT_EQ(qp::loadLibrary(notLibrary.c_str()), nullptr);
  EXPECT_FALSE(qp::libraryError().empty());
  EXPECT_NE(qp::libraryError(), reason);

  qp::LibraryHandle lib = qp::loadLibrary(
      (qt::binDir() + qt::pathSeparator() + qt::libraryFile("applet_local")).c_str());
  ASSERT_NE(lib, nullptr);
  EXPECT_TRUE(qp::libraryError().empty());
  qp::releaseLibrary(lib);
}

TEST(Library, AppletNameDropsTheLibraryExtension) {
  const std::string name = qt::libraryFile("applet");
  EXPECT_EQ(qp::appletNameOf(name), "applet");
  const std::string path = std::string("dir") + qp::kPathSeparator + qt::libraryFile("applet");
  EXPECT_EQ(qp::appletNameOf(path), std::string("dir") + qp::kPathSeparator + "applet");
  EXPECT_EQ(qp::appletNameOf("ab"), "ab");
  EXPECT_EQ(qp::appletNameOf(""), "");
}

TEST(Directory, ListsMatchingFilesOnly) {
  qt::TempDir dir;
  for (const char* name : {"b.so", "a.so", "c.dll", "d.txt", "a.so.bak"})
    qt::writeFile(dir.file(name), "x");
  ASSERT_TRUE(qt::makeDir(dir.file("dir.so")));
  EXPECT_EQ(qp::listDirectory(dir.path(), "*.so"), (std::vector<std::string>{"a.so", "b.so"}));
  EXPECT_EQ(qp::listDirectory(dir.path(), "*.dll"), (std::vector<std::string>{"c.dll"}));
  EXPECT_TRUE(qp::listDirectory(dir.file("missing"), "*").empty());
}

TEST(Ticks, AdvanceInMilliseconds) {
  // Judged by the standard steady clock, not by the counter under test: a
  // counter in other units or one that stands still is caught. The ticks
  // are read between two readings of the clock on each side, so the true
  // advance lies between the inner and the outer interval; the slack covers
  // the counter's granularity (about 16 ms on some systems).
  using Clock = std::chrono::steady_clock;
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  const auto outerStart = Clock::now();
  const std::uint32_t start = qp::tickCount();
  const auto innerStart = Clock::now();
  std::this_thread::sleep_for(milliseconds(120));
  const auto innerEnd = Clock::now();
  const std::uint32_t end = qp::tickCount();
  const auto outerEnd = Clock::now();
  const long long advance = static_cast<std::uint32_t>(end - start);
  const long long inner = duration_cast<milliseconds>(innerEnd - innerStart).count();
  const long long outer = duration_cast<milliseconds>(outerEnd - outerStart).count();
  constexpr long long kSlack = 20;
  EXPECT_GE(advance, inner - kSlack);
  EXPECT_LE(advance, outer + kSlack);
}

}  // namespace
