// Calls from several threads at once: the last error is shared by all of
// them, and a handle in use stays accepted while others open and close.
#include "pictordyn_test.h"

#include <atomic>
#include <thread>

namespace qt = qx::test;

namespace {

TEST(Threads, EveryThreadStoresAndReadsTheLastError) {
  qt::TempDir dir;
  std::atomic<bool> wrongNumber{false};
  auto worker = [&](int refused) {
    for (int i = 0; i < 2000; ++i) {
      // Each failure stores its number; any thread may read another's.
      if (refused == PX_ERR_INVALID_HANDLE)
        Px_AcquireEx(nullptr, 0, 1, 1, nullptr);
      else
        Px_Init(nullptr, 11);
      const int n = getLastErrorNumber();
      if (n != 0 && n != PX_ERR_INVALID_HANDLE) wrongNumber = true;
    }
  };
  std::thread a(worker, PX_ERR_INVALID_HANDLE);
  std::thread b(worker, PX_ERR_INVALID_HANDLE);
  std::thread c(worker, 0);
  a.join();
  b.join();
  c.join();
  EXPECT_FALSE(wrongNumber);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE);
}

TEST(Threads, AHandleInUseStaysLiveWhileOthersOpenAndClose) {
  qt::TempDir dir;
  Px_Struct* h = Px_InitCamera(qt::applet("applet_quiet").c_str(), 0);
  ASSERT_NE(h, nullptr);
  std::atomic<bool> done{false};
  std::atomic<int> refused{0};
  std::thread caller([&] {
    while (!done)
      if (Px_setExsync(h, 1, 2) != 0) ++refused;
  });
  // Enough handles at once that the table of live handles grows twice.
  for (int round = 0; round < 3; ++round) {
    std::vector<Px_Struct*> others;
    for (int i = 0; i < 40; ++i)
      others.push_back(Px_InitCamera(qt::applet("applet_quiet").c_str(), 1));
    for (Px_Struct* o : others) EXPECT_EQ(Px_FreeGrabber(o), 3);
  }
  done = true;
  caller.join();
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(Px_FreeGrabber(h), 3);
}

}  // namespace
