#include <gtest/gtest.h>

#include <filesystem>

#include <quorlex/nimbrix.h>
#include "nimbrix_test_util.h"
#include "testsupport.h"

using namespace nimbrix_test;

namespace {

// A recording past 4 GiB: offsets and counters of the ring and the reader are
// 64-bit. 263 pictures of 16 MiB make 4,412,407,208 bytes of records.
TEST(LargeSequence, RecordingsLargerThanFourGiB) {
  qx::test::TempDir dir;
  const int w = 4096, h = 4096, n = 263;
  const std::size_t p = static_cast<std::size_t>(w) * h;
  std::vector<unsigned char> px(p);
  auto stamp = [&](int i) {
    // Cheap per-picture content: a pattern at both ends and the index.
    std::fill(px.begin(), px.end(), static_cast<unsigned char>(i * 37));
    auto head = pattern(4096, i);
    std::copy(head.begin(), head.end(), px.begin());
    std::copy(head.begin(), head.end(), px.end() - 4096);
  };
  SequenceFile* s = nullptr;
  ASSERT_EQ(IoCreateSeq(&s, "big.seq", w, h, 8), 0);
  for (int i = 0; i < n; ++i) {
    stamp(i);
    ASSERT_EQ(IoWriteSeqPicture(s, 1000 + i, px.data()), 0) << i;
  }
  ASSERT_EQ(IoCloseSeq(s), 0);

  int rw, rh, bits, count, first;
  ASSERT_EQ(IoOpenSeq(&s, "big.seq", &rw, &rh, &bits), 0);
  ASSERT_EQ(IoGetSeqInfo(s, &count, &first), 0);
  EXPECT_EQ(count, n);
  EXPECT_EQ(first, 1000);
  std::vector<unsigned char> dest(p);
  for (int i : {0, 255, 256, 262}) {  // 256 is the first record past 4 GiB
    ASSERT_EQ(IoReadSeqPicture(s, i, dest.data()), 0) << i;
    stamp(i);
    EXPECT_TRUE(dest == px) << i;
  }
  int number = 0;
  ASSERT_EQ(IoReadSeqPicture(s, 259, dest.data()), 0);
  ASSERT_EQ(IoReadNextSeqPicture(s, &number, dest.data()), static_cast<int>(p));
  EXPECT_EQ(number, 1260);
  stamp(260);
  EXPECT_TRUE(dest == px);
  EXPECT_EQ(IoCloseSeq(s), 0);
  // The file length rule, past 4 GiB.
  const std::uint64_t t = 40 + static_cast<std::uint64_t>(n) * (24 + p);
  const std::uint64_t expected = (t / 4000000 + 1) * 4000000;
  EXPECT_EQ(std::filesystem::file_size("big.seq"), expected);
}

}  // namespace
