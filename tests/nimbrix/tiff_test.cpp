#include <gtest/gtest.h>
#include <tiffio.h>

#include <map>

#include <quorlex/nimbrix.h>
#include "nimbrix_test_util.h"
#include "testsupport.h"
#include "tiff_file.h"

using namespace nimbrix_test;
using qx::test::TempDir;

namespace {

// A reader of the first directory of a little-endian TIFF file, our own, so
// that tags are checked without going through libtiff.
struct Entry {
  std::uint32_t type = 0, count = 0;
  std::vector<double> values;
};
std::map<int, Entry> firstDirectory(const std::string& f) {
  std::map<int, Entry> tags;
  if (f.size() < 8 || f.substr(0, 4) != std::string("II*\0", 4)) return tags;
  const std::uint32_t ifd = le32(f, 4);
  const std::uint32_t n = le16(f, ifd);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::size_t at = ifd + 2 + 12 * i;
    Entry e;
    e.type = le16(f, at + 2);
    e.count = le32(f, at + 4);
    const std::size_t size = e.type == 3 ? 2 : e.type == 4 ? 4 : e.type == 5 ? 8 : 1;
    const std::size_t data = size * e.count <= 4 ? at + 8 : le32(f, at + 8);
    for (std::uint32_t k = 0; k < e.count; ++k) {
      const std::size_t p = data + k * size;
      if (e.type == 3)
        e.values.push_back(le16(f, p));
      else if (e.type == 4)
        e.values.push_back(le32(f, p));
      else if (e.type == 5)
        e.values.push_back(double(le32(f, p)) / le32(f, p + 4));
      else
        e.values.push_back(static_cast<unsigned char>(f[p]));
    }
    tags[le16(f, at)] = e;
  }
  return tags;
}

std::string stripData(const std::string& f) {
  auto tags = firstDirectory(f);
  return f.substr(static_cast<std::size_t>(tags[273].values.at(0)),
                  static_cast<std::size_t>(tags[279].values.at(0)));
}

struct Read {
  int result = -9;
  int width = -1, height = -1, bits = -1, samples = -1;
  std::vector<unsigned char> block;
};
Read readTiff(const std::string& name, std::size_t blockSize) {
  Read r;
  void* p = nullptr;
  r.result = IoReadTiff(name.c_str(), &p, &r.width, &r.height, &r.bits, &r.samples);
  if (p != nullptr) {
    r.block.assign(static_cast<unsigned char*>(p), static_cast<unsigned char*>(p) + blockSize);
    IoFreeTiff(p);
  }
  return r;
}

// Blue-green-red pixels turned to red-green-blue, for samples of `bytes`.
std::vector<unsigned char> swapped(std::vector<unsigned char> px, std::size_t bytes) {
  for (std::size_t at = 0; at < px.size(); at += 3 * bytes)
    for (std::size_t b = 0; b < bytes; ++b) std::swap(px[at + b], px[at + 2 * bytes + b]);
  return px;
}

TEST(Tiff, TheTwelveTagsAndTheirValues) {
  TempDir dir;
  struct Case {
    int bits, samples, photometric;
  };
  for (Case c : {Case{8, 1, 0}, Case{8, 3, 2}, Case{16, 4, 0}}) {
    auto px = pattern(static_cast<std::size_t>(c.bits / 8) * c.samples * 5 * 3);
    ASSERT_EQ(IoWriteTiff("t.tif", px.data(), 5, 3, c.bits, c.samples), 0);
    auto tags = firstDirectory(qx::test::readFile("t.tif"));
    const std::map<int, double> expected = {
        {256, 5}, {257, 3},   {258, c.bits},        {277, c.samples},
        {278, 3}, {259, 1},   {262, c.photometric}, {266, 1},
        {284, 1}, {282, 150}, {283, 150},           {296, 2}};
    for (auto [tag, value] : expected) {
      ASSERT_TRUE(tags.count(tag)) << tag;
      for (double v : tags[tag].values) EXPECT_EQ(v, value) << "tag " << tag;
    }
    // Only what libtiff adds by itself besides: the strip's offset and size.
    EXPECT_EQ(tags.size(), expected.size() + 2);
    EXPECT_TRUE(tags.count(273) && tags.count(279));
  }
}

TEST(Tiff, ColourIsStoredRedGreenBlueAndReadAsStored) {
  TempDir dir;
  for (int bits : {8, 16}) {
    const std::size_t size = bits / 8;
    const auto px = pattern(3 * size * 7 * 4, bits);
    auto copy = px;
    ASSERT_EQ(IoWriteTiff("c.tif", copy.data(), 7, 4, bits, 3), 0);
    EXPECT_EQ(copy, px) << "the caller's pixels are never changed";
    EXPECT_EQ(stripData(qx::test::readFile("c.tif")), bytes(swapped(px, size)));
    const Read r = readTiff("c.tif", px.size());
    EXPECT_NE(r.result, 0);
    EXPECT_EQ(r.width, 7);
    EXPECT_EQ(r.height, 4);
    EXPECT_EQ(r.bits, bits);
    EXPECT_EQ(r.samples, 3);
    EXPECT_EQ(r.block, swapped(px, size));
  }
  // Rows of any length come out swapped, also where whole blocks of pixels
  // and a rest are handled apart.
  for (int width : {1, 5, 6, 10, 16, 33, 2048}) {
    const auto row = pattern(3 * static_cast<std::size_t>(width) * 2, 8);
    auto in = row;
    ASSERT_EQ(IoWriteTiff("w.tif", in.data(), width, 2, 8, 3), 0);
    EXPECT_EQ(stripData(qx::test::readFile("w.tif")), bytes(swapped(row, 1))) << width;
  }
  // Pictures of several megabytes go out in more than one run of rows, the
  // last one short, also when a single row is longer than a run: the strip
  // is still whole, in order and swapped.
  struct Big {
    int bits, width, height;
  };
  for (Big big : {Big{8, 1399, 1100}, Big{16, 701, 1100}, Big{8, 3000001, 2}}) {
    const int bits = big.bits, width = big.width, height = big.height;
    const std::size_t size = bits / 8;
    const auto px = pattern(3 * size * width * height, bits + 1);
    auto in = px;
    ASSERT_EQ(IoWriteTiff("big.tif", in.data(), width, height, bits, 3), 0);
    const std::string file = qx::test::readFile("big.tif");
    EXPECT_EQ(firstDirectory(file)[279].values.at(0), px.size());
    EXPECT_TRUE(stripData(file) == bytes(swapped(px, size))) << bits;
  }
  // Four samples go as they are; grey round-trips unchanged.
  const auto four = pattern(4 * 3 * 2, 4);
  auto copy = four;
  ASSERT_EQ(IoWriteTiffW(L"f.tif", copy.data(), 3, 2, 8, 4), 0);
  EXPECT_EQ(stripData(qx::test::readFile("f.tif")), bytes(four));
  const auto grey = pattern(11 * 5, 5);
  copy = grey;
  ASSERT_EQ(IoWriteTiff("g.tif", copy.data(), 11, 5, 8, 1), 0);
  void* p = nullptr;
  int w, h, b, s;
  ASSERT_NE(IoReadTiffW(L"g.tif", &p, &w, &h, &b, &s), 0);
  EXPECT_EQ(std::vector<unsigned char>(static_cast<unsigned char*>(p),
                                       static_cast<unsigned char*>(p) + grey.size()),
            grey);
  EXPECT_EQ(b * 100 + s, 801);
  IoFreeTiff(p);
}

// A file written by libtiff itself with the given strip height and fill order.
void libtiffFile(const char* name, const std::vector<unsigned char>& px, int w, int h,
                 int rowsPerStrip, int fillOrder) {
  TIFF* t = TIFFOpen(name, "w");
  ASSERT_NE(t, nullptr);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (fillOrder) TIFFSetField(t, TIFFTAG_FILLORDER, fillOrder);
  for (int r = 0; r < h; ++r)
    TIFFWriteScanline(t, const_cast<unsigned char*>(px.data()) + r * w, r, 0);
  TIFFClose(t);
}

TEST(Tiff, FillOrderTwoIsBitReversedAndShortLastStripsPack) {
  TempDir dir;
  const auto px = pattern(6 * 5, 9);
  libtiffFile("fo.tif", px, 6, 5, 5, FILLORDER_LSB2MSB);
  Read r = readTiff("fo.tif", px.size());
  ASSERT_NE(r.result, 0);
  for (std::size_t i = 0; i < px.size(); ++i) {
    unsigned char rev = 0;
    for (int b = 0; b < 8; ++b) rev |= ((px[i] >> b) & 1) << (7 - b);
    ASSERT_EQ(r.block[i], rev) << i;
  }
  libtiffFile("plain.tif", px, 6, 5, 5, 0);
  EXPECT_EQ(readTiff("plain.tif", px.size()).block, px) << "no FillOrder tag: as decoded";

  // Strips of 2 rows: 3 strips of 12 bytes, the last one holding 6.
  libtiffFile("ms.tif", px, 6, 5, 2, 0);
  r = readTiff("ms.tif", 36);
  ASSERT_NE(r.result, 0);
  EXPECT_EQ(std::vector<unsigned char>(r.block.begin(), r.block.begin() + 30), px);
}

// A picture written by libtiff with the given compression, strips of
// `rowsPerStrip` rows, samples per pixel and planar configuration.
bool compressedFile(const char* name, const std::vector<unsigned char>& px, int w, int h,
                    int samples, int compression, int rowsPerStrip,
                    int planar = PLANARCONFIG_CONTIG) {
  if (!TIFFIsCODECConfigured(static_cast<uint16_t>(compression))) return false;
  TIFF* t = TIFFOpen(name, "w");
  if (t == nullptr) return false;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, planar);
  bool ok = true;
  if (planar == PLANARCONFIG_CONTIG) {
    for (int r = 0; r < h; ++r)
      ok = ok &&
           TIFFWriteScanline(t, const_cast<unsigned char*>(px.data()) + r * w * samples, r, 0) == 1;
  } else {
    // Plane after plane, each `px` as given for every sample.
    for (int s = 0; s < samples; ++s)
      for (int r = 0; r < h; ++r)
        ok = ok && TIFFWriteScanline(t, const_cast<unsigned char*>(px.data()) + r * w, r,
                                     static_cast<uint16_t>(s)) == 1;
  }
  TIFFClose(t);
  return ok;
}

// Compressed pictures many thousand times larger than their files are read
// whole; so are ordinary ones of every strip layout.
TEST(Tiff, HighlyCompressedFilesAreReadWhole) {
  TempDir dir;
  const int side = 4096;
  const std::vector<unsigned char> black(static_cast<std::size_t>(side) * side, 0);
  const auto mixed = pattern(301 * 77 * 3, 4);
  int tried = 0;
  for (int c : {COMPRESSION_LZW, COMPRESSION_PACKBITS, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_ZSTD,
                COMPRESSION_LZMA}) {
    if (!compressedFile("flat.tif", black, side, side, 1, c, side)) continue;
    ++tried;
    const auto size = qx::test::readFile("flat.tif").size();
    Read r = readTiff("flat.tif", black.size());
    ASSERT_NE(r.result, 0) << "compression " << c << ", file of " << size << " bytes";
    EXPECT_EQ(r.width, side);
    EXPECT_EQ(r.height, side);
    EXPECT_TRUE(r.block == black) << c;
    // Colour, strips of 16 rows with a short last one.
    ASSERT_TRUE(compressedFile("mixed.tif", mixed, 301, 77, 3, c, 16));
    r = readTiff("mixed.tif", mixed.size());
    ASSERT_NE(r.result, 0) << c;
    EXPECT_EQ(r.samples, 3);
    EXPECT_TRUE(r.block == mixed) << c;
  }
  EXPECT_GE(tried, 2) << "LZW and PackBits are always there";
}

// A compressed strip of a few bytes that claims billions of rows is refused
// at the first rows that do not decode.
TEST(Tiff, CompressedFilesThatClaimMoreRowsThanTheyHoldAreRefused) {
  TempDir dir;
  ASSERT_TRUE(compressedFile("lzw.tif", pattern(64), 8, 8, 1, COMPRESSION_LZW, 8));
  std::string f = qx::test::readFile("lzw.tif");
  const std::uint32_t ifd = le32(f, 4);
  for (std::uint32_t i = 0; i < le16(f, ifd); ++i) {
    const std::size_t at = ifd + 2 + 12 * i;
    if (le16(f, at) == 257 || le16(f, at) == 278) {
      putLe16(f, at + 2, 4);
      putLe32(f, at + 8, 0x10000000);
    }
  }
  qx::test::writeFile("lzw.tif", f);
  void* p = nullptr;
  int w = 0, h = 0, b = 0, s = 0;
  EXPECT_EQ(IoReadTiff("lzw.tif", &p, &w, &h, &b, &s), 0);
  IoFreeTiff(p);
  // One row of 256 MiB from a file of a few hundred bytes: no codec makes
  // that much of so little, so the row is never allocated.
  f = qx::test::readFile("lzw.tif");
  for (std::uint32_t i = 0; i < le16(f, ifd); ++i) {
    const std::size_t at = ifd + 2 + 12 * i;
    if (le16(f, at) == 256 || le16(f, at) == 257 || le16(f, at) == 278) {
      putLe16(f, at + 2, 4);
      putLe32(f, at + 8, le16(f, at) == 256 ? 0x10000000 : 8);
    }
  }
  qx::test::writeFile("wide.tif", f);
  p = nullptr;
  EXPECT_EQ(IoReadTiff("wide.tif", &p, &w, &h, &b, &s), 0);
  EXPECT_EQ(p, nullptr);
}

// Samples stored plane after plane and palette indices are not what the
// block describes (interleaved samples, grey or colour values): refused.
TEST(Tiff, PlanarAndPaletteFilesAreRefused) {
  TempDir dir;
  const auto px = pattern(5 * 4, 6);
  ASSERT_TRUE(
      compressedFile("planar.tif", px, 5, 4, 3, COMPRESSION_NONE, 4, PLANARCONFIG_SEPARATE));
  void* p = nullptr;
  int w = -1, h = -1, b = -1, s = -1;
  EXPECT_EQ(IoReadTiff("planar.tif", &p, &w, &h, &b, &s), 0);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(w, -1) << "outputs untouched";
  // One sample stored "plane after plane" is the same as interleaved.
  ASSERT_TRUE(compressedFile("one.tif", px, 5, 4, 1, COMPRESSION_NONE, 4, PLANARCONFIG_SEPARATE));
  EXPECT_EQ(readTiff("one.tif", px.size()).block, px);

  TIFF* t = TIFFOpen("palette.tif", "w");
  ASSERT_NE(t, nullptr);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 5);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, 4);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 4);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
  std::vector<uint16_t> red(256), green(256), blue(256);
  for (int i = 0; i < 256; ++i) red[i] = static_cast<uint16_t>((255 - i) * 257);
  TIFFSetField(t, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  for (int r = 0; r < 4; ++r)
    TIFFWriteScanline(t, const_cast<unsigned char*>(px.data()) + r * 5, r, 0);
  TIFFClose(t);
  EXPECT_EQ(IoReadTiff("palette.tif", &p, &w, &h, &b, &s), 0);
  EXPECT_EQ(p, nullptr);
}

TEST(Tiff, MissingAndRefusedFiles) {
  TempDir dir;
  void* p = reinterpret_cast<void*>(1);
  int w = -3, h = -3, b = -3, s = -3;
  EXPECT_EQ(IoReadTiff("missing.tif", &p, &w, &h, &b, &s), 0);
  EXPECT_EQ(p, reinterpret_cast<void*>(1));
  EXPECT_EQ(w + h + b + s, -12) << "no output written";

  auto px = pattern(64);
  for (int bits : {0, 1, 4, 12, -8}) {
    EXPECT_EQ(IoWriteTiff("x.tif", px.data(), 4, 4, bits, 1), -1) << bits;
    EXPECT_FALSE(qx::test::fileExists("x.tif"));
  }
  EXPECT_EQ(IoWriteTiff("x.tif", px.data(), 0x7fffffff, 0x7fffffff, 64, 0xffff), -1);
  EXPECT_EQ(IoWriteTiff("x.tif", nullptr, 4, 4, 8, 1), -1);
  EXPECT_FALSE(qx::test::fileExists("x.tif"));

  // A header whose strip is far larger than the file is refused before any
  // block is allocated for it.
  ASSERT_EQ(IoWriteTiff("big.tif", px.data(), 8, 8, 8, 1), 0);
  std::string f = qx::test::readFile("big.tif");
  const std::uint32_t ifd = le32(f, 4);
  for (std::uint32_t i = 0; i < le16(f, ifd); ++i) {
    const std::size_t at = ifd + 2 + 12 * i;
    if (le16(f, at) == 256 || le16(f, at) == 257 || le16(f, at) == 278) {
      putLe16(f, at + 2, 4);
      putLe32(f, at + 8, 0x10000);
    }
  }
  qx::test::writeFile("big.tif", f);
  p = nullptr;
  EXPECT_EQ(IoReadTiff("big.tif", &p, &w, &h, &b, &s), 0);
  IoFreeTiff(p);
}

// Found by fuzzing: one uncompressed strip that promises billions of rows,
// of which the file holds one, is refused before its block is allocated;
// short last strips of sound files still count only their own rows.
TEST(Tiff, OneStripOfBillionsOfRowsIsRefusedBeforeAllocating) {
  TempDir dir;
  auto px = pattern(64);
  ASSERT_EQ(IoWriteTiff("rows.tif", px.data(), 8, 8, 8, 1), 0);
  std::string f = qx::test::readFile("rows.tif");
  const std::uint32_t ifd = le32(f, 4);
  for (std::uint32_t i = 0; i < le16(f, ifd); ++i) {
    const std::size_t at = ifd + 2 + 12 * i;
    if (le16(f, at) == 257 || le16(f, at) == 278) {
      putLe16(f, at + 2, 4);
      putLe32(f, at + 8, 0xFFFFFFFF);
    }
  }
  qx::test::writeFile("rows.tif", f);
  // A 32-bit libtiff already refuses the strip size when it opens the file.
  TIFF* t = TIFFOpen("rows.tif", "r");
  if (t != nullptr) {
    EXPECT_EQ(nimbrix::tiffBlockSize(t), 0u);
    TIFFClose(t);
  } else {
    EXPECT_LT(sizeof(void*), 8u) << "a 64-bit libtiff opens this file";
  }
  void* p = nullptr;
  int w = 0, h = 0, b = 0, s = 0;
  EXPECT_EQ(IoReadTiff("rows.tif", &p, &w, &h, &b, &s), 0);
  IoFreeTiff(p);

  libtiffFile("ms.tif", pattern(30, 1), 6, 5, 2, 0);
  t = TIFFOpen("ms.tif", "r");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(nimbrix::tiffBlockSize(t), 36u) << "three strips of two rows of six bytes";
  TIFFClose(t);
}

TEST(Tiff, OpenFailureSaysSoOnStandardOutput) {
  TempDir dir;
  auto px = pattern(16);
  testing::internal::CaptureStdout();
  const int result = IoWriteTiff(dir.file("no/such/dir.tif").c_str(), px.data(), 4, 4, 8, 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not open output.tif for writing\n");
  EXPECT_EQ(result, -1);
}

}  // namespace
