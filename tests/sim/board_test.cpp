// Initialisation, identity, errors and the entries with stored values.
#include "acqsim_fixture.h"

#include <cstring>
#include <string>

namespace qx::test {
namespace {

TEST_F(AcqSim, BoardsBeyondTheConfiguredCountAreRefusedWithNoBoard) {
  dir_.simConfig("boards = 2\nacq.serial = 500\n");
  auto init = entry<PxInitLocalFn>("Px_InitLocal");
  int status = 0;
  EXPECT_EQ(init(2, static_cast<int>(sizeof(Px_Struct)), &status), nullptr);
  EXPECT_EQ(status, -20);
  EXPECT_EQ(init(-1, static_cast<int>(sizeof(Px_Struct)), &status), nullptr);
  EXPECT_EQ(status, -20);
  status = 5;
  Px_Struct* second = init(1, static_cast<int>(sizeof(Px_Struct)), &status);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(status, 0);
  for (void* word : second->word) EXPECT_EQ(word, nullptr);  // the caller fills them
  EXPECT_EQ(entry<PxGetSerialNumberFn>("Px_getSerialNumber")(second), 501);
  EXPECT_EQ(entry<PxAppletFreeGrabberFn>("Px_FreeGrabber")(second), 0);
}

TEST_F(AcqSim, InfoAnswersMakerAndTypeInAtMost63Characters) {
  auto info = entry<AppletInfoFn>("Info");
  char text[80];
  std::memset(text, 'x', sizeof text);
  ASSERT_EQ(info(0x200, 0, 0, text, 0), 0);
  EXPECT_STREQ(text, "Quorlex Simulation");
  ASSERT_EQ(info(0x300, 0, 0, text, 0), 0);
  EXPECT_STREQ(text, "AcqSim");
  dir_.simConfig("acq.type = " + std::string(70, 'T') + "\n");
  std::memset(text, 'x', sizeof text);
  ASSERT_EQ(info(0x300, 0, 0, text, 0), 0);
  EXPECT_EQ(std::string(text), std::string(63, 'T'));
  EXPECT_LT(info(0x400, 0, 0, text, 0), 0);
}

TEST_F(AcqSim, ErrorsArePerHandleWithTexts) {
  auto description = entry<PxGetLastErrorDescriptionFn>("Px_getLastErrorDescription");
  auto describe = entry<PxGetErrorDescriptionFn>("Px_getErrorDescription");
  EXPECT_EQ(lastError(), 0);
  EXPECT_STREQ(description(px_), "no error");
  int status = 0;
  Px_Struct* other =
      entry<PxInitLocalFn>("Px_InitLocal")(0, static_cast<int>(sizeof(Px_Struct)), &status);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(set(ACQSIM_PARAM_WIDTH, 1, 0), ACQSIM_ERR_VALUE);
  EXPECT_EQ(lastError(), ACQSIM_ERR_VALUE);
  EXPECT_STREQ(description(px_), "parameter value out of range");
  EXPECT_EQ(entry<PxGetLastErrorNumberFn>("Px_getLastErrorNumber")(other), 0);
  // A later success keeps the last failure.
  EXPECT_EQ(set(ACQSIM_PARAM_WIDTH, 100, 0), 0);
  EXPECT_EQ(lastError(), ACQSIM_ERR_VALUE);
  EXPECT_STREQ(describe(px_, ACQSIM_ERR_TIMEOUT), "time-out");
  EXPECT_STREQ(describe(px_, ACQSIM_ERR_CONFIG_FILE), "invalid config file");
  EXPECT_STREQ(describe(px_, 42), "unknown error");
  EXPECT_EQ(entry<PxAppletFreeGrabberFn>("Px_FreeGrabber")(other), 0);
}

TEST_F(AcqSim, ForeignOrNullHandlesAreRefused) {
  EXPECT_EQ(entry<PxGetLastErrorNumberFn>("Px_getLastErrorNumber")(nullptr),
            ACQSIM_ERR_INVALID_HANDLE);
  EXPECT_EQ(entry<PxAllocMemExFn>("Px_AllocMemEx")(nullptr, 64, 2), nullptr);
  EXPECT_EQ(entry<PxGetAppletnameFn>("Px_getAppletname")(nullptr, 0), std::string());
  EXPECT_EQ(entry<PxAppletFreeGrabberFn>("Px_FreeGrabber")(nullptr), ACQSIM_ERR_INVALID_HANDLE);
  // A Px_Struct with nothing behind it that is the simulator's.
  auto* block = new unsigned char[sizeof(Px_Struct) + 64]();
  EXPECT_EQ(entry<PxGetSerialNumberFn>("Px_getSerialNumber")(reinterpret_cast<Px_Struct*>(block)),
            ACQSIM_ERR_INVALID_HANDLE);
  delete[] block;
}

TEST_F(AcqSim, AppletListStartsWithTheNameGivenBeforeInitialisation) {
  close();
  ASSERT_EQ(entry<SetAppletNameFn>("setAppletName")("/opt/applets/MyApplet"), 0);
  open("");
  auto name = entry<PxGetAppletnameFn>("Px_getAppletname");
  auto count = entry<PxGetAppletListCountFn>("Px_getAppletListCount");
  auto add = entry<PxAddAppletFn>("Px_addApplet");
  auto id = entry<PxGetAppletIdFn>("Px_getAppletId");
  auto configure = entry<PxConfigureFn>("Px_configure");
  auto loaded = entry<PxGetLoadAppletIdFn>("Px_getLoadAppletId");
  EXPECT_STREQ(name(px_, 0), "/opt/applets/MyApplet");
  EXPECT_EQ(count(px_), 1);
  EXPECT_EQ(add(px_, "Second", 0, 0, 0), 1);
  EXPECT_EQ(add(px_, "Second", 0, 0, 0), 1);  // already listed
  EXPECT_EQ(count(px_), 2);
  EXPECT_EQ(id(px_, "Second"), 1);
  EXPECT_EQ(id(px_, "Third"), ACQSIM_ERR_ARGUMENT);
  EXPECT_STREQ(name(px_, 2), "");
  EXPECT_EQ(loaded(px_), 0);
  EXPECT_EQ(configure(px_, 1), 0);
  EXPECT_EQ(loaded(px_), 1);
  EXPECT_EQ(configure(px_, 2), ACQSIM_ERR_ARGUMENT);
  EXPECT_EQ(loaded(px_), 1);
}

TEST_F(AcqSim, OutputsStatusWordsBuffersAndDialogKeepTheirValues) {
  EXPECT_EQ(entry<PxSetClksFn>("Px_setClks")(px_, 0, 66), 0);
  EXPECT_EQ(entry<PxSetFlashFn>("Px_setFlash")(px_, 1, -3), 0);
  EXPECT_EQ(entry<PxSetExsyncFn>("Px_setExsync")(px_, 2, 1), ACQSIM_ERR_PORT);
  EXPECT_EQ(get(ACQSIM_PARAM_CLOCK, 0), 66);
  EXPECT_EQ(get(ACQSIM_PARAM_FLASH, 1), -3);
  EXPECT_EQ(get(ACQSIM_PARAM_FLASH, 0), 0);

  EXPECT_EQ(entry<PxSetStatusFn>("Px_setStatus")(px_, 5, 1234, 1), 0);
  EXPECT_EQ(entry<PxSetStatusExFn>("Px_setStatusEx")(px_, 6, 77, 0, nullptr), 0);
  EXPECT_EQ(entry<PxGetStatusFn>("Px_getStatus")(px_, 5, 0, 1), 1234);
  EXPECT_EQ(entry<PxGetStatusFn>("Px_getStatus")(px_, 5, 0, 0), 0);
  int word = 0;
  EXPECT_EQ(entry<PxGetStatusExFn>("Px_getStatusEx")(px_, 6, 0, 0, &word), 77);
  EXPECT_EQ(word, 77);

  EXPECT_EQ(entry<PxSetActBufferFn>("Px_setActBuffer")(px_, 1, 0), 0);
  EXPECT_EQ(entry<PxSwapBufferFn>("Px_swapBuffer")(px_, 1), 1);
  EXPECT_EQ(entry<PxGetActBufferFn>("Px_getActBuffer")(px_, 1), 1);
  EXPECT_EQ(entry<PxGetActBufferFn>("Px_getActBuffer")(px_, 0), 0);

  PxDialogBlock block{};
  for (int i = 0; i < 10; ++i) block.word[i] = 100 + i;
  EXPECT_EQ(entry<PxIsOpenDialogFn>("Px_isOpenDialog")(px_), 0);
  EXPECT_EQ(entry<PxDoDialogFn>("Px_doDialog")(px_, 1, 2, 3, block), 0);
  EXPECT_EQ(entry<PxIsOpenDialogFn>("Px_isOpenDialog")(px_), 1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(get(ACQSIM_PARAM_DIALOG_WORD, 0, i), 100 + i);
  EXPECT_EQ(get(ACQSIM_PARAM_DIALOG_WORD, 0, 10), ACQSIM_ERR_VALUE);
  EXPECT_EQ(entry<PxCloseDialogFn>("Px_closeDialog")(px_), 0);
  EXPECT_EQ(entry<PxIsOpenDialogFn>("Px_isOpenDialog")(px_), 0);

  EXPECT_EQ(entry<PxGetSerialNumberFn>("Px_getSerialNumber")(px_), 100001);
  EXPECT_NE(entry<PxGetBoardPointerFn>("Px_getBoardPointer")(px_), nullptr);
}

TEST_F(AcqSim, SerialLineLoopsBackAndShadingIsKept) {
  auto send = entry<int (*)(Px_Struct*, int, const char*, int)>("Px_SerialSend");
  auto receive = entry<int (*)(Px_Struct*, int, char*, int)>("Px_SerialReceive");
  EXPECT_EQ(send(px_, 1, "hello", 5), 5);
  char text[8] = {};
  EXPECT_EQ(receive(px_, 0, text, 8), 0);
  EXPECT_EQ(receive(px_, 1, text, 3), 3);
  EXPECT_EQ(std::string(text, 3), "hel");
  EXPECT_EQ(receive(px_, 1, text, 8), 2);
  EXPECT_EQ(std::string(text, 2), "lo");

  auto alloc = entry<void* (*)(Px_Struct*, int)>("Px_AllocShading");
  auto setSub = entry<int (*)(Px_Struct*, void*, int, int)>("Shad_SetSubValueLine");
  auto access = entry<int (*)(Px_Struct*, void*)>("Shad_GetAccess");
  auto maxLine = entry<int (*)(Px_Struct*, void*)>("Shad_GetMaxLine");
  auto writeLine = entry<int (*)(Px_Struct*, void*, int)>("Shad_WriteActLine");
  auto release = entry<int (*)(Px_Struct*, void*)>("Px_FreeShading");
  void* shading = alloc(px_, 0);
  ASSERT_NE(shading, nullptr);
  EXPECT_EQ(setSub(px_, shading, 3, 9), ACQSIM_ERR_BUSY);  // access first
  EXPECT_EQ(access(px_, shading), 0);
  EXPECT_EQ(setSub(px_, shading, 3, 9), 0);
  EXPECT_EQ(maxLine(px_, shading), 480);
  EXPECT_EQ(writeLine(px_, shading, 480), ACQSIM_ERR_VALUE);
  EXPECT_EQ(writeLine(px_, shading, 479), 0);
  EXPECT_EQ(release(px_, shading), 0);
  EXPECT_EQ(release(px_, shading), ACQSIM_ERR_ARGUMENT);
}

}  // namespace
}  // namespace qx::test
