// Opening a grabber from a configuration file: the applet whose maker and
// type match is searched in the board's applet folder.
#include "pictordyn_test.h"

namespace qt = qx::test;

namespace {

const std::string kMaker = "Corvane GmbH";
const std::string kType = "Acq_SingleAreaGray";

std::string config(const std::string& maker, const std::string& type,
                   const std::string& version = "3.1") {
  return "[Applet]\nVersion=\"" + version + "\";\nTyp=\"" + type + "\";\nHersteller=\"" + maker +
         "\";\n";
}

// A temporary installation: the registry names it, and its applet folder for
// the standard board holds copies of the given applets.
struct Installation {
  qt::TempDir dir;
  std::string folder = dir.file("qx_grab3");
  std::string cfg = dir.file("camera.cfg");

  Installation() {
    qt::setRegistryDllPath(dir.path(), dir);
    qt::makeDir(folder);
  }
  std::string add(const std::string& base, const std::string& as) const {
    const std::string target = folder + qt::pathSeparator() + qt::applet(as);
    EXPECT_TRUE(qt::copyFile(qt::binDir() + qt::pathSeparator() + qt::applet(base), target));
    return target;
  }
  // The path the search forms for a library of this folder.
  std::string found(const std::string& as) const {
    return folder + qt::pathSeparator() + qt::pathSeparator() + qt::applet(as);
  }
};

TEST(InitConfig, OpensTheMatchingAppletAndLoadsTheConfigurationIntoIt) {
  Installation inst;
  inst.add("applet_info_other", "a_other");
  inst.add("applet_info_gray", "b_gray");
  qt::writeFile(inst.cfg, config(kMaker, kType));
  Px_Struct* h = Px_InitConfig(inst.cfg.c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(getLastErrorNumber(), 0);
  const std::string H = qt::tracePointer(h);
  // The Px_Init of the found library started the trace anew.
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{
                "T : Px_Init(" + inst.found("b_gray") + ",0)", "T : jjj",
                "T : Px_Init(" + inst.found("b_gray") + ",0) Succeed", "T : Px_loadConfig start",
                "T : Px_loadConfig(" + H + "," + inst.cfg + ") : 0",
                "T : Px_loadConfig(px," + inst.cfg + ") Succeed", "T : getLastErrorNumber() : 0"}));
  EXPECT_EQ(qt::withPrefix("applet_info_gray: Px_", inst.dir.journal()),
            (std::vector<std::string>{
                "applet_info_gray: Px_InitLocal(0," + std::to_string(sizeof(Px_Struct)) + ",0)",
                "applet_info_gray: Px_loadConfig"}));
  Px_FreeGrabber(h);
}

TEST(InitConfig, PrefersTheTeskVariantOfTheType) {
  Installation inst;
  inst.add("applet_info_gray", "a_gray");
  inst.add("applet_info_gray_tesk", "b_gray_tesk");
  qt::writeFile(inst.cfg, config(kMaker, kType));
  Px_Struct* h = Px_InitConfig(inst.cfg.c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(qt::maskedTrace().front(), "T : Px_Init(" + inst.found("b_gray_tesk") + ",0)");
  EXPECT_FALSE(qt::withPrefix("applet_info_gray_tesk: Px_InitLocal", inst.dir.journal()).empty());
  EXPECT_TRUE(qt::withPrefix("applet_info_gray: Px_InitLocal", inst.dir.journal()).empty());
  Px_FreeGrabber(h);
}

TEST(InitConfig, NoMatchingAppletFailsNamingThePlainType) {
  Installation inst;
  inst.add("applet_info_other", "a_other");
  qt::writeFile(inst.cfg, config(kMaker, kType));
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  const std::string dirText = inst.folder + qt::pathSeparator();
  EXPECT_EQ(
      qt::maskedTrace(),
      (std::vector<std::string>{"T : Px_InitConfig(" + inst.cfg + ",0)", "T : Hersteller found",
                                "T : Typ found", "T : Version found", "T : dll_path = " + dirText,
                                "T : Error search_dll(" + dirText + "," + inst.found("a_other") +
                                    "," + kMaker + "," + kType + ") Failed",
                                "T : getLastErrorNumber() : -120"}));
}

TEST(InitConfig, ExaminesNoMoreThanSixtyFourLibraries) {
  Installation inst;
  qt::writeFile(inst.cfg, config(kMaker, kType));
  // 64 files that are no libraries come first in the folder.
  for (int i = 0; i < 64; ++i) {
    const std::string name = (i < 10 ? "a0" : "a") + std::to_string(i);
    qt::writeFile(inst.folder + qt::pathSeparator() + qt::applet(name), "not a library");
  }
  inst.add("applet_info_gray", "z_gray");
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_TRUE(qt::withPrefix("applet_info_gray", inst.dir.journal()).empty());

  ASSERT_TRUE(qt::removeFile(inst.folder + qt::pathSeparator() + qt::applet("a00")));
  Px_Struct* h = Px_InitConfig(inst.cfg.c_str(), 0);
  EXPECT_NE(h, nullptr);
  Px_FreeGrabber(h);
}

TEST(InitConfig, ReadOnlyConfigurationOpensLikeAnyOther) {
  Installation inst;
  inst.add("applet_info_gray", "gray");
  qt::writeFile(inst.cfg, config(kMaker, kType));
  qt::makeReadOnly(inst.cfg);
  Px_Struct* h = Px_InitConfig(inst.cfg.c_str(), 0);
  EXPECT_NE(h, nullptr);
  Px_FreeGrabber(h);
}

TEST(InitConfig, MissingKeyOrEmptyVersionIsAnInvalidConfigFile) {
  Installation inst;
  inst.add("applet_info_gray", "gray");
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"Typ=\"T\";Version=\"1\";", {"T : Error FindInFile: Hersteller not found"}},
      {"Hersteller=\"M\";Version=\"1\";",
       {"T : Hersteller found", "T : Error FindInFile: Typ not found"}},
      {"Hersteller=\"M\";Typ=\"T\";",
       {"T : Hersteller found", "T : Typ found", "T : Error FindInFile: Version not found"}},
      {"Hersteller=\"M\";Typ=\"T\";Version=\"\";",
       {"T : Hersteller found", "T : Typ found", "T : Version found",
        "T : Error strlen(version)==0"}},
  };
  for (const Case& c : cases) {
    qt::writeFile(inst.cfg, c.text);
    EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr) << c.text;
    EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_CONFIG_FILE) << c.text;
    std::vector<std::string> expected = {"T : Px_InitConfig(" + inst.cfg + ",0)"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    expected.push_back("T : getLastErrorNumber() : -5000");
    EXPECT_EQ(qt::maskedTrace(), expected) << c.text;
  }
  EXPECT_STREQ(Px_getLastErrorDescription(nullptr), "invalid config file");
  // A missing file holds no key either.
  EXPECT_EQ(Px_InitConfig(inst.dir.file("missing.cfg").c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_CONFIG_FILE);
  EXPECT_TRUE(qt::withPrefix("applet_", inst.dir.journal()).empty());
}

TEST(InitConfig, NullNameOrBoardOutOfRangeLeaveTheErrorAlone) {
  qt::TempDir dir;
  EXPECT_EQ(Px_InitConfig(nullptr, 0), nullptr);
  EXPECT_EQ(qt::maskedTrace(), (std::vector<std::string>{"T : Px_InitConfig((null),0)",
                                                         "T : Error Config_Name is Null"}));
  EXPECT_EQ(Px_InitConfig("x.cfg", 11), nullptr);
  EXPECT_EQ(Px_InitConfig("x.cfg", -1), nullptr);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{"T : Px_InitConfig(x.cfg,-1)",
                                      "T : Error NumberOfqxBoard must be between 0 and 10"}));
  EXPECT_EQ(getLastErrorNumber(), 0);
}

TEST(InitConfig, UnknownAppletFolderIsNotSearched) {
  Installation inst;
  qt::writeFile(inst.cfg, config(kMaker, kType));
  inst.add("applet_info_gray", "gray");
  qt::setRegistryDllPath(std::nullopt, inst.dir);
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  auto trace = qt::maskedTrace();
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[4], "T : dll_path = ");
  EXPECT_EQ(trace[5], "T : Error search_dll(,," + kMaker + "," + kType + ") Failed");
  // Nothing was loaded, not even to ask who made it.
  EXPECT_TRUE(qt::withPrefix("applet_", inst.dir.journal()).empty());

  // An unknown board type is no folder either.
  qt::setRegistryDllPath(inst.dir.path(), inst.dir);
  inst.dir.simConfig("board0.type = 77\n");
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr);
  EXPECT_EQ(qt::maskedTrace()[4], "T : dll_path = ");
  EXPECT_TRUE(qt::withPrefix("applet_", inst.dir.journal()).empty());
}

TEST(InitConfig, FailedConfigurationLoadReleasesTheGrabber) {
  Installation inst;
  inst.add("applet_info_badload", "bad");
  qt::writeFile(inst.cfg, config(kMaker, "Acq_BadLoad"));
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_CONFIGURATION);
  const auto trace = qt::maskedTrace();
  EXPECT_EQ(trace[trace.size() - 3], "T : Error Px_loadConfig(px," + inst.cfg + ") Failed");
  EXPECT_EQ(trace[trace.size() - 2].rfind("T : Px_FreeGrabber(", 0), 0u);
  EXPECT_EQ(inst.dir.journal().back().rfind("applet_info_badload: Px_FreeGrabber", 0), 0u);
  EXPECT_FALSE(qt::isLoaded(qt::applet("bad")));
}

TEST(InitConfig, AnAppletThatCannotLoadAConfigurationFailsAsMissingItsEntry) {
  Installation inst;
  inst.add("applet_info_sparse", "sparse");
  qt::writeFile(inst.cfg, config(kMaker, "Acq_Sparse"));
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  const auto trace = qt::maskedTrace();
  ASSERT_GE(trace.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(trace.end() - 5, trace.end() - 2),
            (std::vector<std::string>{"T : Px_Init(" + inst.found("sparse") + ",0) Succeed",
                                      "T : Px_loadConfig: no entry",
                                      "T : Error Px_loadConfig(px," + inst.cfg + ") Failed"}));
  EXPECT_FALSE(qt::isLoaded(qt::applet("sparse")));
}

TEST(InitConfig, LongInfoAnswersAreComparedByTheirFirstSixtyThreeCharacters) {
  Installation inst;
  inst.add("applet_info_gray", "gray");
  // Far longer than the 64 bytes an answer was once given.
  const std::string maker = std::string(60, 'M') + std::string(140, 'x');
  const std::string type = std::string(63, 'T') + "U";
  inst.dir.simConfig("applet_info_gray.maker = " + maker + "\napplet_info_gray.type = " + type +
                     "\n");
  qt::writeFile(inst.cfg, config(maker, type));
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr) << "the whole answer never counts";

  qt::writeFile(inst.cfg, config(maker.substr(0, 63), type.substr(0, 63)));
  Px_Struct* h = Px_InitConfig(inst.cfg.c_str(), 0);
  ASSERT_NE(h, nullptr);
  Px_FreeGrabber(h);
}

TEST(InitConfig, FailedInitialisationOfTheFoundAppletKeepsItsError) {
  Installation inst;
  inst.add("applet_info_noboard", "noboard");
  qt::writeFile(inst.cfg, config(kMaker, "Acq_NoBoard"));
  EXPECT_EQ(Px_InitConfig(inst.cfg.c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_NO_BOARD);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{"T : Px_Init(" + inst.found("noboard") + ",0)", "T : jjj",
                                      "T : Error Px_Init(" + inst.found("noboard") + ",0) Failed",
                                      "T : getLastErrorNumber() : -20"}));
}

}  // namespace

namespace {

TEST(InitConfig, ConfigurationSavedByAnAppletOpensAgain) {
  Installation inst;
  inst.add("applet_acqsim", "acqsim");
  Px_Struct* first = Px_Init(qt::applet("applet_acqsim").c_str(), 0);
  ASSERT_NE(first, nullptr);
  int width = 512;
  ASSERT_EQ(Px_setParameter(first, 6100, &width, 0), 0);
  ASSERT_EQ(Px_saveConfig(first, inst.cfg.c_str()), 0);
  Px_FreeGrabber(first);

  Px_Struct* again = Px_InitConfig(inst.cfg.c_str(), 0);
  ASSERT_NE(again, nullptr) << Px_getLastErrorDescription(nullptr);
  int read = 0;
  EXPECT_EQ(Px_getParameter(again, 6100, &read, 0), 0);
  EXPECT_EQ(read, 512);  // the configuration was loaded into the new grabber
  EXPECT_EQ(qt::maskedTrace()[0], "T : Px_Init(" + inst.found("acqsim") + ",0)");
  Px_FreeGrabber(again);
}

}  // namespace
