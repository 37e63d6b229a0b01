#include <gtest/gtest.h>

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

INSTANTIATE_TEST_SUITE_P(Engines, AsyncFileEngines,
                         ::testing::Values(AsyncFile::Engine::Best, AsyncFile::Engine::Synchronous),
                         [](const auto& info) {
                           return info.param == AsyncFile::Engine::Best ? "Best" : "Synchronous";
                         });

}  // namespace
