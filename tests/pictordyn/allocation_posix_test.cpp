// Memory running out inside the library: every exported function returns its
// failure result instead of letting an exception out. This program's own
// operator new stands in for the whole process's, so a test can make
// allocations fail.
#include "pictordyn_test.h"
#include "replaced_new.h"

#include <atomic>
#include <cstddef>

namespace {

// Allocations of this many bytes or more fail; 0: none fails.
std::atomic<std::size_t> g_failFrom{0};
// Allocations of exactly this many bytes fail; 0: none fails.
std::atomic<std::size_t> g_failExactly{0};

// Ends the refusal when the test ends, whatever happened.
struct Refusal {
  explicit Refusal(std::atomic<std::size_t>& which, std::size_t n) : which_(which) {
    which_.store(n);
  }
  ~Refusal() { which_.store(0); }
  std::atomic<std::size_t>& which_;
};

}  // namespace

bool qx::test::refuseAllocation(std::size_t n) noexcept {
  const std::size_t from = g_failFrom.load(std::memory_order_relaxed);
  const std::size_t exactly = g_failExactly.load(std::memory_order_relaxed);
  return (from != 0 && n >= from) || (exactly != 0 && n == exactly);
}

namespace qt = qx::test;

namespace {

TEST(OutOfMemory, ARecordThatCannotBeAllocatedFailsWithDllNotLoaded) {
  qt::TempDir dir;
  const std::string name = qt::applet("applet_camera");
  {
    Refusal refusal(g_failExactly, sizeof(Px_Struct));
    EXPECT_EQ(Px_Init(name.c_str(), 0), nullptr);
  }
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_FALSE(qt::isLoaded(name));
  // The applet was never asked to make a grabber it could not be given.
  EXPECT_TRUE(qt::withPrefix("applet_camera: Px_Initialise", dir.journal()).empty());
}

TEST(OutOfMemory, AConfigurationSearchWithoutMemoryFailsWithItsOwnResult) {
  qt::TempDir dir;
  // Long enough that reading it whole needs large blocks.
  qt::writeFile(dir.file("big.cfg"),
                std::string(200000, ' ') + "Hersteller=\"Corvane GmbH\";Typ=\"T\";Version=\"1\";");
  const std::string cfg = dir.file("big.cfg");
  {
    Refusal refusal(g_failFrom, 16 * 1024);
    EXPECT_EQ(Px_InitConfig(cfg.c_str(), 0), nullptr);
  }
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(qt::maskedTrace(), (std::vector<std::string>{"T : Px_InitConfig(" + cfg + ",0)",
                                                         "T : Px_InitConfig: out of memory",
                                                         "T : getLastErrorNumber() : -120"}));
}

TEST(OutOfMemory, ATraceLineTooLongForTheMemoryLeftIsWrittenCut) {
  qt::Recorder rec;
  const std::string name(3000, 'n');
  {
    Refusal refusal(g_failFrom, 2048);
    EXPECT_EQ(Px_saveConfig(rec.h, name.c_str()), 1014);
  }
  const std::string line = rec.trace().back();
  EXPECT_EQ(line.rfind("T : Px_saveConfig(" + rec.H + ",nnnn", 0), 0u) << line;
  EXPECT_LT(line.size(), 520u);
  // The call was forwarded all the same.
  EXPECT_EQ(rec.calls().back(), "Px_saveConfig(" + rec.H + "," + name + ")");
}

}  // namespace
