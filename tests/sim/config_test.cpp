// Configuration files: written by Px_saveConfig, read by Px_loadConfig.
#include "acqsim_fixture.h"

namespace qx::test {
namespace {

class AcqSimConfig : public AcqSim {
 protected:
  int save(const std::string& name) {
    return entry<PxSaveConfigFn>("Px_saveConfig")(px_, dir_.file(name).c_str());
  }
  int load(const std::string& name) {
    return entry<PxLoadConfigFn>("Px_loadConfig")(px_, dir_.file(name).c_str());
  }
};

TEST_F(AcqSimConfig, SavedFileNamesTheAppletAndLoadsIntoAnotherHandle) {
  open("acq.maker = Test Maker\nacq.type = TestType\nacq.version = 2.5\n");
  ASSERT_EQ(set(ACQSIM_PARAM_WIDTH, 800, 1), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_FORMAT, 24, 1), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_RATE, 25, 0), 0);
  ASSERT_EQ(set(ACQSIM_PARAM_TRIGGER_MODE, ACQSIM_TRIGGER_SOFTWARE, 0), 0);
  ASSERT_EQ(entry<PxSetExsyncFn>("Px_setExsync")(px_, 1, 7), 0);
  ASSERT_EQ(save("a.cfg"), 0);
  const std::string text = readFile(dir_.file("a.cfg"));
  EXPECT_NE(text.find("Hersteller=\"Test Maker\";"), std::string::npos) << text;
  EXPECT_NE(text.find("Typ=\"TestType\";"), std::string::npos) << text;
  EXPECT_NE(text.find("Version=\"2.5\";"), std::string::npos) << text;

  open("acq.maker = Test Maker\nacq.type = TestType\nacq.version = 2.5\n");
  EXPECT_EQ(get(ACQSIM_PARAM_WIDTH, 1), 640);
  ASSERT_EQ(load("a.cfg"), 0);
  EXPECT_EQ(get(ACQSIM_PARAM_WIDTH, 1), 800);
  EXPECT_EQ(get(ACQSIM_PARAM_FORMAT, 1), 24);
  EXPECT_EQ(get(ACQSIM_PARAM_WIDTH, 0), 640);
  EXPECT_EQ(get(ACQSIM_PARAM_RATE, 0), 25);
  EXPECT_EQ(get(ACQSIM_PARAM_TRIGGER_MODE, 0), ACQSIM_TRIGGER_SOFTWARE);
  EXPECT_EQ(get(ACQSIM_PARAM_EXSYNC, 1), 7);
}

TEST_F(AcqSimConfig, MissingOrMalformedFilesAreRefusedAndChangeNothing) {
  EXPECT_EQ(load("absent.cfg"), ACQSIM_ERR_CONFIG_FILE);
  EXPECT_EQ(entry<PxLoadConfigFn>("Px_loadConfig")(px_, nullptr), ACQSIM_ERR_CONFIG_FILE);
  const std::string identity = "Hersteller=\"M\";\nTyp=\"T\";\nVersion=\"1\";\n";
  const struct {
    const char* name;
    std::string text;
  } bad[] = {
      {"no-type.cfg", "Hersteller=\"M\";\nVersion=\"1\";\nPort0.Width=\"320\";\n"},
      {"no-semicolon.cfg", identity + "Port0.Width=\"320\"\n"},
      {"no-equals.cfg", identity + "Port0.Width;\n"},
      {"bad-number.cfg", identity + "Port0.Width=\"32O\";\n"},
      {"out-of-range.cfg", identity + "Port0.Width=\"320\";\nPort1.Format=\"12\";\n"},
      {"empty.cfg", ""},
  };
  for (const auto& b : bad) {
    writeFile(dir_.file(b.name), b.text);
    EXPECT_EQ(load(b.name), ACQSIM_ERR_CONFIG_FILE) << b.name;
    EXPECT_EQ(get(ACQSIM_PARAM_WIDTH, 0), 640) << b.name;
  }
  EXPECT_EQ(lastError(), ACQSIM_ERR_CONFIG_FILE);
  // Unknown keys are passed over, and unquoted values are read as well.
  writeFile(dir_.file("good.cfg"), identity + "Comment=\"x\";\nPort0.Height=300;\n");
  EXPECT_EQ(load("good.cfg"), 0);
  EXPECT_EQ(get(ACQSIM_PARAM_HEIGHT, 0), 300);
}

TEST_F(AcqSimConfig, LoadingWhileAcquiringAndSavingToAnUnwritablePlaceFail) {
  ASSERT_EQ(save("a.cfg"), 0);
  void* memory = allocMem(640 * 480, 2);
  ASSERT_EQ(acquire(0, 0, ACQSIM_MODE_SOFTWARE_TRIGGER, memory), 0);
  EXPECT_EQ(load("a.cfg"), ACQSIM_ERR_BUSY);
  EXPECT_EQ(save("no-such-folder/a.cfg"), ACQSIM_ERR_FILE);
  EXPECT_EQ(entry<PxSaveConfigFn>("Px_saveConfig")(px_, nullptr), ACQSIM_ERR_ARGUMENT);
}

}  // namespace
}  // namespace qx::test
