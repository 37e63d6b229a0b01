// The library's own last error, its texts, and the applet's error state for
// a valid handle.
#include "pictordyn_test.h"

#include <utility>

namespace qt = qx::test;

namespace {

TEST(Errors, FreshProcessHasNoErrorAndUnknownNumbersHaveNoText) {
  EXPECT_EQ(getLastErrorNumber(), 0);
  for (int n : {0, 1, -1, -2070, -2000, -5001, -121})
    EXPECT_STREQ(getErrorDescription(n), "Invalid Error") << n;
}

TEST(Errors, EveryOwnNumberHasItsText) {
  const std::pair<int, const char*> table[] = {
      {PX_ERR_NO_BOARD, "no quorlexboard available"},
      {PX_ERR_HAP_NOT_LOADED, "hap-file not load"},
      {PX_ERR_BOARD_NOT_INITIALISED, "quorlex is not initialized!"},
      {PX_ERR_DLL_NOT_LOADED, "framegrabber-dll not load"},
      {PX_ERR_INVALID_HANDLE, "px-struct is not initialized"},
      {PX_ERR_MEMORY_WRITE, "can not write memory, configuration failed"},
      {PX_ERR_NO_VALID_DESIGN, "no valid Design"},
      {PX_ERR_CONFIGURATION, "configuration failed"},
      {PX_ERR_RECONFIGURATION, "reconfiguration failed"},
      {PX_ERR_LOAD_DESIGN, "cannot load design"},
      {PX_ERR_INVALID_CONFIG_FILE, "invalid config file"},
  };
  for (const auto& [number, text] : table) EXPECT_STREQ(getErrorDescription(number), text);
}

TEST(Errors, NullHandleQueryTurnsAnUnsetErrorIntoInvalidHandleForGood) {
  qt::TempDir dir;
  Px_Init(nullptr, 0);  // opens the trace, leaves the error alone
  EXPECT_EQ(Px_getLastErrorNumber(nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{
                "T : Px_Init((null),0)", "T : jjj", "T : Px_getLastErrorNumber(0)",
                "T : getLastErrorNumber() : -2001", "T : getLastErrorNumber() : -2001"}));
}

TEST(Errors, NullHandleDescriptionKeepsAStoredError) {
  qt::TempDir dir;
  EXPECT_EQ(Px_Init(qt::applet("no_such_applet").c_str(), 0), nullptr);
  EXPECT_STREQ(Px_getLastErrorDescription(nullptr), "framegrabber-dll not load");
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(qt::maskedTrace().at(2), "T : Px_getLastErrorDescription(0)");
}

TEST(Errors, NullHandleDescriptionOfANumberIsAlwaysInvalidHandle) {
  qt::TempDir dir;
  Px_Init(nullptr, 0);
  EXPECT_STREQ(Px_getErrorDescription(nullptr, PX_ERR_NO_BOARD), "px-struct is not initialized");
  EXPECT_EQ(getLastErrorNumber(), 0);
  EXPECT_EQ(qt::maskedTrace().at(2), "T : Px_getErrorDescription(0,-20)");
}

TEST(Errors, NullHandleReleaseOverwritesAnEarlierError) {
  qt::TempDir dir;
  EXPECT_EQ(Px_Init(qt::applet("no_such_applet").c_str(), 0), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  Px_FreeGrabber(nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE);
}

TEST(Errors, ValidHandleAsksTheAppletAndLeavesTheOwnErrorAlone) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_warning").c_str(), 0);
  ASSERT_NE(h, nullptr);
  const std::string p = qt::tracePointer(h);
  EXPECT_EQ(Px_getLastErrorNumber(h), -777);
  EXPECT_STREQ(Px_getLastErrorDescription(h), "applet: last error");
  EXPECT_STREQ(Px_getErrorDescription(h, -5), "applet: described");
  EXPECT_EQ(getLastErrorNumber(), 7);
  const auto trace = qt::maskedTrace();
  EXPECT_EQ(std::vector<std::string>(trace.begin() + 2, trace.begin() + 5),
            (std::vector<std::string>{"T : Px_getLastErrorNumber(" + p + ")",
                                      "T : Px_getLastErrorDescription(" + p + ")",
                                      "T : Px_getErrorDescription(" + p + ",-5)"}));
  EXPECT_EQ(qt::withPrefix("applet_warning: Px_get", dir.journal()),
            (std::vector<std::string>{"applet_warning: Px_getLastErrorNumber",
                                      "applet_warning: Px_getLastErrorDescription",
                                      "applet_warning: Px_getErrorDescription(-5)"}));
  Px_FreeGrabber(h);
}

TEST(Errors, MissingAppletEntryIsNeverCalled) {
  qt::TempDir dir;
  Px_Struct* h = Px_Init(qt::applet("applet_sparse").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_STREQ(Px_getErrorDescription(h, -20), "px-struct is not initialized");
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(qt::maskedTrace().at(3), "T : Px_getErrorDescription: no entry");
  Px_FreeGrabber(h);
}

}  // namespace
