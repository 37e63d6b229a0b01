// Opening a grabber: which entry makes the record, which words are filled,
// what the applet is told and what a failure leaves behind.
#include "pictordyn_test.h"

#include <cstring>

namespace qt = qx::test;
using qx::contracts::kFilledByInit;
using qx::contracts::kFilledByInitCamera;
using qx::contracts::kPxWords;
using qx::contracts::WordKind;

namespace {

std::string size() {
  return std::to_string(sizeof(Px_Struct));
}

// Every entry word that `filler` fills holds the library's export of that
// name (null where it has none); every other entry word is left alone.
void expectEntryWords(const Px_Struct* h, const qt::AppletLibrary& lib, unsigned filler,
                      void* untouched) {
  for (const auto& w : kPxWords) {
    if (w.kind != WordKind::Entry) continue;
    void* expected = (w.filledBy & filler) ? lib.entry(w.name) : untouched;
    EXPECT_EQ(h->word[w.word], expected) << w.name;
  }
}

TEST(PxStruct, HasSeventyThreePointerWidthWordsAndTheAppletIsToldItsSize) {
  EXPECT_EQ(sizeof(Px_Struct), 73 * sizeof(void*));
  if (sizeof(void*) == 4) {
    EXPECT_EQ(sizeof(Px_Struct), 292u);
  }
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(dir.journal().at(0), "applet_local: Px_InitLocal(0," + size() + ",0)");
  Px_FreeGrabber(h);
}

TEST(PxInit, LocalEntryRecordGetsEveryInitWord) {
  qt::TempDir dir;
  qt::AppletLibrary lib("applet_local");
  Px_Struct* h = Px_Init(qt::applet("applet_local").c_str(), 3);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(getLastErrorNumber(), 0);
  EXPECT_EQ(h->word[PX_WORD_INIT_LOCAL], lib.entry("Px_InitLocal"));
  EXPECT_EQ(h->word[PX_WORD_MODULE], lib.handle());
  EXPECT_EQ(h->word[PX_WORD_MEMORY_PORT0], nullptr);
  EXPECT_EQ(h->word[PX_WORD_MEMORY_PORT1], nullptr);
  // Words that this initialisation does not fill keep the applet's content.
  for (int word : {PX_WORD_APPLET_HANDLE, PX_WORD_INITIALISE_CAMERA, 28, 41})
    EXPECT_EQ(h->word[word], qt::kMarker) << word;
  expectEntryWords(h, lib, kFilledByInit, qt::kMarker);
  EXPECT_EQ(dir.journal().at(0), "applet_local: Px_InitLocal(3," + size() + ",0)");
  Px_FreeGrabber(h);
}

TEST(PxInit, CameraEntryRecordIsMadeHereWithTheAppletHandleInWordZero) {
  qt::TempDir dir;
  qt::AppletLibrary lib("applet_camera");
  Px_Struct* h = Px_Init(qt::applet("applet_camera").c_str(), 1);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(h->word[PX_WORD_APPLET_HANDLE], nullptr);
  EXPECT_EQ(h->word[PX_WORD_INITIALISE_CAMERA], lib.entry("Px_InitialiseCamera"));
  EXPECT_EQ(h->word[PX_WORD_INIT_LOCAL], nullptr);
  EXPECT_EQ(h->word[PX_WORD_MODULE], lib.handle());
  expectEntryWords(h, lib, kFilledByInit, nullptr);
  EXPECT_EQ(dir.journal().at(0), "applet_camera: Px_InitialiseCamera(1," + size() + ",0)");
  Px_FreeGrabber(h);
}

TEST(PxInit, PrefersTheExCameraEntryWithZeroExtraButRecordsThePlainOne) {
  qt::TempDir dir;
  qt::AppletLibrary lib("applet_camera_ex");
  Px_Struct* h = Px_Init(qt::applet("applet_camera_ex").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->word[PX_WORD_INITIALISE_CAMERA], lib.entry("Px_InitialiseCamera"));
  EXPECT_EQ(
      qt::withPrefix("applet_camera_ex: Px_Init", dir.journal()),
      std::vector<std::string>{"applet_camera_ex: Px_InitialiseCameraEx(0," + size() + ",0,0)"});
  Px_FreeGrabber(h);
}

TEST(PxInit, TellsTheAppletItsNameWithoutExtensionBeforeInitialising) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_named").c_str(), 0);
  ASSERT_NE(h, nullptr);
  const auto journal = dir.journal();
  ASSERT_GE(journal.size(), 2u);
  EXPECT_EQ(journal[0], "applet_named: setAppletName(applet_named)");
  EXPECT_EQ(journal[1].rfind("applet_named: Px_InitLocal(", 0), 0u);
  Px_FreeGrabber(h);
}

TEST(PxInit, FullPathIsLoadedDirectlyAndNamedWithoutExtension) {
  qt::TempDir dir;
  const std::string path = qt::binDir() + qt::pathSeparator() + "applet_named";
  Px_Struct* h = Px_Init(qt::applet(path).c_str(), 0);
  ASSERT_NE(h, nullptr);
  const auto journal = dir.journal();
  EXPECT_EQ(journal.at(0), "applet_named: setAppletName(" + path + ")");
  // The board runtime was not needed.
  EXPECT_TRUE(qt::withPrefix("initialize_multiquorlex", journal).empty());
  Px_FreeGrabber(h);
}

TEST(PxInit, LibraryWithMissingEntriesStillOpensWithNullWords) {
  qt::TempDir dir;
  qt::AppletLibrary lib("applet_sparse");
  Px_Struct* h = Px_Init(qt::applet("applet_sparse").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->word[qx::contracts::wordOfEntry("Px_AllocMem")], nullptr);
  EXPECT_EQ(h->word[qx::contracts::wordOfEntry("Px_getErrorDescription")], nullptr);
  EXPECT_NE(h->word[qx::contracts::wordOfEntry("Px_FreeGrabber")], nullptr);
  expectEntryWords(h, lib, kFilledByInit, qt::kMarker);
  Px_FreeGrabber(h);
}

TEST(PxInit, PositiveAppletStatusGoesWithSuccessAndIsKept) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_warning").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(getLastErrorNumber(), 7);
  Px_FreeGrabber(h);
}

TEST(PxInit, SuccessClearsAnEarlierError) {
  qt::TempDir dir;
  EXPECT_EQ(Px_Init(qt::applet("no_such_applet").c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  Px_Struct* h = Px_Init(qt::applet("applet_local").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(getLastErrorNumber(), 0);
  Px_FreeGrabber(h);
}

TEST(PxInit, NullNameAndBoardOutsideZeroToTenFailWithoutTouchingTheError) {
  qt::TempDir dir;
  EXPECT_EQ(Px_Init(qt::applet("no_such_applet").c_str(), 0), nullptr);
  ASSERT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);

  EXPECT_EQ(Px_Init(qt::applet("applet_local").c_str(), 11), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{"T : Px_Init(" + qt::applet("applet_local") + ",11)",
                                      "T : jjj", "T : getLastErrorNumber() : -120"}));

  EXPECT_EQ(Px_Init(qt::applet("applet_local").c_str(), -1), nullptr);
  EXPECT_EQ(Px_Init(nullptr, 0), nullptr);
  EXPECT_EQ(qt::maskedTrace(), (std::vector<std::string>{"T : Px_Init((null),0)", "T : jjj"}));
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  // Boards 0 and 10 are both valid.
  for (int board : {0, 10}) {
    Px_Struct* h = Px_Init(qt::applet("applet_local").c_str(), board);
    EXPECT_NE(h, nullptr) << board;
    Px_FreeGrabber(h);
  }
  EXPECT_TRUE(qt::withPrefix("applet_local: Px_InitLocal(11", dir.journal()).empty());
}

TEST(PxInit, NoBoardStatusFailsAndReleasesTheLibrary) {
  qt::TempDir dir;
  EXPECT_EQ(Px_Init(qt::applet("applet_noboard").c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_NO_BOARD);
  EXPECT_STREQ(Px_getLastErrorDescription(nullptr), "no quorlexboard available");
  EXPECT_FALSE(qt::isLoaded(qt::applet("applet_noboard")));
}

TEST(PxInit, NegativeStatusOfACameraEntryFailsAndFreesTheRecord) {
  // The record this library allocated is freed (the leak checker of the
  // sanitizer build would report it otherwise) and the library released.
  qt::TempDir dir;
  EXPECT_EQ(Px_Init(qt::applet("applet_failing").c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_NO_VALID_DESIGN);
  EXPECT_FALSE(qt::isLoaded(qt::applet("applet_failing")));
}

TEST(PxInit, EntryThatReturnsNullFailsWithItsStatus) {
  qt::TempDir dir;
  for (const char* base : {"applet_null_local", "applet_null_camera"}) {
    EXPECT_EQ(Px_Init(qt::applet(base).c_str(), 0), nullptr) << base;
    EXPECT_EQ(getLastErrorNumber(), 0) << base;
    EXPECT_FALSE(qt::isLoaded(qt::applet(base))) << base;
  }
}

TEST(PxInit, LibraryWithoutInitialisationEntryIsRefused) {
  qt::TempDir dir;
  for (const char* base : {"applet_noinit", "applet_only_ex"}) {
    EXPECT_EQ(Px_Init(qt::applet(base).c_str(), 0), nullptr) << base;
    EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED) << base;
    EXPECT_FALSE(qt::isLoaded(qt::applet(base))) << base;
  }
  EXPECT_TRUE(dir.journal().empty());
}

TEST(PxInit, NameThatDoesNotFitItsBufferIsRefusedUncut) {
  qt::TempDir dir;
  // A name whose first 255 characters would name a loadable library.
  std::string name = qt::binDir() + qt::pathSeparator() + qt::applet("applet_local");
  name += std::string(1, qt::pathSeparator()) + std::string(300 - name.size(), 'x');
  EXPECT_EQ(Px_Init(name.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_TRUE(dir.journal().empty());
}

TEST(PxInitCamera, FillsOnlyTheCameraWordsAndWritesNoTrace) {
  qt::TempDir dir;
  qt::AppletLibrary lib("applet_local");
  Px_Struct* h = Px_InitCamera(qt::applet("applet_local").c_str(), 2);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(getLastErrorNumber(), 0);
  expectEntryWords(h, lib, kFilledByInitCamera, qt::kMarker);
  for (int word : {3, 5, 9, 10, 23, 39, 40, 46, 68}) EXPECT_EQ(h->word[word], qt::kMarker);
  for (int word : {PX_WORD_APPLET_HANDLE, PX_WORD_INIT_LOCAL, PX_WORD_INITIALISE_CAMERA})
    EXPECT_EQ(h->word[word], qt::kMarker) << word;
  EXPECT_EQ(h->word[PX_WORD_MODULE], lib.handle());
  EXPECT_EQ(h->word[PX_WORD_MEMORY_PORT0], nullptr);
  EXPECT_EQ(Px_FreeGrabber(h), 3);
  EXPECT_FALSE(qt::fileExists("pictor.log"));
}

TEST(PxInitCamera, UsesThePlainCameraEntryAndNeverNamesTheApplet) {
  qt::TempDir dir;
  Px_Struct* h = Px_InitCamera(qt::applet("applet_camera_ex").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(h->word[PX_WORD_APPLET_HANDLE], nullptr);
  EXPECT_EQ(h->word[PX_WORD_INITIALISE_CAMERA], nullptr);
  EXPECT_EQ(dir.journal().at(0), "applet_camera_ex: Px_InitialiseCamera(0," + size() + ",0)");
  Px_FreeGrabber(h);

  Px_Struct* named = Px_InitCamera(qt::applet("applet_named").c_str(), 0);
  ASSERT_NE(named, nullptr);
  EXPECT_TRUE(qt::withPrefix("applet_named: setAppletName", dir.journal()).empty());
  Px_FreeGrabber(named);
}

TEST(PxInitCamera, NullFromTheCameraEntryFails) {
  qt::TempDir dir;
  EXPECT_EQ(Px_InitCamera(qt::applet("applet_null_camera").c_str(), 0), nullptr);
  EXPECT_FALSE(qt::isLoaded(qt::applet("applet_null_camera")));
  EXPECT_EQ(Px_InitCamera(qt::applet("applet_noboard").c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_NO_BOARD);
}

}  // namespace
