#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <thread>

#include "nimbrix_test_util.h"
#include "platform/async_file.h"
#include "sequence_file.h"
#include "testsupport.h"

using namespace nimbrix_test;
using qx::platform::AsyncFile;
using qx::test::TempDir;

namespace {

class AsyncFileEngines : public ::testing::TestWithParam<AsyncFile::Engine> {};

TEST_P(AsyncFileEngines, OverlappingWritesThenReadsAtAnyOffset) {
  TempDir dir;
  const std::size_t n = 1 << 20;
  std::vector<std::vector<unsigned char>> blocks;
  {
    auto f = AsyncFile::open("a.bin", AsyncFile::Access::CreateWriteThrough, 4, GetParam());
    ASSERT_TRUE(f);
    // Written out of order, all four in flight at once.
    for (int s = 0; s < 4; ++s) {
      blocks.push_back(pattern(n, s));
      f->startWrite(s, blocks.back().data(), n, static_cast<std::uint64_t>(3 - s) * n);
      EXPECT_TRUE(f->busy(s));
    }
    for (int s = 3; s >= 0; --s) EXPECT_EQ(f->wait(s), static_cast<std::int64_t>(n));
    EXPECT_FALSE(f->busy(0));
    EXPECT_EQ(f->wait(0), -1) << "a slot that is not busy";
    EXPECT_TRUE(f->close());
  }
  std::string expected;
  for (int s = 3; s >= 0; --s) expected += bytes(blocks[s]);
  ASSERT_EQ(qx::test::readFile("a.bin"), expected);

  auto f = AsyncFile::open("a.bin", AsyncFile::Access::ReadExisting, 2, GetParam());
  ASSERT_TRUE(f);
  std::vector<unsigned char> a(n), b(n);
  f->startRead(0, a.data(), n, 3 * n);
  f->startRead(1, b.data(), n, 3 * n + n / 2);  // half past the end
  EXPECT_EQ(f->wait(1), static_cast<std::int64_t>(n / 2));
  EXPECT_EQ(f->wait(0), static_cast<std::int64_t>(n));
  EXPECT_EQ(a, blocks[0]);
  EXPECT_TRUE(std::equal(b.begin(), b.begin() + n / 2, blocks[0].begin() + n / 2));
  f->startRead(0, a.data(), n, 4 * n);
  EXPECT_EQ(f->wait(0), 0) << "at the end of the file";
}

TEST_P(AsyncFileEngines, RefusedOpensAndFailedWrites) {
  TempDir dir;
  EXPECT_FALSE(AsyncFile::open("missing", AsyncFile::Access::ReadExisting, 1, GetParam()));
  EXPECT_FALSE(qx::test::fileExists("missing"));
  EXPECT_FALSE(AsyncFile::open("x", AsyncFile::Access::CreateWriteThrough, 0, GetParam()));
  EXPECT_FALSE(AsyncFile::open(dir.file("no/x").c_str(), AsyncFile::Access::CreateWriteThrough, 1,
                               GetParam()));
#if defined(_WIN32)
  const char* full = "Z:\\dev\\full";
#else
  const char* full = "/dev/full";
#endif
  auto f = AsyncFile::open(full, AsyncFile::Access::CreateWriteThrough, 1, GetParam());
  if (!f) GTEST_SKIP() << "no full device";
  std::vector<unsigned char> block(65536, 1);
  f->startWrite(0, block.data(), block.size(), 0);
  EXPECT_EQ(f->wait(0), -1);
}

TEST_P(AsyncFileEngines, RecordingsAreTheSameWhicheverEngineWritesThem) {
  TempDir dir;
  const std::size_t p = 1200 * 1000;
  auto pics = pattern(p * 7);
  auto s = SequenceFile::create("e.seq", 1200, 1000, 8, GetParam());
  ASSERT_TRUE(s);
  for (int i = 0; i < 7; ++i) ASSERT_EQ(s->writePicture(i, pics.data() + i * p), 0);
  ASSERT_EQ(s->close(), 0);
  s = SequenceFile::open("e.seq", GetParam());
  ASSERT_TRUE(s);
  std::vector<unsigned char> dest(p);
  for (int i = 6; i >= 0; --i) {
    ASSERT_EQ(s->readPicture(i, dest.data()), 0);
    ASSERT_TRUE(std::equal(dest.begin(), dest.end(), pics.begin() + i * p)) << i;
  }
  ASSERT_EQ(s->close(), 0);
  s.reset();
  EXPECT_EQ(qx::test::readFile("e.seq").size(), 12000000u);
}

#if !defined(_WIN32)
// A disk that fills during a recording: the call that hands over the picture
// completing the first buffer that cannot be written says so (synchronous
// engine: exactly that call; asynchronous: as soon as the failure is known),
// and the header counts only the records that reached the file.
TEST_P(AsyncFileEngines, ARecordingOnAFillingDiskStopsAtOnceAndCountsWhatIsOnDisk) {
  TempDir dir;
  const int side = 512;
  const std::size_t p = side * side;
  const std::size_t record = 24 + p;
  const std::uint64_t room = 3 * SequenceFile::kBufferSize;   // buffers 0 to 2 fit
  const int onDisk = static_cast<int>((room - 40) / record);  // 45 records
  const int filling = static_cast<int>((4 * SequenceFile::kBufferSize - 40) / record);  // 61
  int firstFailure = -1;
  int closed = 0;
  {
    auto s = SequenceFile::create("full.seq", side, side, 8, GetParam());
    ASSERT_TRUE(s);
    FileSizeLimit limit(room);
    ASSERT_TRUE(limit.ok());
    for (int i = 0; i < 140 && firstFailure < 0; ++i) {
      const auto px = pattern(p, i);
      if (s->writePicture(1000 + i, px.data()) != 0) firstFailure = i;
    }
    closed = s->close();
  }
  EXPECT_EQ(closed, -1);
  ASSERT_GE(firstFailure, filling);
  // Synchronously, the write fails within the call that fills the buffer,
  // and that call says so (before, the failure surfaced only when the
  // buffer came round again, three buffers later). Asynchronously, the call
  // after the system has reported the failure does, whenever that is.
  if (GetParam() == AsyncFile::Engine::Synchronous) {
    EXPECT_EQ(firstFailure, filling);
  }

  const std::string f = qx::test::readFile("full.seq");
  ASSERT_EQ(f.size(), room);
  EXPECT_EQ(le32(f, 32), static_cast<std::uint32_t>(onDisk)) << "picture count";
  EXPECT_EQ(le32(f, 36), 1000u) << "first picture number";
  for (int i = 0; i < onDisk; ++i) {
    const std::size_t at = 40 + i * record;
    ASSERT_EQ(le32(f, at + 8), static_cast<std::uint32_t>(1000 + i));
    ASSERT_EQ(f.compare(at + 24, p, bytes(pattern(p, i))), 0) << i;
  }
  auto r = SequenceFile::open("full.seq", GetParam());
  ASSERT_TRUE(r);
  std::vector<unsigned char> dest(p);
  EXPECT_EQ(r->readPicture(onDisk - 1, dest.data()), 0);
  EXPECT_EQ(r->readPicture(onDisk, dest.data()), -1);
}
#endif

#if !defined(_WIN32)
// The queue of asynchronous transfers breaks down with requests in flight:
// the fallback takes each request back from the kernel (cancelled, or
// waited for) before it runs anything again or hands a buffer back.
class RingBreakdown {
 public:
  RingBreakdown() { qx::platform::simulateRingBreakdown(true); }
  ~RingBreakdown() { qx::platform::simulateRingBreakdown(false); }
};

TEST(AsyncFileFallback, WritesInFlightEndWholeAndTheirBuffersAreFreeAfterTheirWait) {
  TempDir dir;
  const std::size_t n = 8 << 20;
  std::vector<std::vector<unsigned char>> blocks;
  for (int s = 0; s < 4; ++s) blocks.push_back(pattern(n, 20 + s));
  {
    RingBreakdown breakdown;
    auto f = AsyncFile::open("w.bin", AsyncFile::Access::CreateWriteThrough, 4);
    ASSERT_TRUE(f);
    if (!f->asynchronous()) GTEST_SKIP() << "the system refuses asynchronous transfers";
    for (int s = 0; s < 4; ++s)
      f->startWrite(s, blocks[s].data(), n, static_cast<std::uint64_t>(s) * n);
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(f->wait(s), static_cast<std::int64_t>(n)) << s;
      // The buffer is the caller's again: nothing may still read from it.
      std::fill(blocks[s].begin(), blocks[s].end(), 0xEE);
    }
    EXPECT_FALSE(f->asynchronous()) << "synchronous after the breakdown";
    EXPECT_TRUE(f->close());
  }
  const std::string f = qx::test::readFile("w.bin");
  ASSERT_EQ(f.size(), 4 * n);
  for (int s = 0; s < 4; ++s)
    EXPECT_EQ(f.compare(s * n, n, bytes(pattern(n, 20 + s))), 0) << "block " << s;
}

// The other end of a named pipe, open for reading and writing so that
// opening it waits for no one; closed when the test ends, however it ends.
struct PipeEnd {
  int fd = -1;
  ~PipeEnd() {
    if (fd >= 0) ::close(fd);
  }
};

void makePipe(const std::string& fifo, PipeEnd& other) {
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  other.fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(other.fd, 0);
}

// A read that the kernel completed before the breakdown keeps the kernel's
// result: it is neither lost nor run a second time (which on a pipe would
// fail, the bytes being read already).
TEST(AsyncFileFallback, ATransferTheKernelCompletedKeepsItsResult) {
  TempDir dir;
  const std::string fifo = dir.file("fifo");
  PipeEnd other;
  ASSERT_NO_FATAL_FAILURE(makePipe(fifo, other));
  std::vector<unsigned char> buffer(64, 0x55);
  {
    RingBreakdown breakdown;
    auto f = AsyncFile::open(fifo.c_str(), AsyncFile::Access::ReadExisting, 1);
    ASSERT_TRUE(f);
    if (f->asynchronous()) {
      f->startRead(0, buffer.data(), 10, 0);
      ASSERT_EQ(::write(other.fd, "early data", 10), 10);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EXPECT_EQ(f->wait(0), 10);
      EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 10), "early data");
    }
  }
}

// A read that waits for data the kernel has not got (a pipe with nothing in
// it) is taken back from the kernel at the breakdown: data that arrive
// afterwards stay in the pipe, and the buffer stays as the caller left it.
TEST(AsyncFileFallback, AReadStillWaitingInTheKernelIsTakenBack) {
  TempDir dir;
  const std::string fifo = dir.file("fifo");
  PipeEnd other;
  ASSERT_NO_FATAL_FAILURE(makePipe(fifo, other));
  std::vector<unsigned char> buffer(64, 0x55);
  {
    RingBreakdown breakdown;
    auto f = AsyncFile::open(fifo.c_str(), AsyncFile::Access::ReadExisting, 1);
    ASSERT_TRUE(f);
    if (!f->asynchronous()) GTEST_SKIP() << "the system refuses asynchronous transfers";
    f->startRead(0, buffer.data(), buffer.size(), 0);
    f->wait(0);  // a pipe has no positions: the synchronous rerun fails
    ASSERT_EQ(::write(other.fd, "late data", 9), 9);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    char back[16] = {};
    EXPECT_EQ(::read(other.fd, back, sizeof back), 9) << "the data stay in the pipe";
    EXPECT_EQ(std::string(back, 9), "late data");
    EXPECT_EQ(buffer, std::vector<unsigned char>(64, 0x55));
  }
}
#endif

INSTANTIATE_TEST_SUITE_P(Engines, AsyncFileEngines,
                         ::testing::Values(AsyncFile::Engine::Best, AsyncFile::Engine::Synchronous),
                         [](const auto& info) {
                           return info.param == AsyncFile::Engine::Best ? "Best" : "Synchronous";
                         });

}  // namespace
