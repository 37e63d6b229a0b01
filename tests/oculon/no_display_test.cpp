// Creation that cannot make a window: "ERR" and the failure result, and
// nothing of the display left behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <quorlex/oculon.h>
#include "capture_stderr.h"
#include "testsupport.h"

namespace qx::test {
namespace {

TEST(NoDisplay, CreationFailsWithErrOnStandardError) {
  const char* display = std::getenv("DISPLAY");
  const bool hadDisplay = display != nullptr;
  const std::string saved = hadDisplay ? display : "";
  unsetEnv("DISPLAY");
  StderrCapture capture;
  EXPECT_EQ(CreateDisplay(8, 200, 150), -1);
  EXPECT_EQ(CreateDisplayEx(24, 200, 150, OculonWindow{}), -1);
  const std::string text = capture.finish();
  EXPECT_EQ(text, "ERR\nERR\n");
  EXPECT_FALSE(GetWindowHandle(0));
  EXPECT_EQ(CloseDisplay(0), -1);
  // The other tests of this program may run in the same process.
  if (hadDisplay) setEnv("DISPLAY", saved);
}

}  // namespace
}  // namespace qx::test
