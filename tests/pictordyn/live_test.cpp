// A grabber on the acquisition simulator, driven through the library as an
// application does.
#include "acqsim.h"
#include "pictordyn_test.h"

#include <cstdint>
#include <cstring>

namespace qt = qx::test;

namespace {

std::uint32_t stampOf(const void* pixels) {
  const auto* b = static_cast<const unsigned char*>(pixels);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

TEST(Live, TwoHundredPicturesIntoFourBuffersArriveInOrderWithNoneLost) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_acqsim").c_str(), 0);
  ASSERT_NE(h, nullptr) << Px_getLastErrorDescription(nullptr);
  const int width = 640;
  const int height = 480;
  auto* first = static_cast<unsigned char*>(Px_AllocMem(h, width * height, 4, 0));
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(Px_Acquire(h, 0, 200), 0);
  int lost = 0;
  unsigned char* ring[4] = {first, nullptr, nullptr, nullptr};
  for (int n = 1; n <= 200; ++n) {
    const int last = Px_getLastPicNumberBlocking(h, n, 0, 5000);
    ASSERT_GE(last, n) << "picture " << n;
    auto* pixels = static_cast<unsigned char*>(Px_getImagePtr(h, n, 0));
    ASSERT_NE(pixels, nullptr);
    // Picture n lies in buffer (n - 1) % 4, picture 1 where the allocation
    // said.
    unsigned char*& buffer = ring[(n - 1) % 4];
    if (buffer == nullptr) buffer = pixels;
    EXPECT_EQ(pixels, buffer) << n;
    if (stampOf(pixels) != static_cast<std::uint32_t>(n)) ++lost;
    const int y = 100;
    const int x = 200;
    EXPECT_EQ(pixels[y * width + x], acqsim_pattern(x, y, n, 0)) << n;
  }
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(Px_stopAcquire(h, 0), 0);
  EXPECT_EQ(Px_FreeMem(h, 0), 0);
  EXPECT_EQ(h->word[PX_WORD_MEMORY_PORT0], nullptr);
  EXPECT_EQ(Px_FreeGrabber(h), 0);
  // Each wait left its picture's tag in the trace.
  int tags = 0;
  for (const std::string& line : qt::maskedTrace())
    if (line.rfind("T : ImageTag: 0x", 0) == 0) ++tags;
  EXPECT_EQ(tags, 200);
}

TEST(Live, ParametersAndSerialNumberReachTheApplet) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_acqsim").c_str(), 0);
  ASSERT_NE(h, nullptr);
  int width = 320;
  EXPECT_EQ(Px_setParameter(h, ACQSIM_PARAM_WIDTH, &width, 0), 0);
  int read = 0;
  EXPECT_EQ(Px_getParameter(h, ACQSIM_PARAM_WIDTH, &read, 0), 0);
  EXPECT_EQ(read, 320);
  EXPECT_GT(Px_getSerialNumber(h), 0);
  Px_FreeGrabber(h);
}

}  // namespace
