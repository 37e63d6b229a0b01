// Opening and closing displays: slots, numbers, positions, titles, the limit
// of 32, and windows closed by the user.
#include <chrono>
#include <string>

#include "display_fixture.h"

namespace qx::test {
namespace {

using WindowsTest = DisplayTest;

TEST_F(WindowsTest, FirstTwoDisplaysAreNumberedAndPlacedInOrder) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_EQ(CreateDisplay(24, 200, 150), 1);
  const OculonWindow first = GetWindowHandle(0);
  const OculonWindow second = GetWindowHandle(1);
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_NE(first, second);
  EXPECT_EQ(titleOf(first), "Framegrabber Display 0");
  EXPECT_EQ(titleOf(second), "Framegrabber Display 1");
  const Rect a = frameOf(first);
  const Rect b = frameOf(second);
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(b.x, 100);
  EXPECT_EQ(b.y, 20);
  // The creation size is the window's outer size.
  EXPECT_EQ(a.width, 200);
  EXPECT_EQ(a.height, 150);
}

TEST_F(WindowsTest, ClosedSlotIsReusedWithTheNumberOfTheOpenCount) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_EQ(CreateDisplay(8, 200, 150), 1);
  EXPECT_EQ(CloseDisplay(0), 1);
  EXPECT_FALSE(GetWindowHandle(0));
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  // One display was open, so the new one is number 1 like its neighbour.
  const OculonWindow reused = GetWindowHandle(0);
  EXPECT_EQ(titleOf(reused), "Framegrabber Display 1");
  EXPECT_EQ(frameOf(reused).x, 100);
  EXPECT_EQ(frameOf(reused).y, 20);
  EXPECT_EQ(titleOf(GetWindowHandle(1)), "Framegrabber Display 1");
  EXPECT_EQ(CloseDisplay(1), 1);
  EXPECT_EQ(CloseDisplay(0), 0);
}

TEST_F(WindowsTest, ThirtyThreeDisplaysAreRefusedAndAClosedSlotIsFreeAgain) {
  for (int i = 0; i < 32; ++i) ASSERT_EQ(CreateDisplay(8, 120, 60), i);
  EXPECT_EQ(CreateDisplay(8, 120, 60), -1);
  EXPECT_EQ(CreateDisplayEx(24, 120, 60, OculonWindow{}), -1);
  EXPECT_EQ(CloseDisplay(17), 31);
  EXPECT_EQ(CreateDisplay(8, 120, 60), 17);
  EXPECT_EQ(CreateDisplay(8, 120, 60), -1);
  for (int i = 31; i >= 0; --i) EXPECT_EQ(CloseDisplay(i), i);
}

TEST_F(WindowsTest, CloseEndsTheWindowPromptly) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  const OculonWindow window = GetWindowHandle(0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CloseDisplay(0), 0);
  const auto took = std::chrono::steady_clock::now() - start;
  // Far from any lingering wait of seconds.
  EXPECT_LT(took, std::chrono::seconds(3));
  EXPECT_FALSE(windowExists(window));
  EXPECT_EQ(CloseDisplay(0), -1);
}

TEST_F(WindowsTest, UnusableCreationArgumentsAreRefusedWithoutUsingASlot) {
  EXPECT_EQ(CreateDisplay(16, 200, 150), -1);
  EXPECT_EQ(CreateDisplay(32, 200, 150), -1);
  EXPECT_EQ(CreateDisplay(8, 0, 150), -1);
  EXPECT_EQ(CreateDisplay(24, 200, -5), -1);
  EXPECT_EQ(CreateDisplay(8, 200, 150), 0);
  EXPECT_EQ(titleOf(GetWindowHandle(0)), "Framegrabber Display 0");
}

TEST_F(WindowsTest, DisplayClosedByTheUserStaysOpenUntilCloseDisplay) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_EQ(CreateDisplay(8, 200, 150), 1);
  const OculonWindow window = GetWindowHandle(0);
  closeLikeUser(window);
  ASSERT_FALSE(windowExists(window));
  EXPECT_FALSE(GetWindowHandle(0));
  // Pictures handed over meanwhile are taken and go nowhere.
  ASSERT_EQ(SetBufferWidth(0, 64, 32), 64);
  const std::vector<uint8_t> picture = greyPicture(64, 32);
  EXPECT_EQ(DrawBuffer(0, picture.data(), 1, "gone"), 0);
  // The slot stays used: the next display takes slot 2.
  EXPECT_EQ(CreateDisplay(8, 200, 150), 2);
  EXPECT_EQ(CloseDisplay(0), 2);
}

TEST(DisplayRefusals, IndexOutsideTheTableOrOfAFreeSlotDoesNothing) {
  uint8_t pixels[64] = {};
  for (int index : {-1, 0, 5, 31, 32, 1000}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(SetDisplayWidth(index, 100, 100), -1);
    EXPECT_EQ(SetBufferWidth(index, 8, 8), -1);
    EXPECT_EQ(SetBuffer(index, pixels), -1);
    EXPECT_EQ(DrawBuffer(index, pixels, 1, "x"), -1);
    EXPECT_EQ(CloseDisplay(index), -1);
    EXPECT_FALSE(GetWindowHandle(index));
  }
}

}  // namespace
}  // namespace qx::test
