#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <cstring>
#include <thread>

#include <quorlex/nimbrix.h>
#include "nimbrix_test_util.h"
#include "platform/wide_name.h"
#include "testsupport.h"

using namespace nimbrix_test;
using qx::test::TempDir;

namespace {

// The picture as read back, copied out of the handle.
struct ReadBack {
  bool ok = false;
  int width = -1, height = -1, bits = -1;
  std::vector<unsigned char> pixels;
};

ReadBack readBmp(const std::string& name) {
  ReadBack r;
  unsigned char* p = reinterpret_cast<unsigned char*>(1);
  BmpImage* h = IoReadBmp(name.c_str(), &p, &r.width, &r.height, &r.bits);
  EXPECT_NE(h, nullptr);
  if (p != nullptr) {
    r.ok = true;
    r.pixels.assign(p, p + static_cast<std::size_t>(r.width) * r.height * (r.bits / 8));
  }
  EXPECT_EQ(IoCloseBmp(h), 0);
  return r;
}

// The rows of a picture bottom to top, each padded with zeros to 4 bytes.
std::string storedRows(const std::vector<unsigned char>& px, int rowBytes, int height) {
  const int padded = (rowBytes + 3) / 4 * 4;
  std::string out;
  for (int r = height - 1; r >= 0; --r) {
    out.append(reinterpret_cast<const char*>(px.data()) + r * rowBytes, rowBytes);
    out.append(padded - rowBytes, '\0');
  }
  return out;
}

TEST(Bmp, GreyLayoutByteForByte) {
  TempDir dir;
  for (int width : {4, 5}) {
    const int height = 3;
    auto px = pattern(width * height, width);
    const auto before = px;
    ASSERT_EQ(IoWriteBmp("g.bmp", px.data(), width, height, 8), 0);
    EXPECT_EQ(px, before) << "the caller's pixels are never reordered";
    const std::string f = qx::test::readFile("g.bmp");
    const std::uint32_t image = (width + 3) / 4 * 4 * height;
    ASSERT_EQ(f.size(), 1078 + image);
    EXPECT_EQ(f.substr(0, 2), "BM");
    EXPECT_EQ(le32(f, 2), 1078 + image);
    EXPECT_EQ(le32(f, 6), 0u);
    EXPECT_EQ(le32(f, 10), 1078u);
    EXPECT_EQ(le32(f, 14), 40u);
    EXPECT_EQ(le32(f, 18), static_cast<std::uint32_t>(width));
    EXPECT_EQ(le32(f, 22), static_cast<std::uint32_t>(height));
    EXPECT_EQ(le16(f, 26), 1u);
    EXPECT_EQ(le16(f, 28), 8u);
    EXPECT_EQ(le32(f, 30), 0u);
    EXPECT_EQ(le32(f, 34), image);
    for (int at : {38, 42, 46, 50}) EXPECT_EQ(le32(f, at), 0u) << at;
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(le32(f, 54 + 4 * i), static_cast<std::uint32_t>(i * 0x010101)) << i;
    EXPECT_EQ(f.substr(1078), storedRows(px, width, height));
  }
}

TEST(Bmp, ColourLayoutByteForByte) {
  TempDir dir;
  for (int width : {4, 3}) {
    const int height = 2;
    auto px = pattern(3 * width * height, width);
    const auto before = px;
    ASSERT_EQ(IoWriteBmp("c.bmp", px.data(), width, height, 24), 0);
    EXPECT_EQ(px, before) << "the caller's pixels are never reordered";
    const std::string f = qx::test::readFile("c.bmp");
    const std::uint32_t image = (3 * width + 3) / 4 * 4 * height;
    ASSERT_EQ(f.size(), 54 + image);
    EXPECT_EQ(f.substr(0, 2), "BM");
    EXPECT_EQ(le32(f, 2), 54 + image);
    EXPECT_EQ(le32(f, 10), 54u);
    EXPECT_EQ(le32(f, 14), 40u);
    EXPECT_EQ(le32(f, 18), static_cast<std::uint32_t>(width));
    EXPECT_EQ(le32(f, 22), static_cast<std::uint32_t>(height));
    EXPECT_EQ(le16(f, 26), 1u);
    EXPECT_EQ(le16(f, 28), 24u);
    EXPECT_EQ(le32(f, 30), 0u);
    EXPECT_EQ(le32(f, 34), image);
    EXPECT_EQ(le32(f, 38), 100u);
    EXPECT_EQ(le32(f, 42), 100u);
    EXPECT_EQ(le32(f, 46), 0u);
    EXPECT_EQ(le32(f, 50), 0u);
    EXPECT_EQ(f.substr(54), storedRows(px, 3 * width, height));
  }
}

TEST(Bmp, RoundTripsEveryRowAlignmentAndOddRowCounts) {
  TempDir dir;
  for (int bits : {8, 24})
    for (int width = 1; width <= 9; ++width)
      for (int height : {1, 2, 5}) {
        const auto px = pattern(width * height * (bits / 8), width * 31 + height);
        auto copy = px;
        ASSERT_EQ(IoWriteBmp("r.bmp", copy.data(), width, height, bits), 0);
        const ReadBack r = readBmp("r.bmp");
        ASSERT_TRUE(r.ok) << bits << " " << width << "x" << height;
        EXPECT_EQ(r.width, width);
        EXPECT_EQ(r.height, height);
        EXPECT_EQ(r.bits, bits);
        EXPECT_EQ(r.pixels, px) << bits << " " << width << "x" << height;
      }
}

TEST(Bmp, WideNameWritesTheSameFile) {
  TempDir dir;
  auto px = pattern(5 * 3 * 3);
  ASSERT_EQ(IoWriteBmp("n.bmp", px.data(), 5, 3, 24), 0);
  ASSERT_EQ(IoWriteBmpW(L"w\u00e9.bmp", px.data(), 5, 3, 24), 0);
  std::FILE* f = qx::platform::openFileWide(L"w\u00e9.bmp", "rb");
  ASSERT_NE(f, nullptr);
  std::string wide(200, '\0');
  wide.resize(std::fread(&wide[0], 1, wide.size(), f));
  std::fclose(f);
  EXPECT_EQ(qx::test::readFile("n.bmp"), wide);
}

TEST(Bmp, UnsupportedBitCountsFailAndLeaveNoFile) {
  TempDir dir;
  auto px = pattern(64);
  for (int bits : {0, 1, 4, 16, 32}) {
    EXPECT_EQ(IoWriteBmp("x.bmp", px.data(), 4, 4, bits), -1) << bits;
    EXPECT_EQ(IoWriteBmpW(L"y.bmp", px.data(), 4, 4, bits), -1) << bits;
    EXPECT_FALSE(qx::test::fileExists("x.bmp"));
    EXPECT_FALSE(qx::test::fileExists("y.bmp"));
  }
  EXPECT_EQ(IoWriteBmp("x.bmp", px.data(), 0, 4, 8), -1);
  EXPECT_EQ(IoWriteBmp("x.bmp", px.data(), 4, -1, 8), -1);
  EXPECT_EQ(IoWriteBmp("x.bmp", nullptr, 4, 4, 8), -1);
  EXPECT_EQ(IoWriteBmp(dir.file("missing/x.bmp").c_str(), px.data(), 4, 4, 8), -1);
  EXPECT_FALSE(qx::test::fileExists("x.bmp"));
}

// A grey file as another program might write it: palette, rows padded.
std::string greyFile(int width, int height, const std::vector<unsigned char>& palette,
                     const std::string& rows) {
  std::string f(1078, '\0');
  f[0] = 'B';
  f[1] = 'M';
  putLe32(f, 2, static_cast<std::uint32_t>(1078 + rows.size()));
  putLe32(f, 10, 1078);
  putLe32(f, 14, 40);
  putLe32(f, 18, width);
  putLe32(f, 22, height);
  putLe16(f, 26, 1);
  putLe16(f, 28, 8);
  putLe32(f, 34, static_cast<std::uint32_t>(rows.size()));
  std::memcpy(&f[54], palette.data(), 1024);
  return f + rows;
}

TEST(Bmp, GreyFileWithColouredPaletteGivesRedComponents) {
  TempDir dir;
  std::vector<unsigned char> palette(1024);
  for (int i = 0; i < 256; ++i) {
    palette[4 * i] = static_cast<unsigned char>(i);             // blue
    palette[4 * i + 1] = static_cast<unsigned char>(i ^ 0x55);  // green
    palette[4 * i + 2] = static_cast<unsigned char>(255 - i);   // red
  }
  // 3 x 2, stored bottom row first, padded to 4 bytes.
  const std::string rows = std::string("\x07\x08\x09\0", 4) + std::string("\x01\x02\x03\0", 4);
  qx::test::writeFile("p.bmp", greyFile(3, 2, palette, rows));
  const ReadBack r = readBmp("p.bmp");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pixels, (std::vector<unsigned char>{254, 253, 252, 248, 247, 246}));
}

TEST(Bmp, ReadsUnpaddedFilesOfTheEarlierWriter) {
  TempDir dir;
  // The earlier writer stored rows of 3 bytes (grey) and 9 bytes (colour)
  // without padding, with sizes to match.
  std::vector<unsigned char> ramp(1024);
  for (int i = 0; i < 256; ++i) ramp[4 * i] = ramp[4 * i + 1] = ramp[4 * i + 2] = i;
  const auto grey = pattern(3 * 5);
  std::string rows;
  for (int r = 4; r >= 0; --r) rows.append(reinterpret_cast<const char*>(&grey[3 * r]), 3);
  qx::test::writeFile("u8.bmp", greyFile(3, 5, ramp, rows));
  ReadBack r = readBmp("u8.bmp");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pixels, grey);

  const auto colour = pattern(9 * 3, 7);
  std::string f(54, '\0');
  f[0] = 'B';
  f[1] = 'M';
  putLe32(f, 2, 54 + 27);
  putLe32(f, 10, 54);
  putLe32(f, 14, 40);
  putLe32(f, 18, 3);
  putLe32(f, 22, 3);
  putLe16(f, 26, 1);
  putLe16(f, 28, 24);
  putLe32(f, 34, 27);
  for (int row = 2; row >= 0; --row) f.append(reinterpret_cast<const char*>(&colour[9 * row]), 9);
  qx::test::writeFile("u24.bmp", f);
  r = readBmp("u24.bmp");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.bits, 24);
  EXPECT_EQ(r.pixels, colour);
}

TEST(Bmp, TopDownFilesAndColourFilesWithAPalette) {
  TempDir dir;
  auto px = pattern(3 * 4 * 2);
  ASSERT_EQ(IoWriteBmp("c.bmp", px.data(), 4, 2, 24), 0);
  std::string f = qx::test::readFile("c.bmp");
  // Negative height: rows stored top first.
  std::string top = f;
  putLe32(top, 22, static_cast<std::uint32_t>(-2));
  top.replace(54, 24, f.substr(66, 12) + f.substr(54, 12));
  qx::test::writeFile("t.bmp", top);
  ReadBack r = readBmp("t.bmp");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.height, 2);
  EXPECT_EQ(r.pixels, px);
  // A colour file may carry a palette for display purposes; its pixels
  // are still 24-bit and follow the palette.
  std::string pal = f.substr(0, 54) + std::string(8, '\x5a') + f.substr(54);
  putLe32(pal, 46, 2);
  putLe32(pal, 10, 62);
  qx::test::writeFile("cp.bmp", pal);
  r = readBmp("cp.bmp");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.bits, 24);
  EXPECT_EQ(r.pixels, px);
}

// A standard file cut short is never taken for the earlier unpadded layout:
// with only the last row's padding missing it is read as it is; cut into
// its pixels it is refused, even where its length is exactly that of an
// unpadded picture of the same size.
TEST(Bmp, CutStandardFilesAreNotMisreadAsUnpadded) {
  TempDir dir;
  for (int bits : {8, 24}) {
    const int w = 3, h = 5;
    const std::size_t row = static_cast<std::size_t>(w) * bits / 8;  // 3 or 9
    const std::size_t padded = (row + 3) / 4 * 4;                    // 4 or 12
    const auto px = pattern(row * h, bits);
    ASSERT_EQ(IoWriteBmp("s.bmp", const_cast<unsigned char*>(px.data()), w, h, bits), 0);
    const std::string whole = qx::test::readFile("s.bmp");
    const std::size_t data = whole.size() - padded * h;
    for (std::size_t cut = 1; cut < padded - row + 1; ++cut) {
      qx::test::writeFile("cut.bmp", whole.substr(0, whole.size() - cut));
      const ReadBack r = readBmp("cut.bmp");
      ASSERT_TRUE(r.ok) << bits << " bits, " << cut << " bytes of padding cut";
      EXPECT_EQ(r.pixels, px) << bits << " bits, " << cut << " bytes cut";
    }
    // Exactly as long as an unpadded picture, but the header says padded.
    qx::test::writeFile("cut.bmp", whole.substr(0, data + row * h));
    EXPECT_FALSE(readBmp("cut.bmp").ok) << bits;
    for (std::size_t cut = padded - row + 1; cut < padded * h; cut += 5) {
      qx::test::writeFile("cut.bmp", whole.substr(0, whole.size() - cut));
      EXPECT_FALSE(readBmp("cut.bmp").ok) << bits << " bits, " << cut << " bytes cut";
    }
  }
}

// Files of 2 GiB and more are measured with 64-bit positions on every
// system, and what follows the picture is not read into memory.
TEST(Bmp, FilesOfTwoGiBAndMoreAreRead) {
  TempDir dir;
  const auto px = pattern(5 * 3, 8);
  ASSERT_EQ(IoWriteBmp("big.bmp", const_cast<unsigned char*>(px.data()), 5, 3, 8), 0);
  ASSERT_TRUE(extendSparse("big.bmp", (1ull << 31) + 4096));
  ReadBack r = readBmp("big.bmp");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pixels, px);
  ASSERT_TRUE(extendSparse("big.bmp", (1ull << 32) + 4096));
  r = readBmp("big.bmp");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pixels, px);
}

// Targets without positions take the file in order: a pipe receives the
// same bytes as a file, and a character device accepts the picture.
TEST(Bmp, WritesToPipesAndDevices) {
  TempDir dir;
  const auto px = pattern(5 * 3 * 3, 2);
  for (int bits : {8, 24}) {
    ASSERT_EQ(IoWriteBmp("file.bmp", const_cast<unsigned char*>(px.data()), 5, 3, bits), 0);
    const std::string expected = qx::test::readFile("file.bmp");
    std::string received;
#if defined(_WIN32)
    EXPECT_EQ(IoWriteBmp("NUL", const_cast<unsigned char*>(px.data()), 5, 3, bits), 0);
    const std::string fifo = "\\\\.\\pipe\\nimbrix-bmp-" + std::to_string(bits);
    HANDLE pipe = CreateNamedPipeA(fifo.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                   4096, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    std::thread reader([&] {
      ConnectNamedPipe(pipe, nullptr);
      char buffer[4096];
      DWORD n = 0;
      while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        received.append(buffer, n);
    });
#else
    EXPECT_EQ(IoWriteBmp("/dev/null", const_cast<unsigned char*>(px.data()), 5, 3, bits), 0);
    const std::string fifo = dir.file("pipe" + std::to_string(bits));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread reader([&] {
      std::FILE* f = std::fopen(fifo.c_str(), "rb");
      if (f == nullptr) return;
      char buffer[4096];
      std::size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) received.append(buffer, n);
      std::fclose(f);
    });
#endif
    const int written = IoWriteBmp(fifo.c_str(), const_cast<unsigned char*>(px.data()), 5, 3, bits);
    reader.join();
#if defined(_WIN32)
    CloseHandle(pipe);
#endif
    EXPECT_EQ(written, 0) << bits;
    EXPECT_EQ(received, expected) << bits;
  }
}

TEST(Bmp, MalformedFilesAreRefused) {
  TempDir dir;
  auto px = pattern(6 * 4);
  ASSERT_EQ(IoWriteBmp("g.bmp", px.data(), 6, 4, 8), 0);
  const std::string good = qx::test::readFile("g.bmp");
  struct Case {
    const char* what;
    std::string file;
  };
  std::vector<Case> cases;
  auto with32 = [&](std::size_t at, std::uint32_t v) {
    std::string f = good;
    putLe32(f, at, v);
    return f;
  };
  auto with16 = [&](std::size_t at, std::uint32_t v) {
    std::string f = good;
    putLe16(f, at, v);
    return f;
  };
  cases.push_back({"empty", ""});
  cases.push_back({"header only", good.substr(0, 54)});
  cases.push_back({"no signature", "XY" + good.substr(2)});
  cases.push_back({"truncated pixels", good.substr(0, good.size() - 9)});
  cases.push_back({"truncated palette", good.substr(0, 600)});
  cases.push_back({"bit count 16", with16(28, 16)});
  cases.push_back({"bit count 32", with16(28, 32)});
  cases.push_back({"bit count 4", with16(28, 4)});
  cases.push_back({"compressed", with32(30, 1)});
  cases.push_back({"huge width", with32(18, 0x7fffffff)});
  cases.push_back({"width x height overflows", with32(22, 0x40000001)});
  cases.push_back({"negative width", with32(18, static_cast<std::uint32_t>(-6))});
  cases.push_back({"zero height", with32(22, 0)});
  cases.push_back({"info header past the end", with32(14, 0x7ffffff0)});
  cases.push_back({"info header too short", with32(14, 12)});
  cases.push_back({"palette of 300 entries", with32(46, 300)});
  // Two palette entries, but pixels index further.
  cases.push_back({"index outside the palette", with32(46, 2)});
  for (const Case& c : cases) {
    qx::test::writeFile("bad.bmp", c.file);
    const ReadBack r = readBmp("bad.bmp");
    EXPECT_FALSE(r.ok) << c.what;
  }
  EXPECT_FALSE(readBmp("missing.bmp").ok);
  EXPECT_EQ(IoCloseBmp(nullptr), 0);
}

}  // namespace
