// An owner window that does not exist: the window cannot be made, creation
// reports it and fails, and the slot and number stay free.
#include "display_fixture.h"
#include "error_report.h"

namespace qx::test {
namespace {

using BadOwnerTest = DisplayTest;

TEST_F(BadOwnerTest, CreationFailsWithErrAndLeavesNothingBehind) {
  const OculonWindow owner = makeOwnerWindow(100, 100);
  destroyOwnerWindow(owner);
  ErrorReport report;
  EXPECT_EQ(CreateDisplayEx(8, 200, 150, owner), -1);
  EXPECT_EQ(report.finish(), 1);
  EXPECT_FALSE(GetWindowHandle(0));
  ASSERT_EQ(CreateDisplay(8, 200, 150), 0);
  EXPECT_EQ(titleOf(GetWindowHandle(0)), "Framegrabber Display 0");
}

}  // namespace
}  // namespace qx::test
