#include "serial_fixture.h"

#include "platform/library.h"
#include "platform/named_objects.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace qx::test {
namespace {

void* simEntry(const char* name) {
  static platform::LibraryHandle sim =
      platform::loadLibrary((binDir() + pathSeparator() + platform::kBoardRuntimeLibrary).c_str());
  return platform::resolveSymbol(sim, name);
}

}  // namespace

SerialTest::SerialTest() {
  const std::string& path = dir_.path();
  setEnv("QUORLEX_IPC_NAMESPACE", "qxt-" + path.substr(path.find_last_of("/\\") + 1) + "-");
}

std::vector<std::string> matching(const std::vector<std::string>& lines,
                                  const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

std::vector<std::string> SerialTest::journal(const std::string& prefix) const {
  return matching(dir_.journal(), prefix);
}

void SerialTest::clearJournal() const {
  writeFile(dir_.file("journal.txt"), "");
}

void SerialTest::markJournal(const std::string& text) const {
  std::ofstream out(dir_.file("journal.txt"), std::ios::binary | std::ios::app);
  out << text << "\n";
}

::testing::AssertionResult SerialTest::atMostOneReadBetween(const std::string& mark,
                                                            const std::string& write) const {
  const std::vector<std::string> lines = journal();
  const auto marked = std::find(lines.begin(), lines.end(), mark);
  if (marked == lines.end()) return ::testing::AssertionFailure() << "no line " << mark;
  const auto written = std::find_if(marked, lines.end(),
                                    [&](const std::string& l) { return l.rfind(write, 0) == 0; });
  if (written == lines.end())
    return ::testing::AssertionFailure() << "no " << write << " after " << mark;
  const auto reads = std::count_if(
      marked, written, [](const std::string& l) { return l.rfind("UIQR_readBuffer", 0) == 0; });
  if (reads > 1)
    return ::testing::AssertionFailure()
           << reads << " reads ended between the write's request and its transfer";
  return ::testing::AssertionSuccess();
}

hSerRef SerialTest::open(unsigned serialIndex) {
  hSerRef port = nullptr;
  EXPECT_EQ(clSerialInit(serialIndex, &port), CL_ERR_NO_ERR) << "index " << serialIndex;
  return port;
}

std::vector<int> SerialTest::slots() const {
  bool created = false;
  platform::SharedBlockHandle block = platform::openSharedBlock("clsersharedmem", 32, &created);
  std::vector<int> values;
  if (block != nullptr && !created) {
    const auto* words = static_cast<const std::int32_t*>(platform::sharedBlockView(block));
    values.assign(words, words + 8);
  }
  platform::closeSharedBlock(block);
  return values;
}

void SerialTest::setHWStatus(int board, int status) const {
  auto fn = reinterpret_cast<int (*)(int, int)>(simEntry("corv30sim_setHWStatus"));
  ASSERT_NE(fn, nullptr);
  fn(board, status);
}

void SerialTest::runDesign(int board, const char* design) const {
  auto fn = reinterpret_cast<int (*)(int, const char*)>(simEntry("corv30sim_runDesign"));
  ASSERT_NE(fn, nullptr);
  fn(board, design);
}

void SerialTest::removeBoard(int board) const {
  auto fn = reinterpret_cast<int (*)(int)>(simEntry("corv30sim_removeBoard"));
  ASSERT_NE(fn, nullptr);
  ASSERT_EQ(fn(board), 0);
}

int SerialTest::registerValue(int board, const char* name) const {
  auto fn = reinterpret_cast<int (*)(int, const char*)>(simEntry("corv30sim_registerValue"));
  return fn != nullptr ? fn(board, name) : -12345;
}

}  // namespace qx::test
