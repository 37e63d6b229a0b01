// The trace file: opened by each Px_Init, stamped lines, whole lines under
// concurrency, silent when it cannot be written.
#include "pictordyn_test.h"

#include <atomic>
#include <regex>
#include <thread>

namespace qt = qx::test;

namespace {

TEST(Trace, NothingIsWrittenBeforeTheFirstInit) {
  qt::TempDir dir;
  Px_Struct* h = Px_InitCamera(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(Px_getLastErrorNumber(nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_FreeGrabber(h), 3);
  EXPECT_FALSE(qt::fileExists("pictor.log"));
}

TEST(Trace, EachInitStartsTheFileAndItsClockAnew) {
  qt::TempDir dir;
  Px_Struct* first = Px_Init(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(first, nullptr);
  Px_Struct* second = Px_Init(qt::applet("applet_camera").c_str(), 1);
  ASSERT_NE(second, nullptr);
  const auto lines = qt::readLines("pictor.log");
  ASSERT_EQ(
      qt::maskedTrace(),
      (std::vector<std::string>{"T : Px_Init(" + qt::applet("applet_camera") + ",1)", "T : jjj"}));
  EXPECT_LT(*qt::traceOffset(lines[0]), 1000);
  // Lines of two handles used in turn land in call order in the one file.
  Px_getLastErrorNumber(first);
  Px_getLastErrorNumber(second);
  Px_FreeGrabber(second);
  Px_FreeGrabber(first);
  const auto trace = qt::maskedTrace();
  ASSERT_EQ(trace.size(), 6u);
  EXPECT_EQ(trace[2], "T : Px_getLastErrorNumber(" + qt::tracePointer(first) + ")");
  EXPECT_EQ(trace[3], "T : Px_getLastErrorNumber(" + qt::tracePointer(second) + ")");
  EXPECT_EQ(trace[4].rfind("T : Px_FreeGrabber(" + qt::tracePointer(second), 0), 0u);
  EXPECT_EQ(trace[5].rfind("T : Px_FreeGrabber(" + qt::tracePointer(first), 0), 0u);
}

TEST(Trace, UnwritableTraceLeavesEveryCallWorking) {
  qt::TempDir dir;
  // A folder in the file's place cannot be opened for writing, even by root.
  ASSERT_TRUE(qt::makeDir("pictor.log"));
  Px_Struct* h = Px_Init(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(Px_getLastErrorNumber(h), -777);
  EXPECT_EQ(Px_FreeGrabber(h), 3);
  EXPECT_TRUE(qt::readLines("pictor.log").empty());
}

TEST(Trace, LinesOfConcurrentCallersNeverMixEvenWhileTheTraceReopens) {
  qt::TempDir dir;
  Px_Init(nullptr, 0);
  std::atomic<bool> stop{false};
  auto writer = [&](int id) {
    for (int i = 0; i < 2000; ++i) Px_getErrorDescription(nullptr, id * 100000 + i);
  };
  std::thread reopener([&] {
    while (!stop) Px_Init(nullptr, 0);
  });
  std::thread a(writer, 1);
  std::thread b(writer, 2);
  a.join();
  b.join();
  stop = true;
  reopener.join();
  const std::regex line(R"(^-?\d+ : (Px_Init\(\(null\),0\)|jjj|Px_getErrorDescription\(0,\d+\))$)");
  const auto lines = qt::readLines("pictor.log");
  ASSERT_FALSE(lines.empty());
  for (const std::string& l : lines) EXPECT_TRUE(std::regex_match(l, line)) << l;
}

}  // namespace
