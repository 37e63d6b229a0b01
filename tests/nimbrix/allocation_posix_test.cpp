// Memory running out inside the library: every exported function returns its
// failure result instead of letting an exception out, and what it had opened
// goes with it. This program's own operator new stands in for the whole
// process's, so a test can make allocations fail: from the n-th on, for every
// n until a call no longer meets a refusal.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <quorlex/nimbrix.h>
#include "counted_refusal.h"
#include "nimbrix_test_util.h"
#include "testsupport.h"

using namespace nimbrix_test;
using qx::test::allocationRefused;
using qx::test::Refusal;
using qx::test::TempDir;

namespace {

// Runs `call` with 0, 1, 2 ... allocations allowed, until one run meets no
// refusal; `call` checks its own results and allocates nothing itself. An
// exception that leaves the library fails the test here.
void withEveryAllocationFailing(const std::function<void()>& call) {
  for (long allowed = 0; allowed < 1000; ++allowed) {
    bool refused = false;
    try {
      Refusal refusal(allowed);
      call();
      refused = allocationRefused();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "exception with " << allowed << " allocations allowed: " << e.what();
      return;
    }
    if (!refused) return;
  }
  ADD_FAILURE() << "still refused after 1000 allocations";
}

const int kW = 301, kH = 1000;  // 1000 rows: the row lists are over 16 KB

TEST(OutOfMemory, BmpReadAndWriteFailWithTheirOwnResults) {
  TempDir dir;
  const auto grey = pattern(static_cast<std::size_t>(kW) * kH);
  ASSERT_EQ(IoWriteBmp("ok.bmp", const_cast<unsigned char*>(grey.data()), kW, kH, 8), 0);
  withEveryAllocationFailing([&] {
    unsigned char* px = nullptr;
    int w = 0, h = 0, bits = 0;
    BmpImage* image = IoReadBmp("ok.bmp", &px, &w, &h, &bits);
    // A handle with null pixels (or no handle at all), or the whole picture.
    if (px != nullptr) {
      EXPECT_EQ(std::memcmp(px, grey.data(), grey.size()), 0);
    }
    if (allocationRefused()) {
      EXPECT_EQ(px, nullptr);
    }
    EXPECT_EQ(IoCloseBmp(image), 0);
    const int written = IoWriteBmp("w.bmp", const_cast<unsigned char*>(grey.data()), kW, kH, 8);
    if (allocationRefused()) {
      EXPECT_EQ(written, -1);
    } else
      EXPECT_EQ(written, 0);
    const int wideWritten =
        IoWriteBmpW(L"wide.bmp", const_cast<unsigned char*>(grey.data()), kW, kH, 8);
    EXPECT_TRUE(wideWritten == 0 || wideWritten == -1);
  });
}

TEST(OutOfMemory, ASequenceThatCannotBeCreatedFailsAndLeavesTheFileFree) {
  TempDir dir;
  const auto picture = pattern(static_cast<std::size_t>(kW) * kH);
  withEveryAllocationFailing([&] {
    SequenceFile* s = nullptr;
    const int created = IoCreateSeq(&s, "r.seq", kW, kH, 8);
    ASSERT_TRUE(created == 0 || created == -1) << created;
    if (created == -1) {
      EXPECT_EQ(s, nullptr);
      return;
    }
    for (int i = 0; i < 5; ++i) {
      const int w = IoWriteSeqPicture(s, i, const_cast<unsigned char*>(picture.data()));
      EXPECT_TRUE(w == 0 || w == -1) << w;
    }
    const int closed = IoCloseSeq(s);
    EXPECT_TRUE(closed == 0 || closed == -1) << closed;
  });
  // Whatever failed on the way, nothing still holds the file.
  SequenceFile* s = nullptr;
  ASSERT_EQ(IoCreateSeq(&s, "r.seq", kW, kH, 8), 0);
  EXPECT_EQ(IoWriteSeqPicture(s, 1, const_cast<unsigned char*>(picture.data())), 0);
  EXPECT_EQ(IoCloseSeq(s), 0);
  int w = 0, h = 0, bits = 0, count = 0;
  ASSERT_EQ(IoOpenSeq(&s, "r.seq", &w, &h, &bits), 0);
  std::vector<unsigned char> back(picture.size());
  withEveryAllocationFailing([&] {
    int number = 0;
    const int read = IoReadSeqPicture(s, 0, back.data());
    EXPECT_TRUE(read == 0 || read == -1);
    const int next = IoReadNextSeqPicture(s, &number, back.data());
    EXPECT_TRUE(next >= -1);
    EXPECT_TRUE(IoGetSeqInfo(s, &count, nullptr) == 0);
  });
  EXPECT_EQ(IoCloseSeq(s), 0);
}

TEST(OutOfMemory, AviWritersFailWithTheirOwnResults) {
  TempDir dir;
  const auto frame = pattern(static_cast<std::size_t>(64) * 48 * 3);
  withEveryAllocationFailing([&] {
    AviWriter* avi = nullptr;
    const int created = IoCreateAVIColor(&avi, "v.avi", 64, 48, 25.0);
    ASSERT_TRUE(created == 0 || created == -1) << created;
    // Enough frames that the index grows more than once.
    for (int i = 0; created == 0 && i < 40; ++i) {
      const int w = IoWriteAVIPicture(avi, i, const_cast<unsigned char*>(frame.data()));
      EXPECT_LE(w, 0);
    }
    const int closed = IoCloseAVI(avi);
    EXPECT_TRUE(closed == 0 || closed == -1) << closed;
  });
}

TEST(OutOfMemory, SequenceToAviAndTiffAndRawFailWithTheirOwnResults) {
  TempDir dir;
  const auto picture = pattern(static_cast<std::size_t>(kW) * kH);
  SequenceFile* s = nullptr;
  ASSERT_EQ(IoCreateSeq(&s, "c.seq", kW, kH, 8), 0);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(IoWriteSeqPicture(s, i, const_cast<unsigned char*>(picture.data())), 0);
  ASSERT_EQ(IoCloseSeq(s), 0);
  int w = 0, h = 0, bits = 0;
  ASSERT_EQ(IoOpenSeq(&s, "c.seq", &w, &h, &bits), 0);
  ASSERT_EQ(IoWriteRaw("in.raw", const_cast<unsigned char*>(picture.data()), kW, kH,
                       static_cast<int>(picture.size())),
            0);
  ASSERT_EQ(IoWriteTiff("in.tif", const_cast<unsigned char*>(picture.data()), kW, kH, 8, 1), 0);
  withEveryAllocationFailing([&] {
    const int converted = IoSeqCreateAvi(s, "c.avi", 0, 3);
    EXPECT_TRUE(converted == 0 || converted == -1) << converted;
    void* block = nullptr;
    int tw = 0, th = 0, tb = 0, ts = 0;
    const int tiffRead = IoReadTiff("in.tif", &block, &tw, &th, &tb, &ts);
    if (tiffRead != 0) {
      EXPECT_NE(block, nullptr);
    }
    EXPECT_EQ(IoFreeTiff(block), 0);
    const int tiffWritten =
        IoWriteTiff("out.tif", const_cast<unsigned char*>(picture.data()), kW, kH, 8, 1);
    EXPECT_TRUE(tiffWritten == 0 || tiffWritten == -1) << tiffWritten;
    void* raw = nullptr;
    int rw = 0, rh = 0, third = 0;
    const int rawRead = IoReadRaw("in.raw", &raw, &rw, &rh, &third);
    EXPECT_TRUE(rawRead == 0 || rawRead == -1) << rawRead;
    if (rawRead == 0) {
      EXPECT_EQ(IoFreeRaw(raw), 0);
    }
    const int rawWritten = IoWriteRawW(L"out.raw", nullptr, 4, 4, 0);
    EXPECT_TRUE(rawWritten == 0 || rawWritten == -1) << rawWritten;
  });
  EXPECT_EQ(IoCloseSeq(s), 0);
}

}  // namespace
