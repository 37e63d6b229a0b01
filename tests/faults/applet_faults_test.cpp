// An applet library that cannot be loaded: Px_Init fails with the
// documented error and nothing stays loaded.
#include <gtest/gtest.h>

#include <string>

#include <quorlex/pictordyn.h>
#include "testsupport.h"

namespace {

// A truncated library is left out: the Linux loader itself dies of
// SIGBUS mapping it, before any of our code can refuse it.
TEST(AppletFaults, FileThatIsNoLibraryIsRefused) {
  qx::test::TempDir dir;
  const std::string notLibrary = dir.file(qx::test::libraryFile("applet_text"));
  qx::test::writeFile(notLibrary, "this is no library\n");
  EXPECT_EQ(Px_Init(notLibrary.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_FALSE(qx::test::isLoaded(notLibrary));
}

// A file that loads as a library but offers no way to create a grabber is
// given back at once. The copy has a name of its own, so no other test can
// be holding it.
TEST(AppletFaults, LibraryThatIsNoAppletIsRefusedAndReleased) {
  qx::test::TempDir dir;
  const std::string copy = dir.file(qx::test::libraryFile("applet_stranger"));
  ASSERT_TRUE(qx::test::copyFile(
      qx::test::binDir() + qx::test::pathSeparator() + qx::test::libraryFile("applet_noinit"),
      copy));
  EXPECT_EQ(Px_Init(copy.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_FALSE(qx::test::isLoaded(copy));
}

}  // namespace
