// A recording whose process is killed: the header never gets its picture
// count, but every record whose buffer reached the file before the kill is
// there, whole and in order, and no record on disk is damaged (a record of a
// buffer that did not reach the disk reads as zeros).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include <quorlex/nimbrix.h>
#include "child_process.h"
#include "testsupport.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 1000;
constexpr std::size_t kPicture = kWidth * kHeight;
constexpr std::size_t kRecord = 24 + kPicture;
constexpr std::size_t kBuffer = 4000000;

std::uint32_t le32(const std::string& f, std::size_t at) {
  return static_cast<unsigned char>(f[at]) | static_cast<unsigned char>(f[at + 1]) << 8 |
         static_cast<unsigned char>(f[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(f[at + 3])) << 24;
}

enum class Slot { Intact, Partial, Empty, Damaged };

// Record k of the file, when it lies wholly inside it: the recorder's
// picture k, the same with zeros where the pages of a write cut short by the
// kill never arrived, untouched space (its buffer never reached the disk),
// or damaged: bytes that are neither the picture's nor zero.
Slot record(const std::string& f, int k) {
  const std::size_t at = 40 + static_cast<std::size_t>(k) * kRecord;
  if (le32(f, at) == 0 && le32(f, at + 4) == 0) return Slot::Empty;
  if (le32(f, at) != 2 || le32(f, at + 4) != kRecord || le32(f, at + 8) != 1000u + k ||
      le32(f, at + 12) != 0u + k)
    return Slot::Damaged;
  Slot slot = Slot::Intact;
  for (std::size_t i = 0; i < kPicture; ++i) {
    const unsigned char byte = static_cast<unsigned char>(f[at + 24 + i]);
    if (byte == (k * 31 + i) % 251) continue;
    if (byte != 0) return Slot::Damaged;
    slot = Slot::Partial;
  }
  return slot;
}

TEST(KilledRecording, EveryRecordWrittenBeforeTheKillIsIntact) {
  qx::test::TempDir dir;
  const std::string file = dir.file("killed.seq");
  qx::test::ChildProcess child;
  ASSERT_TRUE(child.start(qx::test::programFile("fault_recorder"),
                          {file, std::to_string(kWidth), std::to_string(kHeight)}));
  // Twenty pictures are five buffers: the ring of four has come round, so
  // the first buffer's write has ended.
  std::string line;
  for (int k = 0; k < 20; ++k) {
    line = child.readLine();
    ASSERT_EQ(line, "written " + std::to_string(k));
  }
  child.kill();
  child.wait();

  const std::string f = qx::test::readFile(file);
  // A buffer whose write was under way at the kill may be on disk in part.
  ASSERT_GE(f.size(), kBuffer);
  EXPECT_EQ(le32(f, 0), 1u);
  EXPECT_EQ(le32(f, 12), static_cast<std::uint32_t>(kWidth));
  EXPECT_EQ(le32(f, 32), 0u) << "the count is only written when the recording is closed";
  const int whole = static_cast<int>((f.size() - 40) / kRecord);
  int leading = 0;
  while (leading < whole && record(f, leading) == Slot::Intact) ++leading;
  // The first buffer's write had ended: its three records are there.
  EXPECT_GE(leading, 3);
  for (int k = 0; k < whole; ++k) EXPECT_NE(record(f, k), Slot::Damaged) << "record " << k;
}

// Another process cannot take over a recording while it is written: its
// create is refused and the writer's records stay as they are.
TEST(KilledRecording, AnotherProcessCannotCreateTheRecordingBeingWritten) {
  qx::test::TempDir dir;
  const std::string file = dir.file("held.seq");
  qx::test::ChildProcess child;
  ASSERT_TRUE(child.start(qx::test::programFile("fault_recorder"),
                          {file, std::to_string(kWidth), std::to_string(kHeight)}));
  // As above: after twenty pictures the first buffer's write has ended.
  for (int k = 0; k < 20; ++k) ASSERT_EQ(child.readLine(), "written " + std::to_string(k));
  SequenceFile* s = nullptr;
  EXPECT_EQ(IoCreateSeq(&s, file.c_str(), 16, 16, 8), -1);
  int w, h, bits;
  EXPECT_EQ(IoOpenSeq(&s, file.c_str(), &w, &h, &bits), -1);
  child.kill();
  child.wait();
  const std::string f = qx::test::readFile(file);
  ASSERT_GE(f.size(), kBuffer);
  EXPECT_EQ(le32(f, 12), static_cast<std::uint32_t>(kWidth)) << "header not overwritten";
  EXPECT_EQ(record(f, 0), Slot::Intact);
  EXPECT_EQ(record(f, 1), Slot::Intact);
  // Once the writer is gone, the file may be recorded again (the system lets
  // go of a dead writer's file when its last transfer has ended).
  int created = -1;
  for (int tries = 0; tries < 100 && created != 0; ++tries) {
    created = IoCreateSeq(&s, file.c_str(), 16, 16, 8);
    if (created != 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(created, 0);
  EXPECT_EQ(IoCloseSeq(s), 0);
}

}  // namespace
