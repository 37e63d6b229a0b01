// Memory running out inside the library: every exported function returns its
// failure result instead of letting an exception out, on the caller's thread
// and on the window thread. This program's own operator new stands in for
// the whole process's, so a test can make allocations fail.
#include "counted_refusal.h"
#include "display_fixture.h"

namespace qx::test {
namespace {

using OutOfMemory = DisplayTest;

TEST_F(OutOfMemory, CreationFailsWithMinusOneWhereverMemoryRunsOutAndLeavesNothing) {
  // Budgets from none upwards make each allocation of a creation fail in
  // turn, those of the caller's thread and those of the window thread.
  long budget = 0;
  int created = -1;
  for (; budget < 2000 && created < 0; ++budget) {
    Refusal limit(budget);
    created = CreateDisplay(24, 160, 120);
    if (created < 0) {
      ASSERT_EQ(created, -1) << "with " << budget << " allocations";
    }
  }
  ASSERT_EQ(created, 0) << "no creation succeeded";
  // The creation allocates: the failures above were real ones.
  EXPECT_GT(budget, 3);
  // None of the failed creations kept a slot or counted as open: the
  // display is the first one.
  const std::string want = "Framegrabber Display 0";
  EXPECT_EQ(titleBecomes(GetWindowHandle(0), want), want);
  EXPECT_EQ(CloseDisplay(0), 0);
}

TEST_F(OutOfMemory, APictureWithoutMemoryForItsTitleIsRefusedAndNotDrawn) {
  ASSERT_EQ(CreateDisplay(8, 160, 120), 0);
  ASSERT_EQ(SetBufferWidth(0, 128, 96), 128);
  const std::vector<uint8_t> picture = greyPicture(128, 96);
  {
    Refusal none(0);
    EXPECT_EQ(DrawBuffer(0, picture.data(), 7, "without memory"), -1);
  }
  EXPECT_EQ(screenShows(GetWindowHandle(0), 128, 96, [](int, int) { return 0xffffffu; }), "");
  EXPECT_EQ(titleOf(GetWindowHandle(0)), "Framegrabber Display 0");
  // The display goes on once memory is back.
  EXPECT_EQ(DrawBuffer(0, picture.data(), 8, "with memory"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 128, 96, greyExpected), "");
  // What needs no memory still works without it, closing included.
  Refusal none(0);
  EXPECT_NE(SetDisplayWidth(0, 150, 110), 0);
  EXPECT_EQ(SetBufferWidth(0, 64, 48), 64);
  EXPECT_NE(GetWindowHandle(0), OculonWindow{});
  EXPECT_EQ(CloseDisplay(0), 0);
}

}  // namespace
}  // namespace qx::test
