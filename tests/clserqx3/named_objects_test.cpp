// The named shared block and the named mutex of the platform layer.
#include "serial_fixture.h"

#include "platform/named_objects.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace qx::test {
namespace {

using NamedObjects = SerialTest;
using platform::closeNamedMutex;
using platform::closeSharedBlock;
using platform::lockNamedMutex;
using platform::openNamedMutex;
using platform::openSharedBlock;
using platform::sharedBlockView;
using platform::unlockNamedMutex;

TEST_F(NamedObjects, BlockLivesWhileAnyHandleIsOpen) {
  bool created = false;
  auto first = openSharedBlock("block", 64, &created);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(created);
  auto* a = static_cast<unsigned char*>(sharedBlockView(first));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(a[i], 0) << i;
  std::memset(a, 0x5A, 64);

  auto second = openSharedBlock("block", 64, &created);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(created);
  auto* b = static_cast<unsigned char*>(sharedBlockView(second));
  EXPECT_EQ(b[63], 0x5A);
  b[0] = 1;
  EXPECT_EQ(a[0], 1);  // one block, two views

  closeSharedBlock(first);
  EXPECT_EQ(b[1], 0x5A);
  auto third = openSharedBlock("block", 64, &created);
  EXPECT_FALSE(created);
  closeSharedBlock(third);
  closeSharedBlock(second);

  auto fresh = openSharedBlock("block", 64, &created);
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(created);
  EXPECT_EQ(static_cast<unsigned char*>(sharedBlockView(fresh))[1], 0);
  // Another name is another block.
  auto other = openSharedBlock("other block", 64, &created);
  EXPECT_TRUE(created);
  closeSharedBlock(other);
  closeSharedBlock(fresh);
}

TEST_F(NamedObjects, MutexIsRecursiveForItsOwnerAndExclusiveForOthers) {
  auto mine = openNamedMutex("mutex");
  ASSERT_NE(mine, nullptr);
  ASSERT_TRUE(lockNamedMutex(mine));
  ASSERT_TRUE(lockNamedMutex(mine));  // the owner may take it again

  std::atomic<bool> acquired{false};
  std::thread other([&] {
    auto theirs = openNamedMutex("mutex");
    lockNamedMutex(theirs);
    acquired = true;
    unlockNamedMutex(theirs);
    closeNamedMutex(theirs);
  });
  unlockNamedMutex(mine);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(acquired) << "still owned once";
  unlockNamedMutex(mine);
  for (int i = 0; i < 500 && !acquired; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(acquired);
  other.join();

  // A thread that does not own it cannot release it for the owner.
  ASSERT_TRUE(lockNamedMutex(mine));
  acquired = false;
  std::thread intruder([&] {
    unlockNamedMutex(mine);
    auto theirs = openNamedMutex("mutex");
    lockNamedMutex(theirs);
    acquired = true;
    unlockNamedMutex(theirs);
    closeNamedMutex(theirs);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(acquired);
  unlockNamedMutex(mine);
  intruder.join();
  EXPECT_TRUE(acquired);
  closeNamedMutex(mine);
}

// A thread that gives the mutex back and asks again at once waits behind
// the thread that was waiting already.
TEST_F(NamedObjects, MutexGoesToTheWaiterBeforeItsHolderTakesItAgain) {
  auto mine = openNamedMutex("mutex");
  ASSERT_NE(mine, nullptr);
  std::mutex orderLock;
  std::string order;
  auto note = [&](char who) {
    std::lock_guard<std::mutex> guard(orderLock);
    order.push_back(who);
  };
  constexpr int kRounds = 10;
  ASSERT_TRUE(lockNamedMutex(mine));
  std::thread waiter([&] {
    auto theirs = openNamedMutex("mutex");
    for (int i = 0; i < kRounds; ++i) {
      lockNamedMutex(theirs);
      note('W');
      unlockNamedMutex(theirs);
      // Lets the holder ask first, then waits again well before it gives
      // the mutex back.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    closeNamedMutex(theirs);
  });
  for (int i = 0; i < kRounds; ++i) {
    // Long enough for the waiter to be waiting.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    unlockNamedMutex(mine);
    ASSERT_TRUE(lockNamedMutex(mine));
    note('H');
  }
  unlockNamedMutex(mine);
  waiter.join();
  closeNamedMutex(mine);
  EXPECT_EQ(order, "WHWHWHWHWHWHWHWHWHWH");
}

TEST_F(NamedObjects, NamespaceKeepsRunsApart) {
  bool created = false;
  auto ours = openSharedBlock("block", 16, &created);
  ASSERT_TRUE(created);
  setEnv("QUORLEX_IPC_NAMESPACE", "qxt-elsewhere-" + dir().path().substr(dir().path().size() - 6));
  auto theirs = openSharedBlock("block", 16, &created);
  EXPECT_TRUE(created);
  closeSharedBlock(theirs);
  closeSharedBlock(ours);
}

}  // namespace
}  // namespace qx::test
