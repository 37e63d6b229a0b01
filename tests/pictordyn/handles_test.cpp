// Which handles a call accepts: a released or never-opened handle is refused
// like a null one, and a handle made by the camera initialisation offers only
// the words that initialisation filled, whatever the applet's record held.
#include "pictordyn_test.h"

namespace qt = qx::test;

namespace {

TEST(Handles, CameraInitialisationOfALocalRecordLeavesItsOtherWordsEmpty) {
  // The applet's record is full of a marker; calling one of those words
  // would jump into it.
  qt::TempDir dir;
  Px_Init(nullptr, 0);  // opens the trace
  Px_Struct* h = Px_InitCamera(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(Px_addApplet(h, "x", 1, 2, 3), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_getAppletListCount(h), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_setClks(h, 1, 2), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_getLastPicNumberEventEx(h, 1, 0, 0, nullptr, nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_AddDummyBuffer(h, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(Px_getBoardPointer(h), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{
                "T : Px_Init((null),0)", "T : jjj", "T : Px_addApplet: no entry",
                "T : Px_getAppletListCount: no entry", "T : Px_setClks: no entry",
                "T : Px_getLastPicNumberEventEx: no entry", "T : Px_AddDummyBuffer: no entry",
                "T : Px_getBoardPointer: no entry", "T : getLastErrorNumber() : -120"}));
  // The words it does fill still work.
  EXPECT_EQ(Px_setExsync(h, 1, 2), 0);
  EXPECT_EQ(dir.journal().back(), "applet_local: Px_setExsync");
  EXPECT_EQ(Px_FreeGrabber(h), 3);
}

// Every kind of call, made with a handle that is not open.
void expectRefusedLikeNull(Px_Struct* stale) {
  EXPECT_EQ(Px_AcquireEx(stale, 0, 1, 1, nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_AllocMemEx(stale, 16, 1), nullptr);
  EXPECT_EQ(Px_getImageEx(stale, 230, 1, 0, 0, nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_addApplet(stale, "x", 1, 2, 3), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_getLastErrorNumber(stale), PX_ERR_INVALID_HANDLE);
  EXPECT_STREQ(Px_getErrorDescription(stale, -20), "px-struct is not initialized");
  EXPECT_EQ(Px_Acquire(stale, 0, 1), PX_ERR_INVALID_PORT);
  EXPECT_EQ(Px_AllocMem(stale, 16, 1, 0), nullptr);
  EXPECT_EQ(Px_getImagePtr(stale, 1, 0), nullptr);
  EXPECT_EQ(Px_getBoardPointer(stale), nullptr);
  EXPECT_EQ(Px_FreeGrabber(stale), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE);
}

TEST(Handles, ReleasedHandlesOfBothKindsAreRefusedLikeNull) {
  for (const char* base : {"applet_local", "applet_camera"}) {
    qt::TempDir dir;
    Px_Struct* h = Px_Init(qt::applet(base).c_str(), 0);
    ASSERT_NE(h, nullptr) << base;
    Px_Struct* other = Px_Init(qt::applet(base).c_str(), 1);  // stays open
    ASSERT_NE(other, nullptr) << base;
    const std::string H = qt::tracePointer(h);
    EXPECT_EQ(Px_FreeGrabber(h), 3) << base;
    const std::size_t before = dir.journal().size();
    const std::size_t traced = qt::maskedTrace().size();

    expectRefusedLikeNull(h);
    // Nothing reached the applet; the lines are those of a null handle.
    EXPECT_EQ(dir.journal().size(), before) << base;
    const auto trace = qt::maskedTrace();
    EXPECT_EQ(std::vector<std::string>(trace.begin() + static_cast<long>(traced),
                                       trace.begin() + static_cast<long>(traced) + 5),
              (std::vector<std::string>{
                  "T : Px_AcquireEx: invalid Px", "T : Px_AllocMemEx: invalid Px",
                  "T : Px_getImageEx: invalid Px", "T : Px_addApplet(" + H + ",x,1,2,3) : -2001",
                  "T : Px_getLastErrorNumber(" + H + ")"}))
        << base;
    EXPECT_EQ(qt::withPrefix("T : Px_FreeGrabber", trace).back(), "T : Px_FreeGrabber: invalid Px");

    // The handle still open is untouched by all this.
    EXPECT_EQ(Px_setExsync(other, 1, 2), 0) << base;
    EXPECT_EQ(Px_FreeGrabber(other), 3) << base;
  }
}

TEST(Handles, ARecordThatNoInitialisationMadeIsRefused) {
  qt::TempDir dir;
  Px_Init(nullptr, 0);
  // Looks like a handle whose words all point at a real entry.
  qt::AppletLibrary lib("applet_local");
  Px_Struct forged;
  for (void*& w : forged.word) w = lib.entry("Px_setExsync");
  expectRefusedLikeNull(&forged);
  EXPECT_TRUE(dir.journal().empty());
}

TEST(Handles, ManyHandlesOpenAndReleasedInTurnStayApart) {
  // More handles than the first table holds, released in another order.
  qt::TempDir dir;
  std::vector<Px_Struct*> open;
  for (int i = 0; i < 40; ++i) {
    Px_Struct* h = Px_InitCamera(qt::applet(i % 2 ? "applet_camera" : "applet_local").c_str(), 0);
    ASSERT_NE(h, nullptr) << i;
    open.push_back(h);
  }
  for (std::size_t i = 0; i < open.size(); i += 2) EXPECT_EQ(Px_FreeGrabber(open[i]), 3) << i;
  for (std::size_t i = 0; i < open.size(); ++i)
    EXPECT_EQ(Px_setExsync(open[i], 1, 2), i % 2 ? 0 : PX_ERR_INVALID_HANDLE) << i;
  for (std::size_t i = 1; i < open.size(); i += 2) EXPECT_EQ(Px_FreeGrabber(open[i]), 3) << i;
  for (Px_Struct* h : open) EXPECT_EQ(Px_FreeGrabber(h), PX_ERR_INVALID_HANDLE);
}

TEST(Handles, PictureNumbersWithoutTheParameterEntryLeaveTheLastErrorAlone) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_no_get_parameter").c_str(), 0);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(getLastErrorNumber(), 0);
  const std::string H = qt::tracePointer(h);
  EXPECT_EQ(Px_getImageEx(h, 230, 4, 1, 0, nullptr), 0);
  EXPECT_EQ(Px_getLastPicNumber(h, 0), 0);
  EXPECT_EQ(Px_getLastPicNumberBlocking(h, 2, 0, 10), 0);
  EXPECT_EQ(getLastErrorNumber(), 0);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{
                "T : Px_Init(" + qt::applet("applet_no_get_parameter") + ",0)", "T : jjj",
                "T : getLastErrorNumber() : 0", "T : Px_getImageEx(" + H + ",230,4,1,0,0) : 0",
                "T : ImageTag: 0x0, Translen 0x0", "T : Px_getLastPicNumber(" + H + ",0)",
                "T : Px_getImageEx(" + H + ",230,1,0,0,0) : 0", "T : ImageTag: 0x0, Translen 0x0",
                "T : Px_getLastPicNumberBlocking(" + H + ",2,0,10)",
                "T : Px_getImageEx(" + H + ",230,2,0,10,0) : 0", "T : ImageTag: 0x0, Translen 0x0",
                "T : getLastErrorNumber() : 0"}));
  Px_FreeGrabber(h);
}

}  // namespace
