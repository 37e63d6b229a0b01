// Releasing a grabber: the applet is told, its library unloaded, and the
// record freed by whichever side allocated it.
#include "pictordyn_test.h"

namespace qt = qx::test;

namespace {

using AppletFree = int (*)(Px_Struct*);

TEST(PxFreeGrabber, NullHandleIsRefused) {
  qt::TempDir dir;
  Px_Init(nullptr, 0);  // opens the trace
  EXPECT_EQ(Px_FreeGrabber(nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(qt::maskedTrace().at(2), "T : Px_FreeGrabber: invalid Px");
}

TEST(PxFreeGrabber, ClearsDefaultMemoriesTellsTheAppletAndUnloadsIt) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(h, nullptr);
  int dummy = 0;
  h->word[PX_WORD_MEMORY_PORT0] = &dummy;
  h->word[PX_WORD_MEMORY_PORT1] = &dummy;
  const std::string pointer = qt::tracePointer(h);
  EXPECT_EQ(Px_FreeGrabber(h), 3);  // the applet's result, passed back
  EXPECT_EQ(dir.journal().back(), "applet_local: Px_FreeGrabber(null,null)");
  EXPECT_EQ(qt::maskedTrace().back(), "T : Px_FreeGrabber(" + pointer + ") : 3");
  EXPECT_FALSE(qt::isLoaded(qt::applet("applet_local")));
}

TEST(PxFreeGrabber, HandlesOfBothOwnersCanBeOpenAtOnce) {
  // Each record is freed by its owner only, whatever was initialised last:
  // a double free or a leak shows in the sanitizer build.
  for (bool cameraFirst : {true, false}) {
    qt::TempDir dir;
    Px_Struct* camera = nullptr;
    Px_Struct* local = nullptr;
    if (cameraFirst) {
      camera = Px_Init(qt::applet("applet_camera").c_str(), 0);
      local = Px_Init(qt::applet("applet_local").c_str(), 1);
    } else {
      local = Px_Init(qt::applet("applet_local").c_str(), 1);
      camera = Px_InitCamera(qt::applet("applet_camera").c_str(), 0);
    }
    ASSERT_NE(camera, nullptr);
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(Px_FreeGrabber(camera), 3);
    EXPECT_EQ(Px_FreeGrabber(local), 3);
    EXPECT_FALSE(qt::isLoaded(qt::applet("applet_camera")));
    EXPECT_FALSE(qt::isLoaded(qt::applet("applet_local")));
  }
}

TEST(PxFreeGrabber, WithoutTheAppletsEntryStillReleasesLibraryAndRecord) {
  qt::TempDir dir;
  qt::AppletLibrary lib("applet_local");  // keeps the applet's code in reach
  Px_Struct* h = Px_Init(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(h, nullptr);
  const int word = qx::contracts::wordOfEntry("Px_FreeGrabber");
  auto appletFree = reinterpret_cast<AppletFree>(h->word[word]);
  h->word[word] = nullptr;
  EXPECT_EQ(Px_FreeGrabber(h), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  const auto trace = qt::maskedTrace();
  EXPECT_EQ(trace.at(2), "T : Px_FreeGrabber: no entry");
  EXPECT_EQ(trace.at(3), "T : Px_FreeGrabber(" + qt::tracePointer(h) + ") : -2001");
  EXPECT_TRUE(qt::withPrefix("applet_local: Px_FreeGrabber", dir.journal()).empty());
  appletFree(h);  // the applet's record is the applet's to free
}

}  // namespace
