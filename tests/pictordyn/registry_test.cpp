// Finding an applet library in the applet folder of the board's type when it
// cannot be loaded by the name given.
#include "pictordyn_test.h"

namespace qt = qx::test;

namespace {

// Puts a copy of a built applet into <dir>/<folder>/<name>.
void installApplet(const qt::TempDir& dir, const std::string& folder, const std::string& base,
                   const std::string& name) {
  qt::makeDir(dir.file(folder));
  ASSERT_TRUE(qt::copyFile(qt::binDir() + qt::pathSeparator() + qt::applet(base),
                           dir.file(folder) + qt::pathSeparator() + name));
}

const std::string kMoved = qt::applet("moved_applet");

TEST(AppletFolder, StandardBoardLoadsFromQxGrab3) {
  qt::TempDir dir;
  qt::setRegistryDllPath(dir.path(), dir);
  installApplet(dir, "qx_grab3", "applet_local", kMoved);
  installApplet(dir, "qx_grab3tesk", "applet_camera", kMoved);
  Px_Struct* h = Px_Init(kMoved.c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(dir.journal(),
            (std::vector<std::string>{
                "initialize_multiquorlex(0)", "GetBoardType(0) = 163", "free_quorlex(0)",
                "applet_local: Px_InitLocal(0," + std::to_string(sizeof(Px_Struct)) + ",0)"}));
  Px_FreeGrabber(h);
}

TEST(AppletFolder, TeskBoardLoadsFromQxGrab3tesk) {
  qt::TempDir dir;
  dir.simConfig("boards = 3\nboard2.type = 2609\n");
  qt::setRegistryDllPath(dir.path(), dir);
  installApplet(dir, "qx_grab3", "applet_local", kMoved);
  installApplet(dir, "qx_grab3tesk", "applet_camera", kMoved);
  Px_Struct* h = Px_Init(kMoved.c_str(), 2);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(qt::withPrefix("applet_", dir.journal()),
            (std::vector<std::string>{"applet_camera: Px_InitialiseCamera(2," +
                                      std::to_string(sizeof(Px_Struct)) + ",0)"}));
  Px_FreeGrabber(h);
}

TEST(AppletFolder, UnknownBoardTypeMissingBoardOrPathLoadNothing) {
  qt::TempDir dir;
  installApplet(dir, "qx_grab3", "applet_local", kMoved);

  qt::setRegistryDllPath(std::nullopt, dir);
  EXPECT_EQ(Px_Init(kMoved.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_TRUE(dir.journal().empty()) << "no board is opened without an installation folder";

  qt::setRegistryDllPath(dir.path(), dir);
  dir.simConfig("boards = 2\nboard1.type = 999\n");
  EXPECT_EQ(Px_Init(kMoved.c_str(), 1), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(Px_Init(kMoved.c_str(), 2), nullptr);  // no such board
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(dir.journal(),
            (std::vector<std::string>{"initialize_multiquorlex(1)", "GetBoardType(1) = 999",
                                      "free_quorlex(1)", "initialize_multiquorlex(2) = null"}));
}

TEST(AppletFolder, InstallationFolderLongerThan127CharactersIsRefused) {
  qt::TempDir dir;
  std::string folder = dir.path();
  folder += std::string(1, qt::pathSeparator()) + std::string(128 - folder.size() - 1, 'd');
  ASSERT_EQ(folder.size(), 128u);
  ASSERT_TRUE(qt::makeDir(folder));
  qt::setRegistryDllPath(folder, dir);
  EXPECT_EQ(Px_Init(kMoved.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_TRUE(dir.journal().empty());
}

TEST(AppletFolder, FormedPathThatDoesNotFitIsNotCutIntoAnotherName) {
  qt::TempDir dir;
  qt::setRegistryDllPath(dir.path(), dir);
  // The first 255 characters of the formed path would name an installed
  // applet; the whole path names nothing.
  const std::string prefix = dir.path() + qt::pathSeparator() + "qx_grab3" + qt::pathSeparator();
  std::string name = kMoved;
  name.append(255 - prefix.size() - name.size(), 'x');
  installApplet(dir, "qx_grab3", "applet_local", name);
  name += "yy";
  EXPECT_EQ(Px_Init(name.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_TRUE(qt::withPrefix("applet_local", dir.journal()).empty());
}

}  // namespace
