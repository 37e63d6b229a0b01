// Rings of buffers: allocated, or made of the caller's buffers.
#include "acqsim_fixture.h"

#include <vector>

namespace qx::test {
namespace {

TEST_F(AcqSim, PictureNLandsInBufferNMinusOneModuloCount) {
  void* memory = allocMem(100, 3);
  ASSERT_NE(memory, nullptr);
  const unsigned char* first = picture(1, 0, memory);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(picture(2, 0, memory), first);
  EXPECT_NE(picture(3, 0, memory), picture(2, 0, memory));
  EXPECT_EQ(picture(4, 0, memory), first);
  EXPECT_EQ(picture(3002, 0, memory), picture(2, 0, memory));
  EXPECT_EQ(picture(0, 0, memory), nullptr);
  EXPECT_EQ(lastError(), ACQSIM_ERR_ARGUMENT);
  EXPECT_EQ(picture(1, 2, memory), nullptr);
  EXPECT_EQ(lastError(), ACQSIM_ERR_PORT);
}

TEST_F(AcqSim, AllocationRefusesShapesThatHoldNothing) {
  EXPECT_EQ(allocMem(0, 4), nullptr);
  EXPECT_EQ(allocMem(100, 0), nullptr);
  EXPECT_EQ(allocMem(-1, 4), nullptr);
  EXPECT_EQ(lastError(), ACQSIM_ERR_ARGUMENT);
  auto head = entry<PxAllocMemHeadFn>("Px_AllocMemHead");
  EXPECT_EQ(head(px_, 100, -3), nullptr);
  int notMemory = 0;
  EXPECT_EQ(freeMem(&notMemory), ACQSIM_ERR_MEMORY_HANDLE);
  EXPECT_EQ(picture(1, 0, &notMemory), nullptr);
  EXPECT_EQ(picture(1, 0, nullptr), nullptr);  // the port never acquired
}

TEST_F(AcqSim, MemoryHeadTakesTheCallersBuffers) {
  open("acq.width = 8\nacq.height = 2\n");
  auto allocHead = entry<PxAllocMemHeadFn>("Px_AllocMemHead");
  auto addMem = entry<PxAddMemFn>("Px_AddMem");
  auto delMem = entry<PxDelMemFn>("Px_DelMem");
  auto freeHead = entry<PxFreeMemHeadFn>("Px_FreeMemHead");
  std::vector<std::vector<unsigned char>> buffers(3, std::vector<unsigned char>(16, 0xee));
  void* head = allocHead(px_, 16, 3);
  ASSERT_NE(head, nullptr);
  ASSERT_EQ(addMem(px_, head, 0, 16, buffers[0].data()), 0);
  ASSERT_EQ(addMem(px_, head, 1, 16, buffers[1].data()), 0);
  // An empty slot cannot take pictures.
  EXPECT_EQ(acquire(0, 6, ACQSIM_MODE_CONTINUOUS, head), ACQSIM_ERR_EMPTY_BUFFER);
  EXPECT_EQ(addMem(px_, head, 1, 16, buffers[2].data()), ACQSIM_ERR_ARGUMENT);  // taken
  EXPECT_EQ(addMem(px_, head, 3, 16, buffers[2].data()), ACQSIM_ERR_ARGUMENT);
  EXPECT_EQ(addMem(px_, head, 2, 16, nullptr), ACQSIM_ERR_ARGUMENT);
  ASSERT_EQ(addMem(px_, head, 2, 15, buffers[2].data()), 0);
  EXPECT_EQ(acquire(0, 6, ACQSIM_MODE_CONTINUOUS, head), ACQSIM_ERR_BUFFER_TOO_SMALL);
  ASSERT_EQ(delMem(px_, head, 2), 0);
  EXPECT_EQ(delMem(px_, head, 2), ACQSIM_ERR_EMPTY_BUFFER);
  ASSERT_EQ(addMem(px_, head, 2, 16, buffers[2].data()), 0);

  ASSERT_EQ(acquire(0, 5, ACQSIM_MODE_CONTINUOUS, head), 0);
  EXPECT_EQ(delMem(px_, head, 0), ACQSIM_ERR_BUSY);
  ASSERT_EQ(wait(5, 0, 5000, head), 5);
  ASSERT_EQ(stop(0), 0);
  EXPECT_EQ(picture(4, 0, head), buffers[0].data());
  EXPECT_EQ(patternMismatch(buffers[0].data(), 8, 2, 1, 4), "");
  EXPECT_EQ(patternMismatch(buffers[1].data(), 8, 2, 1, 5), "");
  EXPECT_EQ(patternMismatch(buffers[2].data(), 8, 2, 1, 3), "");
  // The caller's buffers outlive the head.
  EXPECT_EQ(freeHead(px_, head), 0);
  EXPECT_EQ(stampOf(buffers[1].data()), 5);
}

TEST_F(AcqSim, DummyBuffersAreKeptBesideTheRing) {
  auto addDummy = entry<PxAddDummyBufferFn>("Px_AddDummyBuffer");
  void* memory = allocMem(64, 2);
  unsigned char own[64];
  EXPECT_EQ(addDummy(px_, memory, 64, own), own);
  void* made = addDummy(px_, memory, 64, nullptr);
  ASSERT_NE(made, nullptr);
  static_cast<unsigned char*>(made)[63] = 1;  // really 64 bytes (ASan checks)
  EXPECT_EQ(addDummy(px_, memory, 0, own), nullptr);
  EXPECT_EQ(addDummy(px_, nullptr, 64, own), nullptr);
  EXPECT_EQ(lastError(), ACQSIM_ERR_MEMORY_HANDLE);
  EXPECT_EQ(freeMem(memory), 0);
}

}  // namespace
}  // namespace qx::test
