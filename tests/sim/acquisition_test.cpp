// Pictures, picture numbers, waits, triggers, stop and restart.
#include "acqsim_fixture.h"

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace qx::test {
namespace {

using Clock = std::chrono::steady_clock;

TEST_F(AcqSim, TwoHundredPicturesIntoFourBuffersArriveInOrderAndNoneIsLost) {
  const int w = 640, h = 480;
  void* memory = allocMem(w * h, 4);
  ASSERT_NE(memory, nullptr);
  ASSERT_EQ(acquire(0, 200, ACQSIM_MODE_CONTINUOUS, memory), 0);
  for (int n = 1; n <= 200; ++n) {
    ASSERT_GE(wait(n, 0, 2000, memory), n);
    const unsigned char* p = picture(n, 0, memory);
    ASSERT_EQ(p, picture((n - 1) % 4 + 1, 0, memory));
    // Every 16th row keeps the check well inside one picture period.
    ASSERT_EQ(patternMismatch(p, w, h, 1, n, 16), "");
    // Still picture n after it was read: the ring was not overrun.
    ASSERT_EQ(stampOf(p), n);
  }
  // The count is reached: no further picture can come, and the wait says so
  // at once instead of running into its time-out.
  const auto start = Clock::now();
  EXPECT_EQ(wait(201, 0, 10000, memory), ACQSIM_ERR_NOT_ACQUIRING);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(last(0, memory), 200);
  EXPECT_EQ(wait(150, 0, 0, memory), 200);
  EXPECT_EQ(stop(0), 0);
  EXPECT_EQ(freeMem(memory), 0);
}

TEST_F(AcqSim, SoftwareTriggerMakesOnePicturePerTrigger) {
  open("acq.width = 32\nacq.height = 8\n");
  void* memory = allocMem(32 * 8, 2);
  ASSERT_EQ(acquire(0, ACQSIM_ENDLESS, ACQSIM_MODE_SOFTWARE_TRIGGER, memory), 0);
  EXPECT_EQ(wait(1, 0, 100, memory), ACQSIM_ERR_TIMEOUT);
  EXPECT_EQ(lastError(), ACQSIM_ERR_TIMEOUT);
  for (int n = 1; n <= 3; ++n) {
    ASSERT_EQ(trigger(0), 0);
    ASSERT_EQ(wait(n, 0, 5000, memory), n);
    EXPECT_EQ(patternMismatch(picture(n, 0, memory), 32, 8, 1, n), "");
  }
  EXPECT_EQ(wait(4, 0, 100, memory), ACQSIM_ERR_TIMEOUT);
  EXPECT_EQ(last(0), 3);
  // A trigger on the other port, which does not acquire, is refused.
  EXPECT_EQ(trigger(1), ACQSIM_ERR_NOT_ACQUIRING);
  EXPECT_EQ(trigger(2), ACQSIM_ERR_PORT);
}

TEST_F(AcqSim, TriggerModeParameterTurnsModeOneIntoSoftwareTrigger) {
  open("acq.width = 16\nacq.height = 4\n");
  ASSERT_EQ(set(ACQSIM_PARAM_TRIGGER_MODE, ACQSIM_TRIGGER_SOFTWARE), 0);
  void* memory = allocMem(64, 4);
  ASSERT_EQ(acquire(0, 0, ACQSIM_MODE_CONTINUOUS, memory), 0);
  EXPECT_EQ(wait(1, 0, 150, memory), ACQSIM_ERR_TIMEOUT);
  ASSERT_EQ(trigger(0), 0);
  EXPECT_EQ(wait(1, 0, 5000, memory), 1);
}

TEST_F(AcqSim, FreeRunningRefusesSoftwareTriggers) {
  void* memory = allocMem(640 * 480, 4);
  ASSERT_EQ(acquire(0, 0, ACQSIM_MODE_CONTINUOUS, memory), 0);
  EXPECT_EQ(trigger(0), ACQSIM_ERR_NOT_ACQUIRING);
}

TEST_F(AcqSim, GetImageExPollsWithTimeoutZeroAndWaitsLikeTheEventEntryOtherwise) {
  auto getImageEx = entry<PxGetImageExFn>("Px_getImageEx");
  void* memory = allocMem(640 * 480, 4);
  ASSERT_EQ(acquire(0, 0, ACQSIM_MODE_SOFTWARE_TRIGGER, memory), 0);
  EXPECT_EQ(getImageEx(px_, 230, 1, 0, 0, memory), 0);  // nothing yet, no wait
  EXPECT_EQ(getImageEx(px_, 230, 1, 0, 50, memory), ACQSIM_ERR_TIMEOUT);
  auto eventEx = entry<PxGetLastPicNumberEventExFn>("Px_getLastPicNumberEventEx");
  EXPECT_EQ(eventEx(px_, 1, 0, 50, memory, nullptr), ACQSIM_ERR_TIMEOUT);
  ASSERT_EQ(trigger(0), 0);
  EXPECT_EQ(getImageEx(px_, 230, 1, 0, 5000, memory), 1);
  EXPECT_EQ(eventEx(px_, 1, 0, 5000, memory, nullptr), 1);
  EXPECT_EQ(getImageEx(px_, 231, 1, 0, 0, memory), ACQSIM_ERR_SELECTOR);
  // The null memory means the port's own, as the port-based calls pass it.
  EXPECT_EQ(getImageEx(px_, 230, 1, 0, 0, nullptr), 1);
  int poison = 0;
  EXPECT_EQ(getImageEx(px_, 230, 1, 0, 0, &poison), ACQSIM_ERR_MEMORY_HANDLE);
}

TEST_F(AcqSim, StopEndsWaitsAndRestartNumbersFromOne) {
  void* memory = allocMem(640 * 480, 4);
  ASSERT_EQ(acquire(0, ACQSIM_ENDLESS, ACQSIM_MODE_CONTINUOUS, memory), 0);
  ASSERT_GE(wait(3, 0, 5000, memory), 3);
  // A waiter for a picture that will not come in time is released by stop.
  int waited = 0;
  std::thread waiter([&] { waited = wait(1000000, 0, -1, memory); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(stop(0), 0);
  waiter.join();
  EXPECT_EQ(waited, ACQSIM_ERR_NOT_ACQUIRING);
  const int stopped = last(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(last(0), stopped);  // no picture after the stop
  EXPECT_EQ(wait(stopped + 1, 0, 10000, memory), ACQSIM_ERR_NOT_ACQUIRING);
  EXPECT_EQ(stop(0), 0);  // stopping again is harmless

  ASSERT_EQ(acquire(0, 2, ACQSIM_MODE_CONTINUOUS, memory), 0);
  EXPECT_LE(last(0), 2);
  ASSERT_EQ(wait(2, 0, 5000, memory), 2);
  EXPECT_EQ(stampOf(picture(1, 0, memory)), 1);
  // Pictures of the first run are forgotten, though their buffers remain.
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 0, 3), ACQSIM_ERR_NO_PICTURE);
}

TEST_F(AcqSim, APortAcquiresOnceAndItsMemoryStaysWhileItDoes) {
  void* memory = allocMem(640 * 480, 4);
  ASSERT_EQ(acquire(0, 0, ACQSIM_MODE_CONTINUOUS, memory), 0);
  EXPECT_EQ(acquire(0, 0, ACQSIM_MODE_CONTINUOUS, memory), ACQSIM_ERR_ACQUIRING);
  EXPECT_EQ(acquire(1, 0, ACQSIM_MODE_CONTINUOUS, memory), ACQSIM_ERR_BUSY);
  EXPECT_EQ(freeMem(memory), ACQSIM_ERR_BUSY);
  EXPECT_EQ(set(ACQSIM_PARAM_WIDTH, 320), ACQSIM_ERR_BUSY);
  EXPECT_EQ(set(ACQSIM_PARAM_RATE, 50), 0);  // the rate may change on the fly
  EXPECT_EQ(stop(0), 0);
  EXPECT_EQ(freeMem(memory), 0);
  EXPECT_EQ(freeMem(memory), ACQSIM_ERR_MEMORY_HANDLE);
}

TEST_F(AcqSim, AcquisitionChecksItsArguments) {
  void* small = allocMem(640 * 480 - 1, 4);
  EXPECT_EQ(acquire(0, 0, ACQSIM_MODE_CONTINUOUS, small), ACQSIM_ERR_BUFFER_TOO_SMALL);
  void* memory = allocMem(640 * 480, 4);
  EXPECT_EQ(acquire(2, 0, ACQSIM_MODE_CONTINUOUS, memory), ACQSIM_ERR_PORT);
  EXPECT_EQ(acquire(0, 0, 7, memory), ACQSIM_ERR_ARGUMENT);
  EXPECT_EQ(acquire(0, 0, ACQSIM_MODE_CONTINUOUS, nullptr), ACQSIM_ERR_MEMORY_HANDLE);
  EXPECT_EQ(wait(1, 0, 1000, memory), ACQSIM_ERR_NOT_ACQUIRING);
  EXPECT_EQ(lastError(), ACQSIM_ERR_NOT_ACQUIRING);
}

TEST_F(AcqSim, BothPortsRunAtOnceWithTheirOwnFormats) {
  ASSERT_EQ(set(ACQSIM_PARAM_FORMAT, 24, 1), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_WIDTH, 64, 1), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_HEIGHT, 16, 1), 0);
  void* grey = allocMem(640 * 480, 4);
  void* colour = allocMem(64 * 16 * 3, 3);
  ASSERT_EQ(acquire(0, 10, ACQSIM_MODE_CONTINUOUS, grey), 0);
  ASSERT_EQ(acquire(1, 10, ACQSIM_MODE_CONTINUOUS, colour), 0);
  ASSERT_EQ(wait(10, 0, 5000, grey), 10);
  ASSERT_EQ(wait(10, 1, 5000, colour), 10);
  EXPECT_EQ(patternMismatch(picture(10, 0, grey), 640, 480, 1, 10), "");
  EXPECT_EQ(patternMismatch(picture(10, 1, colour), 64, 16, 3, 10), "");
  EXPECT_EQ(get(ACQSIM_PARAM_TRANSFER_LENGTH, 1, 10), 64 * 16 * 3);
  EXPECT_EQ(get(ACQSIM_PARAM_IMAGE_TAG, 1, 10), ACQSIM_TAG(1, 10));
  EXPECT_EQ(get(ACQSIM_PARAM_TRANSFER_LENGTH, 0, 10), 640 * 480);
}

// Rows are copied from rows prepared per geometry and chosen by picture
// number: every byte of every picture must still be the pattern, where rows
// and columns pass the pattern's 256-pixel period, for every shift the
// pictures go through (colour repeats after 128 pictures), and at the
// narrowest and widest pictures.
TEST_F(AcqSim, EveryByteIsThePatternThroughAWholePeriodAndAtTheLimits) {
  const int w = 301, h = 259, count = 130;
  ASSERT_EQ(set(ACQSIM_PARAM_RATE, 1000, 0), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_WIDTH, w, 0), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_HEIGHT, h, 0), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_RATE, 1000, 1), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_FORMAT, 24, 1), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_WIDTH, w, 1), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_HEIGHT, h, 1), 0);
  // One buffer per picture: none is overwritten before it is checked.
  void* grey = allocMem(w * h, count);
  void* colour = allocMem(w * h * 3, count);
  ASSERT_EQ(acquire(0, count, ACQSIM_MODE_CONTINUOUS, grey), 0);
  ASSERT_EQ(acquire(1, count, ACQSIM_MODE_CONTINUOUS, colour), 0);
  ASSERT_EQ(wait(count, 0, 20000, grey), count);
  ASSERT_EQ(wait(count, 1, 20000, colour), count);
  for (int n = 1; n <= count; ++n) {
    ASSERT_EQ(patternMismatch(picture(n, 0, grey), w, h, 1, n), "");
    ASSERT_EQ(patternMismatch(picture(n, 1, colour), w, h, 3, n), "");
  }

  // The geometry changes between acquisitions: the prepared rows follow,
  // down to the narrowest picture, and up to the widest.
  const std::vector<std::pair<int, int>> geometries = {{4, 8}, {4, 24}, {16384, 24}, {16384, 8}};
  for (const auto& [width, format] : geometries) {
    ASSERT_EQ(set(ACQSIM_PARAM_WIDTH, width, 1), 0);
    ASSERT_EQ(set(ACQSIM_PARAM_HEIGHT, 2, 1), 0);
    ASSERT_EQ(set(ACQSIM_PARAM_FORMAT, format, 1), 0);
    const int bytes = format / 8;
    std::vector<unsigned char> buffer(width * 2 * bytes + 1, 0xee);
    auto head = entry<PxAllocMemHeadFn>("Px_AllocMemHead")(px_, width * 2 * bytes + 1, 1);
    ASSERT_EQ(entry<PxAddMemFn>("Px_AddMem")(px_, head, 0, width * 2 * bytes + 1, buffer.data()),
              0);
    ASSERT_EQ(acquire(1, 3, ACQSIM_MODE_CONTINUOUS, head), 0);
    ASSERT_EQ(wait(3, 1, 5000, head), 3);
    EXPECT_EQ(patternMismatch(buffer.data(), width, 2, bytes, 3), "") << width << "x2x" << format;
    EXPECT_EQ(buffer.back(), 0xee) << "written past a picture " << width << " wide";
    ASSERT_EQ(stop(1), 0);
    ASSERT_EQ(entry<PxFreeMemHeadFn>("Px_FreeMemHead")(px_, head), 0);
  }
}

TEST_F(AcqSim, FreeGrabberStopsRunningAcquisitions) {
  void* memory = allocMem(640 * 480, 4);
  ASSERT_EQ(acquire(0, 0, ACQSIM_MODE_CONTINUOUS, memory), 0);
  ASSERT_EQ(acquire(1, 0, ACQSIM_MODE_SOFTWARE_TRIGGER, allocMem(640 * 480, 2)), 0);
  ASSERT_GE(wait(2, 0, 5000, memory), 2);
  close();  // joins both threads and frees both memories (ASan would tell)
}

TEST_F(AcqSim, PortBasedEntriesUseTheAppletsOwnMemory) {
  auto allocMemPort = entry<void* (*)(Px_Struct*, int, int, int)>("Px_AllocMem");
  auto acquirePort = entry<int (*)(Px_Struct*, int, int)>("Px_Acquire");
  auto blocking = entry<int (*)(Px_Struct*, int, int, int)>("Px_getLastPicNumberBlocking");
  auto imagePtr = entry<void* (*)(Px_Struct*, int, int)>("Px_getImagePtr");
  void* first = allocMemPort(px_, 640 * 480, 2, 1);
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(acquirePort(px_, 1, 3), 0);
  ASSERT_EQ(blocking(px_, 3, 1, 5000), 3);
  EXPECT_EQ(imagePtr(px_, 3, 1), first);
  EXPECT_EQ(stampOf(static_cast<unsigned char*>(first)), 3);
}

}  // namespace
}  // namespace qx::test
