// What reaches the screen, checked pixel for pixel in screenshots taken by
// the window system: grey through the grey ramp, colour in blue-green-red
// order, the top row at the top, repainting and resizing.
#include "testsupport.h"

#include "display_fixture.h"

namespace qx::test {
namespace {

using ScreenTest = DisplayTest;

constexpr uint32_t kWhite = 0xffffff;

TEST_F(ScreenTest, GreyPictureIsShownThroughTheGreyRampTopRowFirst) {
  ASSERT_EQ(CreateDisplay(8, 320, 200), 0);
  ASSERT_EQ(SetBufferWidth(0, 256, 96), 256);
  const std::vector<uint8_t> picture = greyPicture(256, 96);
  ASSERT_EQ(DrawBuffer(0, picture.data(), 1, "grey"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 256, 96, greyExpected), "");
}

TEST_F(ScreenTest, ColourPictureIsShownInItsColoursTopRowFirst) {
  ASSERT_EQ(CreateDisplay(24, 320, 200), 0);
  ASSERT_EQ(SetBufferWidth(0, 256, 96), 256);
  const std::vector<uint8_t> picture = colourPicture(256, 96);
  ASSERT_EQ(DrawBuffer(0, picture.data(), 1, "colour"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 256, 96, colourExpected), "");
}

TEST_F(ScreenTest, PicturesWithoutSharedMemoryLookTheSame) {
  setEnv("QUORLEX_DISPLAY_NO_SHM", "1");
  ASSERT_EQ(CreateDisplay(24, 320, 200), 0);
  ASSERT_EQ(CreateDisplay(8, 320, 200), 1);
  ASSERT_EQ(SetBufferWidth(0, 200, 80), 200);
  ASSERT_EQ(SetBufferWidth(1, 200, 80), 200);
  const std::vector<uint8_t> colour = colourPicture(200, 80);
  const std::vector<uint8_t> grey = greyPicture(200, 80);
  ASSERT_EQ(DrawBuffer(0, colour.data(), 1, "plain"), 0);
  ASSERT_EQ(DrawBuffer(1, grey.data(), 1, "plain"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 90, 80, colourExpected), "");
  EXPECT_EQ(screenShows(GetWindowHandle(1), 200, 80, greyExpected), "");
}

TEST_F(ScreenTest, NothingIsDrawnBeforeTheBufferSizeIsSet) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  std::vector<uint8_t> target(200 * 150, 0x33);
  CloseDisplaysHere closer;
  ASSERT_EQ(SetBuffer(0, target.data()), 1);
  const std::vector<uint8_t> picture = flatPicture(200, 150, 0x80);
  EXPECT_EQ(DrawBuffer(0, picture.data(), 1, "early"), 0);
  EXPECT_EQ(target[0], 0x33);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 64, 64, [](int, int) { return kWhite; }), "");
  EXPECT_EQ(CloseDisplay(0), 0);
}

TEST_F(ScreenTest, CallersBufferIsDrawnAndRepaintedAfterGrowing) {
  ASSERT_EQ(CreateDisplay(8, 300, 150), 0);
  std::vector<uint8_t> picture = greyPicture(256, 96);
  CloseDisplaysHere closer;
  // The caller's buffer is drawn and also receives the copy: handing over
  // the same buffer copies it onto itself.
  ASSERT_EQ(SetBuffer(0, picture.data()), 1);
  ASSERT_EQ(SetBufferWidth(0, 256, 96), 256);
  ASSERT_EQ(DrawBuffer(0, picture.data(), 1, "self"), 0);
  EXPECT_EQ(picture, greyPicture(256, 96));
  ASSERT_NE(SetDisplayWidth(0, 100, 60), 0);
  ASSERT_NE(SetDisplayWidth(0, 300, 150), 0);
  // Only the window thread's repaint can have filled the grown area.
  EXPECT_EQ(screenShows(GetWindowHandle(0), 256, 96, greyExpected), "");
  EXPECT_EQ(CloseDisplay(0), 0);
}

TEST_F(ScreenTest, AWindowGrownByTheUserShowsMoreOfThePictures) {
  // Made large enough to hold the pictures, then made small.
  ASSERT_EQ(CreateDisplay(8, 300, 200), 0);
  ASSERT_NE(SetDisplayWidth(0, 120, 80), 0);
  ASSERT_EQ(SetBufferWidth(0, 256, 160), 256);
  const std::vector<uint8_t> grey = greyPicture(256, 160);
  ASSERT_EQ(DrawBuffer(0, grey.data(), 1, "small"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 96, 48, greyExpected), "");
  // Grown through the window system, not SetDisplayWidth: only the window's
  // own notice of its new size tells the display to draw more.
  resizeFromOutside(GetWindowHandle(0), 420, 300);
  const std::vector<uint8_t> dark = flatPicture(256, 160, 0x20);
  ASSERT_EQ(DrawBuffer(0, dark.data(), 2, "grown"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 256, 160, [](int, int) { return 0x202020u; }), "");
  // And a repaint after it fills the grown window too.
  ASSERT_NE(SetDisplayWidth(0, 100, 60), 0);
  resizeFromOutside(GetWindowHandle(0), 420, 300);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 256, 160, [](int, int) { return 0x202020u; }), "");
}

TEST_F(ScreenTest, ClosingOneDisplayLeavesTheOthersPaintingAndResizing) {
  // The displays lie 100 pixels apart: their neighbours do not cover the
  // 64 pixels checked.
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(CreateDisplay(8, 90, 120), i);
    ASSERT_EQ(SetBufferWidth(i, 64, 48), 64);
  }
  const std::vector<uint8_t> picture = greyPicture(64, 48);
  EXPECT_EQ(CloseDisplay(1), 2);
  for (int i : {0, 2}) ASSERT_EQ(DrawBuffer(i, picture.data(), i, "after"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 64, 48, greyExpected), "");
  EXPECT_EQ(screenShows(GetWindowHandle(2), 64, 48, greyExpected), "");
  // The last display has nothing to its right to cover.
  ASSERT_NE(SetDisplayWidth(2, 150, 60), 0);
  EXPECT_EQ(frameOf(GetWindowHandle(2)).width, 150);
  EXPECT_EQ(frameOf(GetWindowHandle(2)).height, 60);
  ASSERT_NE(SetDisplayWidth(2, 150, 120), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(2), 64, 48, greyExpected), "");
  const std::vector<uint8_t> dark = flatPicture(64, 48, 0x10);
  ASSERT_EQ(DrawBuffer(0, dark.data(), 5, "dark"), 0);
  EXPECT_EQ(screenShows(GetWindowHandle(0), 64, 48, [](int, int) { return 0x101010u; }), "");
  {
    const std::string want = "Framegrabber Display 0 (000005) dark";
    EXPECT_EQ(titleBecomes(GetWindowHandle(0), want), want);
  }
}

// Takes a test's work area back whatever happens in the test.
struct WorkAreaAnnounced {
  explicit WorkAreaAnnounced(const Rect& area) : ok(announceWorkArea(area)) {}
  ~WorkAreaAnnounced() { withdrawWorkArea(); }
  const bool ok;
};

TEST_F(ScreenTest, ResizeWithoutOwnerIsClampedToTheWorkAreaLess16) {
  // A work area smaller than the screen and apart from its origin: sizes
  // clamped to the screen, or to the area's corner, show.
  const WorkAreaAnnounced announced({30, 40, 900, 700});
  ASSERT_TRUE(announced.ok);
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_NE(SetDisplayWidth(0, 5000, 300), 0);
  Rect frame = frameOf(GetWindowHandle(0));
  EXPECT_EQ(frame.width, 900 - 16);
  EXPECT_EQ(frame.height, 300);
  ASSERT_NE(SetDisplayWidth(0, 250, 5000), 0);
  frame = frameOf(GetWindowHandle(0));
  EXPECT_EQ(frame.width, 250);
  EXPECT_EQ(frame.height, 700 - 16);
}

#if !defined(_WIN32)
TEST_F(ScreenTest, ResizeWithoutOwnerOrWorkAreaIsClampedToTheScreenLess16) {
  if (windowManagerAnnouncesWorkArea()) GTEST_SKIP() << "a window manager announces a work area";
  const Rect screen = screenSize();
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_NE(SetDisplayWidth(0, 5000, 5000), 0);
  const Rect frame = frameOf(GetWindowHandle(0));
  EXPECT_EQ(frame.width, screen.width - 16);
  EXPECT_EQ(frame.height, screen.height - 16);
}
#endif

TEST_F(ScreenTest, ResizeWithOwnerIsClampedToTheOwnerLess16InEachDirection) {
  const OculonWindow owner = makeOwnerWindow(300, 200);
  ASSERT_TRUE(owner);
  const Rect ownerFrame = frameOf(owner);
  ASSERT_EQ(CreateDisplayEx(24, 150, 100, owner), 0);
  ASSERT_NE(SetDisplayWidth(0, 400, 150), 0);
  Rect frame = frameOf(GetWindowHandle(0));
  EXPECT_EQ(frame.width, ownerFrame.width - 16);
  EXPECT_EQ(frame.height, 150);
  ASSERT_NE(SetDisplayWidth(0, 250, 500), 0);
  frame = frameOf(GetWindowHandle(0));
  EXPECT_EQ(frame.width, 250);
  EXPECT_EQ(frame.height, ownerFrame.height - 16);
  ASSERT_NE(SetDisplayWidth(0, 120, 90), 0);
  frame = frameOf(GetWindowHandle(0));
  EXPECT_EQ(frame.width, 120);
  EXPECT_EQ(frame.height, 90);
  EXPECT_EQ(CloseDisplay(0), 0);
  destroyOwnerWindow(owner);
}

}  // namespace
}  // namespace qx::test
