#include <gtest/gtest.h>

#include <quorlex/nimbrix.h>
#include "nimbrix_test_util.h"
#include "testsupport.h"

using namespace nimbrix_test;
using qx::test::TempDir;

namespace {

struct Raw {
  int result = 0;
  int width = -7, height = -7, third = -7;
  std::string data;
};

Raw readRaw(const std::string& name) {
  Raw r;
  void* block = reinterpret_cast<void*>(1);
  r.result = IoReadRaw(name.c_str(), &block, &r.width, &r.height, &r.third);
  if (r.result == 0) {
    r.data.assign(static_cast<const char*>(block), static_cast<std::size_t>(r.third));
    EXPECT_EQ(IoFreeRaw(block), 0);
  } else {
    EXPECT_EQ(block, reinterpret_cast<void*>(1)) << "no block on failure";
  }
  return r;
}

TEST(Raw, HeaderLineAndDataByteForByte) {
  TempDir dir;
  auto data = pattern(37);
  ASSERT_EQ(IoWriteRaw("a.raw", data.data(), 12, -3, 37), 0);
  EXPECT_EQ(qx::test::readFile("a.raw"), "12,-3,37\n" + bytes(data));
  ASSERT_EQ(IoWriteRawW(L"b.raw", data.data(), 12, -3, 37), 0);
  EXPECT_EQ(qx::test::readFile("b.raw"), qx::test::readFile("a.raw"));
}

TEST(Raw, ReadsBackExactlyWhatWasWritten) {
  TempDir dir;
  // Data that start and end with bytes a text parser would take for white
  // space, and a line feed of their own.
  std::vector<unsigned char> data = {9, 10, 11, 12, 13, 32, 0, '\n', 255, 32};
  ASSERT_EQ(IoWriteRaw("w.raw", data.data(), 5, 2, static_cast<int>(data.size())), 0);
  Raw r = readRaw("w.raw");
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(r.width, 5);
  EXPECT_EQ(r.height, 2);
  EXPECT_EQ(r.third, static_cast<int>(data.size()));
  EXPECT_EQ(r.data, bytes(data));

  ASSERT_EQ(IoWriteRaw("empty.raw", nullptr, 0, 0, 0), 0);
  r = readRaw("empty.raw");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.third, 0);
}

TEST(Raw, FourNumbersGiveTheLengthFromWidthHeightAndFourth) {
  TempDir dir;
  const std::string data = "\t\nabcdefghijklmnopqrstuv";  // 24 bytes = 3 x 4 x 2
  qx::test::writeFile("f.raw", "3,4,77,2\n" + data + "trailing");
  void* block = nullptr;
  int w = 0, h = 0, third = 0;
  ASSERT_EQ(IoReadRaw("f.raw", &block, &w, &h, &third), 0);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(third, 77);
  EXPECT_EQ(std::string(static_cast<char*>(block), 24), data);
  IoFreeRaw(block);
}

// The numbers are taken as the original reader's formatted scan took them:
// white space before each one and a sign are accepted.
TEST(Raw, WhiteSpaceBeforeNumbersAndSignsAreAccepted) {
  TempDir dir;
  const char* good[] = {" 4,3,24,2\n",           "4, 3, 24, 2\n", "+4,3,24,2\n",
                        "\t4,\n+3,\r 24,\v+2\n", " +4,3,24\n",    "4, +3, +24\n"};
  const auto data = pattern(24, 3);
  for (const char* line : good) {
    qx::test::writeFile("ws.raw", line + bytes(data));
    const Raw r = readRaw("ws.raw");
    ASSERT_EQ(r.result, 0) << line;
    EXPECT_EQ(r.width, 4) << line;
    EXPECT_EQ(r.height, 3) << line;
    EXPECT_EQ(r.data, bytes(data)) << line;
  }
}

// Files of 2 GiB and more are measured with 64-bit positions on every
// system: the data are checked against the file's true length.
TEST(Raw, FilesOfTwoGiBAndMoreAreRead) {
  TempDir dir;
  const auto data = pattern(24, 5);
  ASSERT_EQ(IoWriteRaw("big.raw", const_cast<unsigned char*>(data.data()), 4, 3, 24), 0);
  for (std::uint64_t length : {(1ull << 31) + 4096, (1ull << 32) + 4096}) {
    ASSERT_TRUE(extendSparse("big.raw", length));
    const Raw r = readRaw("big.raw");
    ASSERT_EQ(r.result, 0) << length;
    EXPECT_EQ(r.data, bytes(data));
  }
}

TEST(Raw, MalformedMissingAndTruncatedFilesGiveMinusOneAndNoBlock) {
  TempDir dir;
  const char* bad[] = {
      "",                       // empty
      "4,4\n0123456789abcdef",  // two numbers
      "4,4,16",                 // no line end
      "4,4,16\n0123",           // truncated data
      "4;4;16\n0123456789abcdef",
      "a,4,16\n0123456789abcdef",
      "4,4,-16\n",                     // negative length
      "-4,4,0,1\n",                    // negative size
      "4,4,99999999999\n",             // does not fit an int
      "65536,65536,0,65536\n",         // 2^48 bytes
      "4 ,4,16\n0123456789abcdef",     // space after a number
      "4,4, 16 \n0123456789abcdef",    // space before the line end
      "4,4,+-16\n0123456789abcdef",    // two signs
      "4,4,- 16\n0123456789abcdef",    // space after the sign
      "4,4,16,1,9\n0123456789abcdef",  // five numbers
  };
  int i = 0;
  for (const char* text : bad) {
    qx::test::writeFile("bad.raw", text);
    EXPECT_EQ(readRaw("bad.raw").result, -1) << i++ << ": " << text;
  }
  EXPECT_EQ(readRaw("missing.raw").result, -1);
  EXPECT_EQ(IoReadRaw(nullptr, nullptr, nullptr, nullptr, nullptr), -1);
}

TEST(Raw, WriterRefusesWhatItCannotWrite) {
  TempDir dir;
  auto data = pattern(8);
  EXPECT_EQ(IoWriteRaw("x.raw", data.data(), 2, 2, -1), -1);
  EXPECT_EQ(IoWriteRaw("x.raw", nullptr, 2, 2, 8), -1);
  EXPECT_FALSE(qx::test::fileExists("x.raw"));
  EXPECT_EQ(IoWriteRaw(dir.file("no/such/dir.raw").c_str(), data.data(), 2, 2, 8), -1);
}

}  // namespace
