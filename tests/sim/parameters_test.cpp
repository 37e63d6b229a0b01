// Parameters: defaults from the simulator's configuration, checks, the
// colour format, and the values read by picture number.
#include "acqsim_fixture.h"

namespace qx::test {
namespace {

TEST_F(AcqSim, DefaultsAreAGreyVgaPictureAtTwentyFivePerSecond) {
  EXPECT_EQ(get(ACQSIM_PARAM_WIDTH), 640);
  EXPECT_EQ(get(ACQSIM_PARAM_HEIGHT), 480);
  EXPECT_EQ(get(ACQSIM_PARAM_FORMAT), 8);
  EXPECT_EQ(get(ACQSIM_PARAM_RATE), 25);
  EXPECT_EQ(get(ACQSIM_PARAM_TRIGGER_MODE, 1), ACQSIM_TRIGGER_FREE_RUN);
  EXPECT_EQ(get(ACQSIM_PARAM_PICTURE_SIZE), 640 * 480);
}

TEST_F(AcqSim, ConfigurationSetsEveryPortAndBadValuesFallBack) {
  open("acq.width = 320\nacq.height = 200\nacq.format = 24\nacq.rate = 100001\n");
  for (int port = 0; port < 2; ++port) {
    EXPECT_EQ(get(ACQSIM_PARAM_WIDTH, port), 320);
    EXPECT_EQ(get(ACQSIM_PARAM_HEIGHT, port), 200);
    EXPECT_EQ(get(ACQSIM_PARAM_FORMAT, port), 24);
    EXPECT_EQ(get(ACQSIM_PARAM_RATE, port), 25);
    EXPECT_EQ(get(ACQSIM_PARAM_PICTURE_SIZE, port), 320 * 200 * 3);
  }
}

TEST_F(AcqSim, SettingsAreCheckedAndKeptPerPort) {
  EXPECT_EQ(set(ACQSIM_PARAM_WIDTH, 1024, 1), 0);
  EXPECT_EQ(get(ACQSIM_PARAM_WIDTH, 1), 1024);
  EXPECT_EQ(get(ACQSIM_PARAM_WIDTH, 0), 640);
  EXPECT_EQ(set(ACQSIM_PARAM_FORMAT, 16), ACQSIM_ERR_VALUE);
  EXPECT_EQ(set(ACQSIM_PARAM_WIDTH, 3), ACQSIM_ERR_VALUE);
  EXPECT_EQ(set(ACQSIM_PARAM_RATE, 0), ACQSIM_ERR_VALUE);
  EXPECT_EQ(set(ACQSIM_PARAM_RATE, 100001), ACQSIM_ERR_VALUE);
  // Small regions of fast cameras run far above 1000 pictures per second.
  EXPECT_EQ(set(ACQSIM_PARAM_RATE, 100000, 1), 0);
  EXPECT_EQ(get(ACQSIM_PARAM_RATE, 1), 100000);
  EXPECT_EQ(set(ACQSIM_PARAM_TRIGGER_MODE, 2), ACQSIM_ERR_VALUE);
  EXPECT_EQ(lastError(), ACQSIM_ERR_VALUE);
  EXPECT_EQ(get(ACQSIM_PARAM_FORMAT), 8);  // unchanged by the refusals
  EXPECT_EQ(set(12345, 1), ACQSIM_ERR_PARAMETER);
  EXPECT_EQ(get(12345), ACQSIM_ERR_PARAMETER);
  EXPECT_EQ(set(ACQSIM_PARAM_PICTURE_SIZE, 1), ACQSIM_ERR_PARAMETER);  // read only
  EXPECT_EQ(set(ACQSIM_PARAM_WIDTH, 64, 2), ACQSIM_ERR_PORT);
  auto setParameter = entry<PxSetParameterFn>("Px_setParameter");
  auto getParameter = entry<PxGetParameterFn>("Px_getParameter");
  EXPECT_EQ(setParameter(px_, ACQSIM_PARAM_WIDTH, nullptr, 0), ACQSIM_ERR_ARGUMENT);
  EXPECT_EQ(getParameter(px_, ACQSIM_PARAM_WIDTH, nullptr, 0), ACQSIM_ERR_ARGUMENT);
  // The Ex read takes the same parameters.
  int value = 0;
  EXPECT_EQ(entry<PxGetParameterExFn>("Px_getParameterEx")(px_, ACQSIM_PARAM_WIDTH, &value, 1,
                                                           nullptr, 0),
            0);
  EXPECT_EQ(value, 1024);
}

TEST_F(AcqSim, ColourPicturesAreBlueGreenRedRowsWithoutPadding) {
  const int w = 5, h = 3;  // 15 bytes a row: no row is padded to 4 bytes
  ASSERT_EQ(set(ACQSIM_PARAM_FORMAT, 24), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_WIDTH, w), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_HEIGHT, h), 0);
  EXPECT_EQ(get(ACQSIM_PARAM_PICTURE_SIZE), w * h * 3);
  std::vector<unsigned char> buffer(w * h * 3 + 1, 0xee);
  auto head = entry<PxAllocMemHeadFn>("Px_AllocMemHead")(px_, w * h * 3 + 1, 1);
  ASSERT_EQ(entry<PxAddMemFn>("Px_AddMem")(px_, head, 0, w * h * 3 + 1, buffer.data()), 0);
  ASSERT_EQ(acquire(0, 7, ACQSIM_MODE_CONTINUOUS, head), 0);
  ASSERT_EQ(wait(7, 0, 5000, head), 7);
  EXPECT_EQ(patternMismatch(buffer.data(), w, h, 3, 7), "");
  // Byte by byte, past the stamp: pixel (2, 1) of picture 7.
  const unsigned char* px = buffer.data() + (1 * w + 2) * 3;
  EXPECT_EQ(px[0], (2 + 1 + 4 * 7) & 0xff);              // blue
  EXPECT_EQ(px[1], (1 + 2 * 7) & 0xff);                  // green
  EXPECT_EQ(px[2], ((2 + 2 * 7) ^ (1 + 2 * 7)) & 0xff);  // red
  EXPECT_EQ(buffer.back(), 0xee);                        // nothing written past the picture
}

TEST_F(AcqSim, TagAndTransferLengthAreReadByPictureNumber) {
  open("acq.width = 16\nacq.height = 4\n");
  void* memory = allocMem(16 * 4 * 3, 3);
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, 1), ACQSIM_ERR_NO_PICTURE);  // nothing taken
  ASSERT_EQ(acquire(0, 0, ACQSIM_MODE_SOFTWARE_TRIGGER, memory), 0);
  for (int n = 1; n <= 4; ++n) ASSERT_EQ(trigger(0), 0);
  ASSERT_EQ(wait(4, 0, 5000, memory), 4);
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, 4), ACQSIM_TAG(0, 4));
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, 2), ACQSIM_TAG(0, 2));
  EXPECT_EQ(get(ACQSIM_PARAM_TRANSFER_LENGTH, 0, 3), 16 * 4);
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, 1), ACQSIM_ERR_NO_PICTURE);  // overwritten by 4
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, 5), ACQSIM_ERR_NO_PICTURE);  // not yet taken
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, 0), ACQSIM_ERR_NO_PICTURE);
  // A failed read leaves the variable as it was.
  int value = 1;
  EXPECT_EQ(
      entry<PxGetParameterFn>("Px_getParameter")(px_, ACQSIM_PARAM_TRANSFER_LENGTH, &value, 0),
      ACQSIM_ERR_NO_PICTURE);
  EXPECT_EQ(value, 1);
  // The grabber library asks for these after every wait, with the wait's
  // result preloaded: a missing picture must not hide the wait's failure.
  EXPECT_EQ(wait(5, 0, 20, memory), ACQSIM_ERR_TIMEOUT);
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, ACQSIM_ERR_TIMEOUT), ACQSIM_ERR_NO_PICTURE);
  EXPECT_EQ(lastError(), ACQSIM_ERR_TIMEOUT);
  // After a stop the pictures can still be asked for.
  ASSERT_EQ(stop(0), 0);
  EXPECT_EQ(get(ACQSIM_PARAM_TRANSFER_LENGTH, 0, 4), 16 * 4);
}

}  // namespace
}  // namespace qx::test
