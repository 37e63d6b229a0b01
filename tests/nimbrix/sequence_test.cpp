#include <gtest/gtest.h>

#include <cstdio>

#include <quorlex/nimbrix.h>
#include "nimbrix_test_util.h"
#include "testsupport.h"

using namespace nimbrix_test;
using qx::test::TempDir;

namespace {

constexpr std::uint64_t kBuffer = 4000000;

std::uint64_t expectedLength(std::uint64_t n, std::uint64_t picture) {
  return ((40 + n * (24 + picture)) / kBuffer + 1) * kBuffer;
}

// Records `numbers.size()` pictures of the given size; the pictures differ.
std::vector<std::vector<unsigned char>> record(const char* name, int width, int height, int bits,
                                               const std::vector<int>& numbers) {
  SequenceFile* s = nullptr;
  EXPECT_EQ(IoCreateSeq(&s, name, width, height, bits), 0);
  const std::size_t p = static_cast<std::size_t>((bits + 7) / 8) * width * height;
  std::vector<std::vector<unsigned char>> pictures;
  for (int n : numbers) {
    pictures.push_back(pattern(p, static_cast<unsigned>(n) + 77));
    auto copy = pictures.back();
    EXPECT_EQ(IoWriteSeqPicture(s, n, copy.data()), 0);
    EXPECT_EQ(copy, pictures.back());
  }
  EXPECT_EQ(IoCloseSeq(s), 0);
  return pictures;
}

TEST(Sequence, FileHeaderRecordsAndLengthByteForByte) {
  TempDir dir;
  const int w = 13, h = 7;  // P = 91, records not aligned to anything
  const auto pics = record("s.seq", w, h, 8, {100, 101, 102});
  const std::string f = qx::test::readFile("s.seq");
  ASSERT_EQ(f.size(), expectedLength(3, 91));
  const std::uint32_t header[] = {1, 40, 1, 13, 7, 8};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(le32(f, 4 * i), header[i]) << i;
  EXPECT_EQ(le32(f, 28), 1u);
  EXPECT_EQ(le32(f, 32), 3u);
  EXPECT_EQ(le32(f, 36), 100u);
  for (int i = 0; i < 3; ++i) {
    const std::size_t at = 40 + i * (24 + 91);
    EXPECT_EQ(le32(f, at), 2u);
    EXPECT_EQ(le32(f, at + 4), 24u + 91u);
    EXPECT_EQ(le32(f, at + 8), 100u + i);
    EXPECT_EQ(le32(f, at + 12), static_cast<std::uint32_t>(i));
    EXPECT_EQ(f.substr(at + 24, 91), bytes(pics[i]));
  }
}

TEST(Sequence, FirstPictureNumberIsLastMinusCountPlusOne) {
  TempDir dir;
  record("a.seq", 4, 4, 8, {5, 9, 7});
  SequenceFile* s = nullptr;
  int w = 0, h = 0, bits = 0, count = -1, first = -1;
  ASSERT_EQ(IoOpenSeq(&s, "a.seq", &w, &h, &bits), 0);
  EXPECT_EQ(IoGetSeqInfo(s, &count, &first), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(IoCloseSeq(s), 0);
}

TEST(Sequence, ZeroPicturesGiveOneBufferAndCountZero) {
  TempDir dir;
  record("z.seq", 640, 480, 8, {});
  EXPECT_EQ(qx::test::readFile("z.seq").size(), kBuffer);
  SequenceFile* s = nullptr;
  int w = 0, h = 0, bits = 0, count = -1, first = 0;
  ASSERT_EQ(IoOpenSeq(&s, "z.seq", &w, &h, &bits), 0);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(bits, 8);
  IoGetSeqInfo(s, &count, &first);
  EXPECT_EQ(count, 0);
  std::vector<unsigned char> dest(640 * 480);
  EXPECT_EQ(IoReadSeqPicture(s, 0, dest.data()), -1);
  EXPECT_EQ(IoCloseSeq(s), 0);
}

TEST(Sequence, RecordsEndingExactlyOnABufferBoundary) {
  TempDir dir;
  // 40 + 2 x (24 + P) = 4,000,000 with P = 1,999,956 = 1 x 1,999,956 x 8 bits.
  const int p = 1999956;
  const auto pics = record("b.seq", p, 1, 8, {1, 2});
  const std::string f = qx::test::readFile("b.seq");
  ASSERT_EQ(f.size(), 2 * kBuffer) << "the full buffer, then one whole buffer of filler";
  EXPECT_EQ(f.substr(40 + 24, p), bytes(pics[0]));
  EXPECT_EQ(f.substr(40 + 24 + p + 24, p), bytes(pics[1]));
  // Three pictures spill into the second buffer.
  record("c.seq", p, 1, 8, {1, 2, 3});
  EXPECT_EQ(qx::test::readFile("c.seq").size(), 2 * kBuffer);
}

TEST(Sequence, TwelveAndTwentyFourBitPicturesAcrossManyBuffers) {
  TempDir dir;
  struct Depth {
    int bits, bytes;
  };
  for (Depth d : {Depth{12, 2}, Depth{24, 3}}) {
    const int w = 1000, h = 700;  // P = 1.4 MB or 2.1 MB: records straddle buffers
    std::vector<int> numbers;
    for (int i = 0; i < 9; ++i) numbers.push_back(1000 + i);
    const auto pics = record("d.seq", w, h, d.bits, numbers);
    const std::uint64_t p = static_cast<std::uint64_t>(d.bytes) * w * h;
    EXPECT_EQ(qx::test::readFile("d.seq").size(), expectedLength(9, p));

    SequenceFile* s = nullptr;
    int rw = 0, rh = 0, bits = 0;
    ASSERT_EQ(IoOpenSeq(&s, "d.seq", &rw, &rh, &bits), 0);
    EXPECT_EQ(bits, d.bits);
    std::vector<unsigned char> dest(p);
    // By index, in any order.
    for (int i : {8, 0, 5, 3}) {
      ASSERT_EQ(IoReadSeqPicture(s, i, dest.data()), 0) << i;
      EXPECT_EQ(dest, pics[i]) << d.bits << " bits, index " << i;
    }
    // In order after an index: the next record.
    int number = -1;
    EXPECT_EQ(IoReadNextSeqPicture(s, &number, dest.data()), static_cast<int>(p));
    EXPECT_EQ(number, 1004);
    EXPECT_EQ(dest, pics[4]);
    EXPECT_EQ(IoCloseSeq(s), 0);
  }
}

TEST(Sequence, ReadingInOrderAndPastTheEnd) {
  TempDir dir;
  const int p = 1500000;
  const auto pics = record("o.seq", 1500, 1000, 8, {10, 11, 12});
  SequenceFile* s = nullptr;
  int w = 0, h = 0, bits = 0;
  ASSERT_EQ(IoOpenSeq(&s, "o.seq", &w, &h, &bits), 0);
  std::vector<unsigned char> dest(p);
  for (int i = 0; i < 3; ++i) {
    int number = -1;
    ASSERT_EQ(IoReadNextSeqPicture(s, &number, dest.data()), p);
    EXPECT_EQ(number, 10 + i);
    EXPECT_EQ(dest, pics[i]);
  }
  // The file is 8,000,000 bytes: two more records' worth of filler, then a
  // short read, then nothing.
  int number = 0;
  EXPECT_EQ(IoReadNextSeqPicture(s, &number, dest.data()), p);
  EXPECT_EQ(IoReadNextSeqPicture(s, &number, dest.data()), p);
  EXPECT_EQ(IoReadNextSeqPicture(s, &number, dest.data()), 8000000 - (40 + 5 * (24 + p) + 24));
  EXPECT_EQ(IoReadNextSeqPicture(s, &number, dest.data()), 0);
  // By index only within the recording.
  EXPECT_EQ(IoReadSeqPicture(s, 3, dest.data()), -1);
  EXPECT_EQ(IoReadSeqPicture(s, -1, dest.data()), -1);
  EXPECT_EQ(IoReadSeqPicture(s, 2, dest.data()), 0);
  EXPECT_EQ(dest, pics[2]);
  EXPECT_EQ(IoCloseSeq(s), 0);
}

TEST(Sequence, TwoRecordingsOpenAtOnce) {
  TempDir dir;
  SequenceFile* a = nullptr;
  SequenceFile* b = nullptr;
  ASSERT_EQ(IoCreateSeq(&a, "a.seq", 1000, 1000, 8), 0);
  ASSERT_EQ(IoCreateSeq(&b, "b.seq", 800, 600, 24), 0);
  std::vector<std::vector<unsigned char>> pa, pb;
  for (int i = 0; i < 10; ++i) {
    pa.push_back(pattern(1000 * 1000, i));
    pb.push_back(pattern(800 * 600 * 3, 100 + i));
    ASSERT_EQ(IoWriteSeqPicture(a, i, pa.back().data()), 0);
    ASSERT_EQ(IoWriteSeqPicture(b, 50 + i, pb.back().data()), 0);
  }
  ASSERT_EQ(IoCloseSeq(a), 0);
  ASSERT_EQ(IoCloseSeq(b), 0);

  int w, h, bits;
  ASSERT_EQ(IoOpenSeq(&a, "a.seq", &w, &h, &bits), 0);
  ASSERT_EQ(IoOpenSeq(&b, "b.seq", &w, &h, &bits), 0);
  std::vector<unsigned char> da(1000 * 1000), db(800 * 600 * 3);
  for (int i = 9; i >= 0; --i) {
    ASSERT_EQ(IoReadSeqPicture(a, i, da.data()), 0);
    ASSERT_EQ(IoReadSeqPicture(b, i, db.data()), 0);
    EXPECT_EQ(da, pa[i]);
    EXPECT_EQ(db, pb[i]);
  }
  IoCloseSeq(a);
  IoCloseSeq(b);
}

// A recording belongs to its writer alone: a second create of the same name
// (which would truncate it and later write its own header over the first
// writer's records) and a reader are refused, and the recording stays whole.
TEST(Sequence, ARecordingBeingWrittenIsHeldByItsWriterAlone) {
  TempDir dir;
  SequenceFile* a = nullptr;
  ASSERT_EQ(IoCreateSeq(&a, "held.seq", 100, 100, 8), 0);
  std::vector<std::vector<unsigned char>> pictures;
  for (int i = 0; i < 3; ++i) {
    pictures.push_back(pattern(100 * 100, 500 + i));
    ASSERT_EQ(IoWriteSeqPicture(a, i, pictures.back().data()), 0);
  }
  SequenceFile* b = nullptr;
  int w, h, bits;
  EXPECT_EQ(IoCreateSeq(&b, "held.seq", 100, 100, 8), -1);
  EXPECT_EQ(IoOpenSeq(&b, "held.seq", &w, &h, &bits), -1);
  for (int i = 3; i < 5; ++i) {
    pictures.push_back(pattern(100 * 100, 500 + i));
    ASSERT_EQ(IoWriteSeqPicture(a, i, pictures.back().data()), 0);
  }
  ASSERT_EQ(IoCloseSeq(a), 0);

  ASSERT_EQ(IoOpenSeq(&a, "held.seq", &w, &h, &bits), 0);
  int count = 0, first = -1;
  IoGetSeqInfo(a, &count, &first);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(first, 0);
  std::vector<unsigned char> dest(100 * 100);
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(IoReadSeqPicture(a, i, dest.data()), 0);
    EXPECT_EQ(dest, pictures[i]) << i;
  }
  // Nor is a recording that is being read overwritten.
  EXPECT_EQ(IoCreateSeq(&b, "held.seq", 100, 100, 8), -1);
  IoCloseSeq(a);
  EXPECT_EQ(qx::test::readFile("held.seq").size(), kBuffer);
}

TEST(Sequence, RefusedArgumentsAndMissingFiles) {
  TempDir dir;
  SequenceFile* s = reinterpret_cast<SequenceFile*>(1);
  int w, h, bits;
  EXPECT_EQ(IoOpenSeq(&s, "missing.seq", &w, &h, &bits), -1);
  EXPECT_FALSE(qx::test::fileExists("missing.seq")) << "a missing file is not created";
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(IoCreateSeq(&s, nullptr, 4, 4, 8), -1);
  EXPECT_EQ(IoCreateSeq(&s, "x.seq", 0, 4, 8), -1);
  EXPECT_EQ(IoCreateSeq(&s, "x.seq", 4, 4, 0), -1);
  EXPECT_EQ(IoCreateSeq(&s, "x.seq", 65536, 65536, 8), -1) << "pictures above 2 GiB";
  EXPECT_EQ(IoCreateSeq(&s, dir.file("no/dir.seq").c_str(), 4, 4, 8), -1);
  // A file too short to hold a header.
  qx::test::writeFile("short.seq", "0123456789");
  EXPECT_EQ(IoOpenSeq(&s, "short.seq", &w, &h, &bits), -1);
  // Handles are used only in their own direction.
  ASSERT_EQ(IoCreateSeq(&s, "x.seq", 4, 4, 8), 0);
  std::vector<unsigned char> px(16);
  EXPECT_EQ(IoReadSeqPicture(s, 0, px.data()), -1);
  EXPECT_EQ(IoWriteSeqPicture(s, 1, px.data()), 0);
  EXPECT_EQ(IoWriteSeqPicture(s, 2, nullptr), -1);
  EXPECT_EQ(IoCloseSeq(s), 0);
  ASSERT_EQ(IoOpenSeq(&s, "x.seq", &w, &h, &bits), 0);
  EXPECT_EQ(IoWriteSeqPicture(s, 1, px.data()), -1);
  EXPECT_EQ(IoCloseSeq(s), 0);
  EXPECT_EQ(IoCloseSeq(nullptr), -1);
  EXPECT_EQ(IoGetPictureInfo(), 0);
}

// A device on which every write fails with "no space left".
#if defined(_WIN32)
const char* const kFullDevice = "Z:\\dev\\full";
#else
const char* const kFullDevice = "/dev/full";
#endif

TEST(Sequence, AWriteFailureIsReported) {
  if (!qx::test::fileExists("/dev/full") && !qx::test::fileExists(kFullDevice))
    GTEST_SKIP() << "no full device on this system";
  SequenceFile* s = nullptr;
  ASSERT_EQ(IoCreateSeq(&s, kFullDevice, 1000, 1000, 8), 0);
  std::vector<unsigned char> px(1000 * 1000, 7);
  int failures = 0;
  for (int i = 0; i < 24; ++i) failures += IoWriteSeqPicture(s, i, px.data()) == -1;
  EXPECT_GT(failures, 0) << "failed buffer writes surface while recording";
  EXPECT_EQ(IoCloseSeq(s), -1);
  // Even a recording too small to fill a buffer fails at close.
  ASSERT_EQ(IoCreateSeq(&s, kFullDevice, 10, 10, 8), 0);
  EXPECT_EQ(IoWriteSeqPicture(s, 0, px.data()), 0);
  EXPECT_EQ(IoCloseSeq(s), -1);
}

}  // namespace
