// The port-based calls: built on the exported Ex calls with each port's
// default memory.
#include "pictordyn_test.h"

namespace qt = qx::test;
using qx::test::Recorder;

namespace {

std::string hex(const void* p) {
  return qt::tracePointer(p);
}
void* memoryResult() {
  return reinterpret_cast<void*>(0x10000 + 16 * qx::contracts::wordOfEntry("Px_AllocMemEx"));
}
void* pixelResult() {
  return reinterpret_cast<void*>(0x10000 + 16 * qx::contracts::wordOfEntry("Px_getImagePtrEx"));
}

TEST(PortCalls, AllocMemKeepsTheMemoryAsThePortsDefaultAndReturnsPictureOne) {
  Recorder rec;
  const std::string M = hex(memoryResult());
  EXPECT_EQ(Px_AllocMem(rec.h, 307200, 4, 1), pixelResult());
  EXPECT_EQ(rec.h->word[PX_WORD_MEMORY_PORT1], memoryResult());
  EXPECT_EQ(rec.h->word[PX_WORD_MEMORY_PORT0], nullptr);
  EXPECT_EQ(rec.calls(),
            (std::vector<std::string>{"Px_AllocMemEx(" + rec.H + ",307200,4)",
                                      "Px_getImagePtrEx(" + rec.H + ",1,1," + M + ")"}));
  EXPECT_EQ(rec.trace(), (std::vector<std::string>{
                             "T : Px_AllocMem(" + rec.H + ",307200,4,1)",
                             "T : Px_AllocMemEx(" + rec.H + ",307200,4) : " + M,
                             "T : Px_getImagePtrEx(" + rec.H + ",1,1," + M + ") : " +
                                 std::to_string(reinterpret_cast<std::intptr_t>(pixelResult()))}));
}

TEST(PortCalls, EachCallUsesItsPortsDefaultMemory) {
  Recorder rec;
  int memory0 = 0;
  int memory1 = 0;
  rec.h->word[PX_WORD_MEMORY_PORT0] = &memory0;
  rec.h->word[PX_WORD_MEMORY_PORT1] = &memory1;
  const std::string M0 = hex(&memory0);
  const std::string M1 = hex(&memory1);
  Px_Acquire(rec.h, 1, 200);
  Px_stopAcquire(rec.h, 0);
  Px_getLastPicNumberBlocking(rec.h, 5, 0, 1000);
  Px_getImagePtr(rec.h, 3, 1);
  const auto calls = rec.calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0], "Px_AcquireEx(" + rec.H + ",1,200,1," + M1 + ")");
  EXPECT_EQ(calls[1], "Px_stopAcquireEx(" + rec.H + ",0," + M0 + ",0)");
  EXPECT_EQ(calls[2], "Px_getImageEx(" + rec.H + ",230,5,0,1000," + M0 + ")");
  EXPECT_EQ(calls[5], "Px_getImagePtrEx(" + rec.H + ",3,1," + M1 + ")");
}

TEST(PortCalls, LastPictureNumberTracesItsFiveLinesInOrder) {
  Recorder rec;
  int memory1 = 0;
  rec.h->word[PX_WORD_MEMORY_PORT1] = &memory1;
  const std::string M1 = hex(&memory1);
  EXPECT_EQ(Px_getLastPicNumber(rec.h, 1), 1057);
  const auto calls = rec.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], "Px_getImageEx(" + rec.H + ",230,1,1,0," + M1 + ")");
  EXPECT_EQ(calls[1], "Px_getParameter(" + rec.H + ",22000,in=1057,1)");
  EXPECT_EQ(calls[2], "Px_getParameter(" + rec.H + ",5210,in=1057,1)");
  const auto trace = rec.trace();
  ASSERT_EQ(trace.size(), 5u);
  EXPECT_EQ(trace[0], "T : Px_getLastPicNumber(" + rec.H + ",1)");
  EXPECT_EQ(trace[1], "T : Px_getImageEx(" + rec.H + ",230,1,1,0," + M1 + ") : 1057");
  EXPECT_EQ(trace[2].rfind("T : Px_getParameter(" + rec.H + ",22000,", 0), 0u);
  EXPECT_EQ(trace[3].rfind("T : Px_getParameter(" + rec.H + ",5210,", 0), 0u);
  EXPECT_EQ(trace[4], "T : ImageTag: 0x56f0, Translen 0x155a");
}

TEST(PortCalls, PortOtherThanZeroOrOneCallsNothing) {
  Recorder rec;
  EXPECT_EQ(Px_Acquire(rec.h, 2, 10), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_stopAcquire(rec.h, -1), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_FreeMem(rec.h, 2), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_getLastPicNumber(rec.h, 2), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_getLastPicNumberBlocking(rec.h, 1, 2, 0), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_getImagePtr(rec.h, 1, 2), nullptr);
  EXPECT_EQ(Px_AllocMem(rec.h, 1, 1, 2), nullptr);
  EXPECT_TRUE(rec.calls().empty());
  EXPECT_EQ(rec.trace(),
            (std::vector<std::string>{
                "T : Px_Acquire(" + rec.H + ",2,10)", "T : Px_stopAcquire(" + rec.H + ",-1)",
                "T : Px_FreeMem(" + rec.H + ",2)", "T : Px_getLastPicNumber(" + rec.H + ",2)",
                "T : Px_getLastPicNumberBlocking(" + rec.H + ",1,2,0)",
                "T : Px_getImagePtr(" + rec.H + ",1,2)", "T : Px_AllocMem(" + rec.H + ",1,1,2)"}));
  EXPECT_EQ(getLastErrorNumber(), 0);
  // The Ex call passes any port on to the applet.
  Px_AcquireEx(rec.h, 2, 10, 1, nullptr);
  EXPECT_EQ(rec.calls().size(), 1u);
}

TEST(PortCalls, NullHandleReturnsInvalidPortAndStoresNothing) {
  qt::TempDir dir;
  EXPECT_EQ(Px_Init(qt::applet("no_such_applet").c_str(), 0), nullptr);
  EXPECT_EQ(Px_Acquire(nullptr, 0, 1), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_FreeMem(nullptr, 0), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_getImagePtr(nullptr, 1, 0), nullptr);
  EXPECT_EQ(Px_AllocMem(nullptr, 1, 1, 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  const auto trace = qt::maskedTrace();
  EXPECT_EQ(std::vector<std::string>(trace.begin() + 2, trace.end() - 1),
            (std::vector<std::string>{"T : Px_Acquire(0,0,1)", "T : Px_FreeMem(0,0)",
                                      "T : Px_getImagePtr(0,1,0)",
                                      "T : Px_AllocMem : invalid px pointer"}));
}

TEST(PortCalls, FailedAllocationLeavesThePortWithoutMemory) {
  Recorder rec;
  rec.dir.simConfig("rec.Px_AllocMemEx = 0\n");
  int earlier = 0;
  rec.h->word[PX_WORD_MEMORY_PORT0] = &earlier;
  EXPECT_EQ(Px_AllocMem(rec.h, 64, 2, 0), nullptr);
  EXPECT_EQ(rec.h->word[PX_WORD_MEMORY_PORT0], nullptr);
  EXPECT_EQ(rec.calls().size(), 1u);  // no picture asked for
}

TEST(PortCalls, FailedFreeKeepsTheMemoryForARetry) {
  Recorder rec;
  ASSERT_NE(Px_AllocMem(rec.h, 64, 2, 0), nullptr);
  rec.dir.simConfig("rec.Px_FreeMemEx = -7\n");
  EXPECT_EQ(Px_FreeMem(rec.h, 0), -7);
  EXPECT_EQ(rec.h->word[PX_WORD_MEMORY_PORT0], memoryResult());
  rec.dir.simConfig("rec.Px_FreeMemEx = 0\n");
  EXPECT_EQ(Px_FreeMem(rec.h, 0), 0);
  EXPECT_EQ(rec.h->word[PX_WORD_MEMORY_PORT0], nullptr);
  const std::string M = hex(memoryResult());
  const auto calls = rec.calls();
  EXPECT_EQ(calls[calls.size() - 2], "Px_FreeMemEx(" + rec.H + "," + M + ")");
  EXPECT_EQ(calls.back(), "Px_FreeMemEx(" + rec.H + "," + M + ")");
}

TEST(PortCalls, ReleasingTheGrabberLeavesDefaultMemoriesToTheApplet) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_recorder").c_str(), 0);
  ASSERT_NE(Px_AllocMem(h, 64, 2, 0), nullptr);
  Px_FreeGrabber(h);
  EXPECT_TRUE(qt::withPrefix("Px_FreeMem", dir.journal()).empty());
}

}  // namespace
