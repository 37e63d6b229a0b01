// Reading the keys of a configuration file.
#include "config_file.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>

using qx::pictordyn::FindInFile;
using qx::pictordyn::findValue;
namespace qt = qx::test;

namespace {

TEST(ConfigValue, ValueLiesBetweenOneDelimiterOnEachSideAndTheSemicolon) {
  EXPECT_EQ(findValue("Typ=\"ABC\";", "Typ="), "ABC");
  EXPECT_EQ(findValue("Typ=\"\";", "Typ="), "");
  // The delimiters are dropped without being looked at.
  EXPECT_EQ(findValue("Typ='x y';", "Typ="), "x y");
  // Found anywhere, also inside a longer word; the first occurrence counts.
  EXPECT_EQ(findValue("AppletTyp=\"A\";\nTyp=\"B\";", "Typ="), "A");
}

TEST(ConfigValue, MalformedValuesCountAsNotFound) {
  EXPECT_FALSE(findValue("", "Typ="));
  EXPECT_FALSE(findValue("Hersteller=\"x\";", "Typ="));
  EXPECT_FALSE(findValue("Typ=\"ABC\"", "Typ=")) << "no closing ;";
  EXPECT_FALSE(findValue("Typ=\";", "Typ=")) << "one character before ;";
  EXPECT_FALSE(findValue("Typ=;", "Typ="));
  EXPECT_FALSE(findValue("Typ=", "Typ=")) << "key at the very end";
  EXPECT_FALSE(findValue("x", ""));
  const std::string longest(255, 'v');
  EXPECT_EQ(findValue("Typ=\"" + longest + "\";", "Typ="), longest);
  EXPECT_FALSE(findValue("Typ=\"" + longest + "v\";", "Typ="));
}

TEST(ConfigFile, KeysAreFoundAcrossChunkBoundariesAndAtTheVeryEnd) {
  qt::TempDir dir;
  for (std::size_t split = 4086; split <= 4100; ++split) {
    // The key starts a few bytes before a 4096-byte boundary, or its value
    // ends right after it.
    const std::string text = std::string(split, '#') + "Hersteller=\"Corvane GmbH\";";
    qt::writeFile(dir.file("c.cfg"), text);
    EXPECT_EQ(FindInFile(dir.file("c.cfg").c_str(), "Hersteller="), "Corvane GmbH") << split;
  }
  qt::writeFile(dir.file("end.cfg"), std::string(8192, ' ') + "Version=\"1\";");
  EXPECT_EQ(FindInFile(dir.file("end.cfg").c_str(), "Version="), "1");
}

// A file of `size` bytes, mostly a hole, with `text` at `at`.
void writeSparse(const std::string& path, std::size_t at, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.seekp(static_cast<std::streamoff>(at));
  out << text;
}

TEST(ConfigFile, SearchStopsAtSixtyFourMebibytes) {
  qt::TempDir dir;
  const std::string entry = "Typ=\"Far\";";
  // Ends just inside the searched part.
  writeSparse(dir.file("inside.cfg"), qx::pictordyn::kMaxConfigFile - entry.size(), entry);
  EXPECT_EQ(FindInFile(dir.file("inside.cfg").c_str(), "Typ="), "Far");
  // Its ";" lies one byte beyond.
  writeSparse(dir.file("across.cfg"), qx::pictordyn::kMaxConfigFile - entry.size() + 1, entry);
  EXPECT_FALSE(FindInFile(dir.file("across.cfg").c_str(), "Typ="));
  writeSparse(dir.file("beyond.cfg"), qx::pictordyn::kMaxConfigFile + 4096, entry);
  EXPECT_FALSE(FindInFile(dir.file("beyond.cfg").c_str(), "Typ="));
}

TEST(ConfigFile, OnlyTheFirstOccurrenceCountsWhereverTheChunksEnd) {
  qt::TempDir dir;
  for (std::size_t split : {65530u, 65536u, 65540u, 131072u - 270u}) {
    // The first occurrence's value is not closed in time: the file holds no
    // value for the key, though a later occurrence is well formed.
    const std::string text =
        std::string(split, '.') + "Typ=\"" + std::string(300, 'v') + "\";" + "Typ=\"B\";";
    qt::writeFile(dir.file("c.cfg"), text);
    EXPECT_FALSE(FindInFile(dir.file("c.cfg").c_str(), "Typ=")) << split;
    // The longest value there can be, closed across a chunk boundary.
    const std::string longest(255, 'w');
    qt::writeFile(dir.file("d.cfg"), std::string(split, '.') + "Typ=\"" + longest + "\";");
    EXPECT_EQ(FindInFile(dir.file("d.cfg").c_str(), "Typ="), longest) << split;
  }
}

TEST(ConfigFile, ChunkedSearchAgreesWithASearchOfTheWholeText) {
  // Pieces of keys, values and semicolons, many of them near the ends of
  // the chunks the file is read in.
  qt::TempDir dir;
  const char* pieces[] = {"Typ=", "Ty", "p=", "\"", ";", "\"v\";", "x", "Typ=\"\";"};
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  int found = 0;
  for (int round = 0; round < 40; ++round) {
    std::string text(65536 * (1 + round % 3) - 300 + next() % 400, '.');
    for (int i = 0; i < 6; ++i) {
      const std::size_t at = next() % text.size();
      const std::string piece = pieces[next() % (sizeof pieces / sizeof *pieces)];
      text.replace(at, std::min(piece.size(), text.size() - at), piece);
    }
    if (round % 2 == 0) text.replace(text.size() - 280 - next() % 40, 4, "Typ=");
    qt::writeFile(dir.file("r.cfg"), text);
    const auto whole = findValue(text, "Typ=");
    EXPECT_EQ(FindInFile(dir.file("r.cfg").c_str(), "Typ="), whole) << round;
    if (whole) ++found;
  }
  // Both outcomes were compared, not only "absent".
  EXPECT_GT(found, 5);
  EXPECT_LT(found, 35);
}

TEST(ConfigFile, ReadOnlyFileIsReadAndMissingFileHoldsNothing) {
  qt::TempDir dir;
  qt::writeFile(dir.file("ro.cfg"), "Typ=\"T\";");
  qt::makeReadOnly(dir.file("ro.cfg"));
  EXPECT_EQ(FindInFile(dir.file("ro.cfg").c_str(), "Typ="), "T");
  EXPECT_FALSE(FindInFile(dir.file("missing.cfg").c_str(), "Typ="));
  EXPECT_FALSE(FindInFile("", "Typ="));
  EXPECT_FALSE(FindInFile(nullptr, "Typ="));
}

}  // namespace
