// Handing pictures over: how much DrawBuffer copies, what it refuses, and
// the title it sets.
#include <algorithm>
#include <string>
#include <utility>

#include "display_fixture.h"

namespace qx::test {
namespace {

using PicturesTest = DisplayTest;

struct CopyCase {
  int bitDepth;
  int width;
  int height;
  size_t bytes;
};

class CopySizeTest : public DisplayTest, public ::testing::WithParamInterface<CopyCase> {};

// The picture is copied into a buffer of the caller (SetBuffer) with room to
// spare on both sides, so that exactly the bytes copied can be counted.
TEST_P(CopySizeTest, CopiesTheRoundedPictureSizeAndNoMore) {
  const CopyCase c = GetParam();
  ASSERT_EQ(CreateDisplay(c.bitDepth, 640, 480), 0);
  ASSERT_EQ(SetBufferWidth(0, c.width, c.height), c.width);
  const size_t room = c.bytes + 4096;
  std::vector<uint8_t> target(room, 0xaa);
  std::vector<uint8_t> picture(room, 0x55);
  CloseDisplaysHere closer;
  ASSERT_EQ(SetBuffer(0, target.data()), 1);
  ASSERT_EQ(DrawBuffer(0, picture.data(), 1, "copy"), 0);
  const size_t copied = static_cast<size_t>(std::count(target.begin(), target.end(), 0x55));
  EXPECT_EQ(copied, c.bytes);
  EXPECT_EQ(target[c.bytes - 1], 0x55);
  EXPECT_EQ(target[c.bytes], 0xaa);
  // The display draws from `target` until it is closed.
  EXPECT_EQ(CloseDisplay(0), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CopySizeTest,
                         ::testing::Values(CopyCase{8, 640, 480, 307200},
                                           CopyCase{24, 640, 480, 921600},
                                           // Widths count in whole groups of 8 pixels.
                                           CopyCase{8, 100, 480, 104 * 480},
                                           CopyCase{24, 100, 480, 104 * 3 * 480}),
                         [](const ::testing::TestParamInfo<CopyCase>& info) {
                           return "Depth" + std::to_string(info.param.bitDepth) + "Width" +
                                  std::to_string(info.param.width);
                         });

class CreationSizeTest : public DisplayTest,
                         public ::testing::WithParamInterface<std::pair<int, int>> {};

// A picture of the size the display was created with is always drawn, also
// when its width is not a multiple of 8 pixels and DrawBuffer copies more
// than the display's rows hold. Its rows lie 4-byte aligned, as drawn.
TEST_P(CreationSizeTest, PictureOfTheCreatedSizeIsDrawn) {
  const int bitDepth = GetParam().first;
  const int width = GetParam().second;
  const int height = 120;
  const int channels = bitDepth / 8;
  const size_t stride = (static_cast<size_t>(width) * channels + 3) / 4 * 4;
  const size_t bytes = (static_cast<size_t>(width) + 7) / 8 * bitDepth * height;
  std::vector<uint8_t> picture(bytes, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* px = &picture[y * stride + static_cast<size_t>(x) * channels];
      px[0] = uint8_t(x + 2 * y);
      if (channels == 3) px[1] = uint8_t(3 * y), px[2] = uint8_t(255 - x);
    }
  }
  ASSERT_EQ(CreateDisplay(bitDepth, width, height), 0);
  ASSERT_EQ(SetBufferWidth(0, width, height), width);
  ASSERT_EQ(DrawBuffer(0, picture.data(), 1, "size"), 0);
  const OculonWindow window = GetWindowHandle(0);
  const Rect client = clientOf(window);
  const int shownWidth = std::min(width, client.width);
  const int shownHeight = std::min(height, client.height);
  ASSERT_GT(shownWidth, 0);
  ASSERT_GT(shownHeight, 0);
  EXPECT_EQ(screenShows(window, shownWidth, shownHeight,
                        [&](int x, int y) {
                          const uint32_t v = uint8_t(x + 2 * y);
                          if (channels == 1) return v << 16 | v << 8 | v;
                          return uint32_t(uint8_t(255 - x)) << 16 | uint32_t(uint8_t(3 * y)) << 8 |
                                 v;
                        }),
            "");
}

INSTANTIATE_TEST_SUITE_P(Widths, CreationSizeTest,
                         ::testing::Values(std::make_pair(8, 100), std::make_pair(8, 105),
                                           std::make_pair(24, 100), std::make_pair(24, 642),
                                           std::make_pair(24, 644)),
                         [](const ::testing::TestParamInfo<std::pair<int, int>>& info) {
                           return "Depth" + std::to_string(info.param.first) + "Width" +
                                  std::to_string(info.param.second);
                         });

// A picture taller than the window shows its top rows, not its bottom ones.
TEST_F(PicturesTest, PictureTallerThanTheWindowShowsItsTopRows) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_EQ(SetBufferWidth(0, 64, 400), 64);
  std::vector<uint8_t> own(64 * 400);
  CloseDisplaysHere closer;
  ASSERT_EQ(SetBuffer(0, own.data()), 1);
  const std::vector<uint8_t> picture = greyPicture(64, 400);
  ASSERT_EQ(DrawBuffer(0, picture.data(), 1, "tall"), 0);
  const OculonWindow window = GetWindowHandle(0);
  const int rows = std::min(400, clientOf(window).height);
  ASSERT_GT(rows, 0);
  EXPECT_EQ(screenShows(window, 64, rows, greyExpected), "");
  EXPECT_EQ(CloseDisplay(0), 0);
}

TEST_F(PicturesTest, TitleCarriesDisplayNumberPictureNumberAndText) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_EQ(SetBufferWidth(0, 64, 32), 64);
  const std::vector<uint8_t> picture = greyPicture(64, 32);
  ASSERT_EQ(DrawBuffer(0, picture.data(), 42, "run"), 0);
  {
    const std::string want = "Framegrabber Display 0 (000042) run";
    EXPECT_EQ(titleBecomes(GetWindowHandle(0), want), want);
  }
  ASSERT_EQ(DrawBuffer(0, picture.data(), -7, nullptr), 0);
  {
    const std::string want = "Framegrabber Display 0 (-000007) ";
    EXPECT_EQ(titleBecomes(GetWindowHandle(0), want), want);
  }
}

TEST_F(PicturesTest, LongTitlesAreCutTo127Characters) {
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  ASSERT_EQ(SetBufferWidth(0, 8, 8), 8);
  const std::vector<uint8_t> picture = greyPicture(8, 8);
  const std::string text(300, 'x');
  ASSERT_EQ(DrawBuffer(0, picture.data(), 1, text.c_str()), 0);
  const std::string expected = ("Framegrabber Display 0 (000001) " + text).substr(0, 127);
  EXPECT_EQ(titleBecomes(GetWindowHandle(0), expected), expected);
}

TEST_F(PicturesTest, PictureLargerThanTheDisplaysOwnMemoryIsRefused) {
  ASSERT_EQ(CreateDisplay(8, 64, 64), 0);
  // The display's own memory holds 64 x 64 grey pixels.
  ASSERT_EQ(SetBufferWidth(0, 64, 65), 64);
  const std::vector<uint8_t> picture = greyPicture(64, 65);
  EXPECT_EQ(DrawBuffer(0, picture.data(), 9, "big"), -1);
  EXPECT_EQ(titleOf(GetWindowHandle(0)), "Framegrabber Display 0");
  ASSERT_EQ(SetBufferWidth(0, 64, 64), 64);
  EXPECT_EQ(DrawBuffer(0, picture.data(), 9, "fits"), 0);
  // Memory of the caller's is the caller's to size.
  std::vector<uint8_t> own(64 * 65);
  CloseDisplaysHere closer;
  ASSERT_EQ(SetBuffer(0, own.data()), 1);
  ASSERT_EQ(SetBufferWidth(0, 64, 65), 64);
  EXPECT_EQ(DrawBuffer(0, picture.data(), 10, "big"), 0);
  EXPECT_EQ(own, picture);
  EXPECT_EQ(CloseDisplay(0), 0);
}

TEST_F(PicturesTest, NullPointersAndNegativeSizesAreRefused) {
  ASSERT_EQ(CreateDisplay(24, 200, 150), 0);
  EXPECT_EQ(SetBuffer(0, nullptr), -1);
  EXPECT_EQ(SetBufferWidth(0, -1, 10), -1);
  EXPECT_EQ(SetBufferWidth(0, 10, -1), -1);
  EXPECT_EQ(DrawBuffer(0, nullptr, 1, "none"), -1);
  EXPECT_EQ(SetDisplayWidth(0, 0, 100), 0);
  // The display is unharmed.
  ASSERT_EQ(SetBufferWidth(0, 16, 16), 16);
  const std::vector<uint8_t> picture = colourPicture(16, 16);
  EXPECT_EQ(DrawBuffer(0, picture.data(), 3, "ok"), 0);
  {
    const std::string want = "Framegrabber Display 0 (000003) ok";
    EXPECT_EQ(titleBecomes(GetWindowHandle(0), want), want);
  }
}

}  // namespace
}  // namespace qx::test
