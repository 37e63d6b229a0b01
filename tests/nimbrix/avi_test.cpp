#include <gtest/gtest.h>

#include <cmath>

#include <quorlex/nimbrix.h>
#include "nimbrix_test_util.h"
#include "testsupport.h"

using namespace nimbrix_test;
using qx::test::TempDir;

namespace {

// The chunks of a RIFF file, lists opened, by FOURCC in file order, each
// with its payload (the first RIFF list only: what every AVI reader sees).
struct Chunk {
  std::string id;
  std::string data;
};
void walk(const std::string& f, std::size_t at, std::size_t end, std::vector<Chunk>& out) {
  while (at + 8 <= end) {
    const std::string id = f.substr(at, 4);
    const std::size_t size = le32(f, at + 4);
    if (id == "LIST" || id == "RIFF") {
      out.push_back({id + ":" + f.substr(at + 8, 4), ""});
      walk(f, at + 12, std::min(end, at + 8 + size), out);
    } else {
      out.push_back({id, f.substr(at + 8, size)});
    }
    at += 8 + size + (size & 1);
  }
}
std::vector<Chunk> chunks(const std::string& f) {
  std::vector<Chunk> out;
  if (f.size() >= 12) walk(f, 0, 8 + le32(f, 4), out);
  return out;
}
const Chunk* find(const std::vector<Chunk>& c, const std::string& id, int nth = 0) {
  for (const Chunk& k : c)
    if (k.id == id && nth-- == 0) return &k;
  return nullptr;
}
int count(const std::vector<Chunk>& c, const std::string& id) {
  int n = 0;
  for (const Chunk& k : c) n += k.id == id;
  return n;
}

TEST(Avi, StreamDescriptionFormatAndFrames) {
  TempDir dir;
  struct Case {
    bool grey;
    int w, h;
    double fps;
    std::uint32_t rate;
  };
  for (Case c : {Case{true, 8, 4, 25.0, 2500}, Case{false, 3, 2, 12.345, 1234},
                 Case{true, 5, 3, 7.5, 750}}) {
    const std::size_t frame = static_cast<std::size_t>(c.w) * c.h * (c.grey ? 1 : 3);
    std::vector<std::vector<unsigned char>> frames;
    AviWriter* avi = nullptr;
    ASSERT_EQ(c.grey ? IoCreateAVIGray(&avi, "a.avi", c.w, c.h, c.fps)
                     : IoCreateAVIColorW(&avi, L"a.avi", c.w, c.h, c.fps),
              0);
    for (int i = 0; i < 3; ++i) {
      frames.push_back(pattern(frame, i + 3));
      auto copy = frames.back();
      ASSERT_EQ(IoWriteAVIPicture(avi, i, copy.data()), 0);
      EXPECT_EQ(copy, frames.back());
    }
    EXPECT_EQ(IoCloseAVI(avi), 0);

    const auto c2 = chunks(qx::test::readFile("a.avi"));
    ASSERT_NE(find(c2, "RIFF:AVI "), nullptr);
    const Chunk* strh = find(c2, "strh");
    ASSERT_NE(strh, nullptr);
    EXPECT_EQ(strh->data.substr(0, 4), "vids");
    EXPECT_EQ(le32(strh->data, 20), 100u) << "scale";
    EXPECT_EQ(le32(strh->data, 24), c.rate) << "rate";
    EXPECT_EQ(le32(strh->data, 32), 3u) << "length";
    EXPECT_EQ(le16(strh->data, 52), static_cast<std::uint32_t>(c.w));
    EXPECT_EQ(le16(strh->data, 54), static_cast<std::uint32_t>(c.h));

    const Chunk* strf = find(c2, "strf");
    ASSERT_NE(strf, nullptr);
    const std::string& bi = strf->data;
    ASSERT_EQ(bi.size(), c.grey ? 1064u : 40u);
    EXPECT_EQ(le32(bi, 0), 40u);
    EXPECT_EQ(le32(bi, 4), static_cast<std::uint32_t>(c.w));
    EXPECT_EQ(le32(bi, 8), static_cast<std::uint32_t>(c.h));
    EXPECT_EQ(le16(bi, 12), 1u);
    EXPECT_EQ(le16(bi, 14), c.grey ? 8u : 24u);
    EXPECT_EQ(le32(bi, 16), 0u);
    const std::uint32_t image = c.grey ? c.w * c.h : (3 * c.w + 3) / 4 * 4 * c.h;
    EXPECT_EQ(le32(bi, 20), image);
    EXPECT_EQ(le32(bi, 24), 100u);
    EXPECT_EQ(le32(bi, 28), 100u);
    if (c.grey) {
      for (int i = 0; i < 256; ++i) ASSERT_EQ(le32(bi, 40 + 4 * i), i * 0x010101u) << i;
    }

    // Frames as written, one uncompressed chunk each, all key frames.
    ASSERT_EQ(count(c2, "00db"), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(find(c2, "00db", i)->data, bytes(frames[i]));
    const Chunk* idx1 = find(c2, "idx1");
    ASSERT_NE(idx1, nullptr);
    ASSERT_EQ(idx1->data.size(), 48u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(idx1->data.substr(16 * i, 4), "00db");
      EXPECT_EQ(le32(idx1->data, 16 * i + 4) & 0x10, 0x10u) << "key frame";
      EXPECT_EQ(le32(idx1->data, 16 * i + 12), frame);
    }
  }
}

// Every entry of the index names a chunk where it says: a reader that trusts
// the index seeks straight to it. Offsets count from the "movi" of the frame
// list (or, as some writers have it, from the file's start: taken when the
// first entry only fits that way); each must land on the header of a "00db"
// chunk of the entry's size that holds the frame in file order.
TEST(Avi, EveryIndexEntryNamesItsChunk) {
  TempDir dir;
  for (const bool grey : {true, false}) {
    const int w = 7, h = 5;
    const std::size_t frame = static_cast<std::size_t>(w) * h * (grey ? 1 : 3);
    AviWriter* avi = nullptr;
    ASSERT_EQ(grey ? IoCreateAVIGray(&avi, "i.avi", w, h, 25.0)
                   : IoCreateAVIColor(&avi, "i.avi", w, h, 25.0),
              0);
    // Frame sizes that are not a multiple of 4 (odd for grey: padded chunks).
    std::vector<std::string> written;
    for (int i = 0; i < 6; ++i) {
      const auto px = pattern(frame, i + 40);
      ASSERT_EQ(IoWriteAVIPicture(avi, i, const_cast<unsigned char*>(px.data())), 0);
      written.push_back(bytes(px));
    }
    ASSERT_EQ(IoCloseAVI(avi), 0);

    const std::string f = qx::test::readFile("i.avi");
    const std::size_t movi = f.find("movi");
    const std::size_t idx1 = f.rfind("idx1");
    ASSERT_NE(movi, std::string::npos);
    ASSERT_NE(idx1, std::string::npos);
    const std::size_t entries = le32(f, idx1 + 4) / 16;
    ASSERT_EQ(entries, written.size());
    auto names = [&](std::size_t at, std::size_t i) {
      return at + 8 + frame <= f.size() && f.compare(at, 4, "00db") == 0 &&
             le32(f, at + 4) == le32(f, idx1 + 8 + 16 * i + 12);
    };
    const std::size_t base = names(le32(f, idx1 + 8 + 8), 0) ? 0 : movi;
    for (std::size_t i = 0; i < entries; ++i) {
      const std::size_t entry = idx1 + 8 + 16 * i;
      ASSERT_EQ(f.substr(entry, 4), "00db") << i;
      EXPECT_EQ(le32(f, entry + 12), frame) << i;
      const std::size_t at = base + le32(f, entry + 8);
      ASSERT_TRUE(names(at, i)) << "entry " << i << " (grey " << grey << ") names offset " << at
                                << ", which holds no chunk of its size";
      EXPECT_EQ(f.substr(at + 8, frame), written[i]) << i;
    }
  }
}

TEST(Avi, FailedCreatesLeaveAHandleThatClosesAndWritesNothing) {
  TempDir dir;
  std::vector<unsigned char> frame(64);
  for (int variant = 0; variant < 4; ++variant) {
    AviWriter* avi = nullptr;
    const std::string name = dir.file("no/such/dir.avi");
    const std::wstring wname(name.begin(), name.end());
    int r = 0;
    switch (variant) {
      case 0: r = IoCreateAVIGray(&avi, name.c_str(), 8, 8, 25.0); break;
      case 1: r = IoCreateAVIColor(&avi, name.c_str(), 8, 8, 25.0); break;
      case 2: r = IoCreateAVIGrayW(&avi, wname.c_str(), 8, 8, 25.0); break;
      case 3: r = IoCreateAVIColorW(&avi, wname.c_str(), 8, 8, 25.0); break;
    }
    EXPECT_EQ(r, -1) << variant;
    ASSERT_NE(avi, nullptr);
    EXPECT_LT(IoWriteAVIPicture(avi, 0, frame.data()), 0);
    EXPECT_EQ(IoCloseAVI(avi), 0);
  }
  // Rates that truncate to nothing and empty pictures describe no stream.
  AviWriter* avi = nullptr;
  EXPECT_EQ(IoCreateAVIGray(&avi, "r.avi", 8, 8, 0.001), -1);
  IoCloseAVI(avi);
  EXPECT_EQ(IoCreateAVIGray(&avi, "r.avi", 0, 8, 25.0), -1);
  IoCloseAVI(avi);
  EXPECT_LT(IoWriteAVIPicture(nullptr, 0, frame.data()), 0);
  EXPECT_EQ(IoCloseAVI(nullptr), 0);
}

#if !defined(_WIN32)
// A disk that fills when the index is written: the close says so, and the
// file still holds every frame in RIFF and movi lists of the right sizes,
// so that readers that walk the lists find them.
TEST(Avi, CloseOnAFullDiskFailsAndLeavesTheFramesReadable) {
  TempDir dir;
  const int frames = 10;
  auto write = [&](const char* name) {
    AviWriter* avi = nullptr;
    EXPECT_EQ(IoCreateAVIGray(&avi, name, 64, 64, 25.0), 0);
    for (int i = 0; i < frames; ++i) {
      auto px = pattern(64 * 64, i);
      EXPECT_EQ(IoWriteAVIPicture(avi, i, px.data()), 0);
    }
    return avi;
  };
  ASSERT_EQ(IoCloseAVI(write("whole.avi")), 0);
  const std::string whole = qx::test::readFile("whole.avi");
  const std::size_t index = whole.find("idx1");
  ASSERT_NE(index, std::string::npos);
  ASSERT_EQ(le32(whole, 4), whole.size() - 8);

  int closed = 0;
  {
    AviWriter* avi = write("cut.avi");
    FileSizeLimit limit(index + 8);  // the index's chunk header, not its entries
    ASSERT_TRUE(limit.ok());
    closed = IoCloseAVI(avi);
  }
  EXPECT_EQ(closed, -1);
  const std::string cut = qx::test::readFile("cut.avi");
  ASSERT_GE(cut.size(), index);
  EXPECT_EQ(le32(cut, 4), index - 8) << "RIFF size: everything before the index";
  const auto c = chunks(cut);
  EXPECT_EQ(count(c, "00db"), frames);
  for (int i = 0; i < frames; ++i) {
    const Chunk* k = find(c, "00db", i);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->data, bytes(pattern(64 * 64, i))) << i;
  }
  // The same headers as the complete file, except that no index is announced.
  const Chunk* strh = find(c, "strh");
  ASSERT_NE(strh, nullptr);
  EXPECT_EQ(le32(strh->data, 32), static_cast<std::uint32_t>(frames)) << "stream length";
  EXPECT_EQ(le32(find(c, "avih")->data, 12) & 0x10, 0u);
  EXPECT_EQ(le32(find(chunks(whole), "avih")->data, 12) & 0x10, 0x10u);
}
#endif

// Frame indices only go forward, on every system: an index already written
// is refused, and the file keeps the frames that were accepted, in order.
TEST(Avi, FrameIndicesGoingBackwardsAreRefused) {
  TempDir dir;
  AviWriter* avi = nullptr;
  ASSERT_EQ(IoCreateAVIGray(&avi, "b.avi", 4, 4, 25.0), 0);
  std::vector<std::vector<unsigned char>> f;
  for (int i = 0; i < 4; ++i) f.push_back(pattern(16, 40 + i));
  EXPECT_EQ(IoWriteAVIPicture(avi, 0, f[0].data()), 0);
  EXPECT_EQ(IoWriteAVIPicture(avi, 1, f[1].data()), 0);
  EXPECT_LT(IoWriteAVIPicture(avi, 1, f[2].data()), 0) << "the same index again";
  EXPECT_LT(IoWriteAVIPicture(avi, 0, f[2].data()), 0) << "an earlier index";
  EXPECT_EQ(IoWriteAVIPicture(avi, 2, f[3].data()), 0);
  ASSERT_EQ(IoCloseAVI(avi), 0);
  const auto c = chunks(qx::test::readFile("b.avi"));
  ASSERT_EQ(count(c, "00db"), 3);
  EXPECT_EQ(find(c, "00db", 0)->data, bytes(f[0]));
  EXPECT_EQ(find(c, "00db", 1)->data, bytes(f[1]));
  EXPECT_EQ(find(c, "00db", 2)->data, bytes(f[3]));
}

// A recording of five pictures numbered 10 to 14, 12 x 4, at `bits`.
void recording(const char* name, int bits) {
  SequenceFile* s = nullptr;
  ASSERT_EQ(IoCreateSeq(&s, name, 12, 4, bits), 0);
  for (int i = 0; i < 5; ++i) {
    auto px = pattern(static_cast<std::size_t>((bits + 7) / 8) * 48, i);
    ASSERT_EQ(IoWriteSeqPicture(s, 10 + i, px.data()), 0);
  }
  ASSERT_EQ(IoCloseSeq(s), 0);
}

TEST(Avi, SequenceToAviFramesAndPrintedLines) {
  TempDir dir;
  recording("r.seq", 8);
  struct Case {
    int first, end, frames;
    const char* printed;
  };
  for (Case c : {Case{0, 5, 5, "picnr 11\npicnr 12\npicnr 13\npicnr 14\n"}, Case{2, 3, 1, ""},
                 Case{3, 1, 1, ""}, Case{1, 4, 3, "picnr 12\npicnr 13\n"}}) {
    SequenceFile* s = nullptr;
    int w, h, bits;
    ASSERT_EQ(IoOpenSeq(&s, "r.seq", &w, &h, &bits), 0);
    testing::internal::CaptureStdout();
    const int result = IoSeqCreateAvi(s, "s.avi", c.first, c.end);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(result, 0);
    std::vector<unsigned char> px(48);
    const auto k = chunks(qx::test::readFile("s.avi"));
    ASSERT_EQ(count(k, "00db"), c.frames) << c.first << ".." << c.end;
    for (int i = 0; i < c.frames; ++i) {
      ASSERT_EQ(IoReadSeqPicture(s, c.first + i, px.data()), 0);
      EXPECT_EQ(find(k, "00db", i)->data, bytes(px)) << i;
    }
    EXPECT_EQ(le32(find(k, "strh")->data, 24), 1000u) << "10 frames per second";
    IoCloseSeq(s);
  }
}

TEST(Avi, SequenceToAviTakesTheFirstBytesOfDeepPicturesAndReportsFailures) {
  TempDir dir;
  recording("d.seq", 16);
  SequenceFile* s = nullptr;
  int w, h, bits;
  ASSERT_EQ(IoOpenSeq(&s, "d.seq", &w, &h, &bits), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(IoSeqCreateAvi(s, "d.avi", 0, 2), 0);
  testing::internal::GetCapturedStdout();
  std::vector<unsigned char> px(96);
  ASSERT_EQ(IoReadSeqPicture(s, 1, px.data()), 0);
  const auto k = chunks(qx::test::readFile("d.avi"));
  ASSERT_EQ(count(k, "00db"), 2);
  EXPECT_EQ(find(k, "00db", 1)->data, bytes(px).substr(0, 48));

  testing::internal::CaptureStdout();
  EXPECT_EQ(IoSeqCreateAvi(s, dir.file("no/dir.avi").c_str(), 0, 3), -1) << "no AVI";
  EXPECT_EQ(IoSeqCreateAvi(s, "x.avi", 7, 9), -1) << "no such record";
  EXPECT_EQ(IoSeqCreateAvi(s, "y.avi", 3, 9), -1) << "records past the recording";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "picnr 14\n");
  EXPECT_FALSE(qx::test::fileExists("x.avi")) << "a failed conversion leaves no file";
  EXPECT_FALSE(qx::test::fileExists("y.avi"));
  EXPECT_EQ(IoSeqCreateAvi(nullptr, "z.avi", 0, 1), -1);
  IoCloseSeq(s);
}

}  // namespace
