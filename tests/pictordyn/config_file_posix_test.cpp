// The configuration search on files that never end or are huge: it stops,
// and takes no more memory than for a small file.
#include "config_file.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>

using qx::pictordyn::FindInFile;
namespace qt = qx::test;

namespace {

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(ConfigFileSize, AnEndlessDeviceIsSearchedUpToTheLimitOnly) {
  EXPECT_FALSE(FindInFile("/dev/zero", "Typ="));
}

TEST(ConfigFileSize, AFileOfSixtyMebibytesTakesNoMoreMemoryThanASmallOne) {
  qt::TempDir dir;
  {
    std::ofstream out(dir.file("big.cfg"), std::ios::binary);
    const std::string block(1 << 20, '#');
    for (int i = 0; i < 60; ++i) out << block;
    out << "Version=\"2\";";
  }
  const long before = peakKilobytes();
  EXPECT_EQ(FindInFile(dir.file("big.cfg").c_str(), "Version="), "2");
  EXPECT_LT(peakKilobytes() - before, 8 * 1024) << "kB more at the peak";
}

}  // namespace
