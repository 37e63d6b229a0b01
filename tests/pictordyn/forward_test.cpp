// Every forwarded call passes the handle and its arguments unchanged and in
// order, returns the entry's result unchanged and writes its exact line;
// a null handle gets each call's own result and line.
#include "pictordyn_test.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace qt = qx::test;
using qx::test::Recorder;

namespace {

std::string hex(std::uintptr_t v) {
  return qt::tracePointer(reinterpret_cast<void*>(v));
}
std::string hex(const void* p) {
  return qt::tracePointer(p);
}
void* ptr(std::uintptr_t v) {
  return reinterpret_cast<void*>(v);
}
int word(const char* name) {
  return qx::contracts::wordOfEntry(name);
}
void* ptrResult(const char* name) {
  return ptr(0x10000 + 16 * word(name));
}

struct Case {
  const char* name;
  std::function<std::intptr_t(Px_Struct*)> call;
  std::function<std::string(const std::string& H)> entryLine;  // journal
  std::function<std::string(const std::string& H)> traceLine;
  std::intptr_t result;
};

bool endsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::intptr_t P(void* p) {
  return reinterpret_cast<std::intptr_t>(p);
}

std::vector<Case> patternCases() {
  const std::string m = hex(0x4440);  // a memory handle
  const std::string b = hex(0x5550);  // a buffer
  return {
      {"Px_AllocMemEx", [](Px_Struct* h) { return P(Px_AllocMemEx(h, 307200, 4)); },
       [](auto H) { return "Px_AllocMemEx(" + H + ",307200,4)"; },
       [](auto H) {
         return "Px_AllocMemEx(" + H + ",307200,4) : " + hex(ptrResult("Px_AllocMemEx"));
       },
       P(ptrResult("Px_AllocMemEx"))},
      {"Px_AllocMemHead", [](Px_Struct* h) { return P(Px_AllocMemHead(h, 1024, 7)); },
       [](auto H) { return "Px_AllocMemHead(" + H + ",1024,7)"; },
       [](auto H) {
         return "Px_AllocMemHead(" + H + ",1024,7) : " + hex(ptrResult("Px_AllocMemHead"));
       },
       P(ptrResult("Px_AllocMemHead"))},
      {"Px_AddMem", [](Px_Struct* h) { return Px_AddMem(h, ptr(0x4440), 3, 99, ptr(0x5550)); },
       [=](auto H) { return "Px_AddMem(" + H + "," + m + ",3,99," + b + ")"; },
       [=](auto H) { return "Px_AddMem(" + H + "," + m + ",3,99," + b + ") : 1044"; }, 1044},
      {"Px_DelMem", [](Px_Struct* h) { return Px_DelMem(h, ptr(0x4440), -3); },
       [=](auto H) { return "Px_DelMem(" + H + "," + m + ",-3)"; },
       [=](auto H) { return "Px_DelMem(" + H + "," + m + ",-3) : 1045"; }, 1045},
      {"Px_AddDummyBuffer",
       [](Px_Struct* h) { return P(Px_AddDummyBuffer(h, ptr(0x4440), 8, ptr(0x5550))); },
       [=](auto H) { return "Px_AddDummyBuffer(" + H + "," + m + ",8," + b + ")"; },
       [=](auto H) {
         return "Px_AddDummyBuffer(" + H + "," + m + ",8," + b +
                ") : " + hex(ptrResult("Px_AddDummyBuffer"));
       },
       P(ptrResult("Px_AddDummyBuffer"))},
      {"Px_FreeMemHead", [](Px_Struct* h) { return Px_FreeMemHead(h, ptr(0x4440)); },
       [=](auto H) { return "Px_FreeMemHead(" + H + "," + m + ")"; },
       [=](auto H) { return "Px_FreeMemHead(" + H + "," + m + ") : 1047"; }, 1047},
      {"Px_FreeMemEx", [](Px_Struct* h) { return Px_FreeMemEx(h, ptr(0x4440)); },
       [=](auto H) { return "Px_FreeMemEx(" + H + "," + m + ")"; },
       [=](auto H) { return "Px_FreeMemEx(" + H + "," + m + ") : 1027"; }, 1027},
      {"Px_AcquireEx", [](Px_Struct* h) { return Px_AcquireEx(h, 2, 200, 5, ptr(0x4440)); },
       [=](auto H) { return "Px_AcquireEx(" + H + ",2,200,5," + m + ")"; },
       [=](auto H) { return "Px_AcquireEx(" + H + ",2,200,5," + m + ") : 1052"; }, 1052},
      {"Px_stopAcquireEx", [](Px_Struct* h) { return Px_stopAcquireEx(h, 1, ptr(0x4440), 9); },
       [=](auto H) { return "Px_stopAcquireEx(" + H + ",1," + m + ",9)"; },
       [=](auto H) { return "Px_stopAcquireEx(" + H + ",1," + m + ",9) : 1053"; }, 1053},
      {"Px_sendSoftwareTrigger", [](Px_Struct* h) { return Px_sendSoftwareTrigger(h, 1); },
       [](auto H) { return "Px_sendSoftwareTrigger(" + H + ",1)"; },
       [](auto H) { return "Px_sendSoftwareTrigger(" + H + ",1) : 1017"; }, 1017},
      {"Px_getLastPicNumberEx",
       [](Px_Struct* h) { return Px_getLastPicNumberEx(h, 0, ptr(0x4440)); },
       [=](auto H) { return "Px_getLastPicNumberEx(" + H + ",0," + m + ")"; },
       [=](auto H) { return "Px_getLastPicNumberEx(" + H + ",0," + m + ") : 1020"; }, 1020},
      {"Px_getLastPicNumberBlockingEx",
       [](Px_Struct* h) { return Px_getLastPicNumberBlockingEx(h, 17, 1, 250, ptr(0x4440)); },
       [=](auto H) { return "Px_getLastPicNumberBlockingEx(" + H + ",17,1,250," + m + ")"; },
       [=](auto H) { return "Px_getLastPicNumberBlockingEx(" + H + ",17,1,250," + m + ") : 1022"; },
       1022},
      {"Px_getLastPicNumberEventEx",
       [](Px_Struct* h) {
         return Px_getLastPicNumberEventEx(h, 18, 0, 5, ptr(0x4440), ptr(0x5550));
       },
       [=](auto H) { return "Px_getLastPicNumberEventEx(" + H + ",18,0,5," + m + "," + b + ")"; },
       [=](auto H) {
         return "Px_getLastPicNumberEventEx(" + H + ",18,0,5," + m + "," + b + ") : 1023";
       },
       1023},
      {"Px_getImage", [](Px_Struct* h) { return Px_getImage(h, 1, -2, 3, -4); },
       [](auto H) { return "Px_getImage(" + H + ",1,-2,3,-4)"; },
       [](auto H) { return "Px_getImage(" + H + ",1,-2,3,-4) : 1056"; }, 1056},
      {"Px_getImagePtrEx", [](Px_Struct* h) { return P(Px_getImagePtrEx(h, 12, 1, ptr(0x4440))); },
       [=](auto H) { return "Px_getImagePtrEx(" + H + ",12,1," + m + ")"; },
       [=](auto H) {
         return "Px_getImagePtrEx(" + H + ",12,1," + m +
                ") : " + std::to_string(P(ptrResult("Px_getImagePtrEx")));
       },
       P(ptrResult("Px_getImagePtrEx"))},
      {"Px_setActBuffer", [](Px_Struct* h) { return Px_setActBuffer(h, 4, 5); },
       [](auto H) { return "Px_setActBuffer(" + H + ",4,5)"; },
       [](auto H) { return "Px_setActBuffer(" + H + ",4,5): 1024"; }, 1024},
      {"Px_getActBuffer", [](Px_Struct* h) { return Px_getActBuffer(h, 6); },
       [](auto H) { return "Px_getActBuffer(" + H + ",6)"; },
       [](auto H) { return "Px_getActBuffer(" + H + ",6) : 1025"; }, 1025},
      {"Px_swapBuffer", [](Px_Struct* h) { return Px_swapBuffer(h, 7); },
       [](auto H) { return "Px_swapBuffer(" + H + ",7)"; },
       [](auto H) { return "Px_swapBuffer(" + H + ",7) : 1026"; }, 1026},
      {"Px_getStatus", [](Px_Struct* h) { return Px_getStatus(h, 1, 2, 3); },
       [](auto H) { return "Px_getStatus(" + H + ",1,2,3)"; },
       [](auto H) { return "Px_getStatus(" + H + ",1,2,3) : 1048"; }, 1048},
      {"Px_getStatusEx", [](Px_Struct* h) { return Px_getStatusEx(h, 1, 2, 3, ptr(0x5550)); },
       [=](auto H) { return "Px_getStatusEx(" + H + ",1,2,3," + b + ")"; },
       [=](auto H) { return "Px_getStatusEx(" + H + ",1,2,3," + b + ") : 1049"; }, 1049},
      {"Px_setStatus", [](Px_Struct* h) { return Px_setStatus(h, 4, 5, 6); },
       [](auto H) { return "Px_setStatus(" + H + ",4,5,6)"; },
       [](auto H) { return "Px_setStatus(" + H + ",4,5,6) : 1050"; }, 1050},
      {"Px_setStatusEx", [](Px_Struct* h) { return Px_setStatusEx(h, 4, 5, 6, ptr(0x5550)); },
       [=](auto H) { return "Px_setStatusEx(" + H + ",4,5,6," + b + ")"; },
       [=](auto H) { return "Px_setStatusEx(" + H + ",4,5,6," + b + ") : 1051"; }, 1051},
      {"Px_setParameter", [](Px_Struct* h) { return Px_setParameter(h, 100, nullptr, 1); },
       [](auto H) { return "Px_setParameter(" + H + ",100,0,1)"; },
       [](auto H) { return "Px_setParameter(" + H + ",100,0,1) : 1011"; }, 1011},
      {"Px_saveConfig", [](Px_Struct* h) { return Px_saveConfig(h, "cam.cfg"); },
       [](auto H) { return "Px_saveConfig(" + H + ",cam.cfg)"; },
       [](auto H) { return "Px_saveConfig(" + H + ",cam.cfg) : 1014"; }, 1014},
      {"Px_getLoadAppletId", [](Px_Struct* h) { return Px_getLoadAppletId(h); },
       [](auto H) { return "Px_getLoadAppletId(" + H + ")"; },
       [](auto H) { return "Px_getLoadAppletId(" + H + ") : 1008"; }, 1008},
      {"Px_getAppletId", [](Px_Struct* h) { return Px_getAppletId(h, "Acq_Single"); },
       [](auto H) { return "Px_getAppletId(" + H + ",Acq_Single)"; },
       [](auto H) { return "Px_getAppletId(" + H + ",Acq_Single) : 1007"; }, 1007},
      {"Px_getAppletListCount", [](Px_Struct* h) { return Px_getAppletListCount(h); },
       [](auto H) { return "Px_getAppletListCount(" + H + ")"; },
       [](auto H) { return "Px_getAppletListCount(" + H + ") : 1009"; }, 1009},
      {"Px_setClks", [](Px_Struct* h) { return Px_setClks(h, 60, 100); },
       [](auto H) { return "Px_setClks(" + H + ",60,100)"; },
       [](auto H) { return "Px_setClks(" + H + ",60,100): 1010"; }, 1010},
      {"Px_setExsync", [](Px_Struct* h) { return Px_setExsync(h, 1, 0); },
       [](auto H) { return "Px_setExsync(" + H + ",1,0)"; },
       [](auto H) { return "Px_setExsync(" + H + ",1,0) : 1054"; }, 1054},
      {"Px_setFlash", [](Px_Struct* h) { return Px_setFlash(h, 0, 1); },
       [](auto H) { return "Px_setFlash(" + H + ",0,1)"; },
       [](auto H) { return "Px_setFlash(" + H + ",0,1) : 1055"; }, 1055},
      {"Px_getSerialNumber", [](Px_Struct* h) { return Px_getSerialNumber(h); },
       [](auto H) { return "Px_getSerialNumber(" + H + ")"; },
       [](auto H) { return "Px_getSerialNumber(" + H + ") : 1033"; }, 1033},
      {"Px_closeDialog", [](Px_Struct* h) { return Px_closeDialog(h); },
       [](auto H) { return "Px_closeDialog(" + H + ")"; },
       [](auto H) { return "Px_closeDialog(" + H + ") : 1037"; }, 1037},
      {"Px_isOpenDialog", [](Px_Struct* h) { return Px_isOpenDialog(h); },
       [](auto H) { return "Px_isOpenDialog(" + H + ")"; },
       [](auto H) { return "Px_isOpenDialog(" + H + ") : 1038"; }, 1038},
      {"Px_getParameterEx",
       [](Px_Struct* h) { return Px_getParameterEx(h, 300, ptr(0x5550), 1, ptr(0x4440), 16); },
       [=](auto H) { return "Px_getParameterEx(" + H + ",300," + b + ",1," + m + ",16)"; },
       [=](auto H) { return "Px_getParameter(" + H + ",300," + b + ",1," + m + ",16) : 1013"; },
       1013},
      {"Px_configure", [](Px_Struct* h) { return Px_configure(h, 3); },
       [](auto H) { return "Px_configure(" + H + ",3)"; },
       [](auto H) { return "Px_configure(" + H + ",3) : 1004"; }, 1004},
  };
}

TEST(Forwarding, EveryCallPassesArgumentsAndResultThroughAndTracesItsLine) {
  for (const Case& c : patternCases()) {
    Recorder rec;
    ASSERT_NE(rec.h, nullptr);
    EXPECT_EQ(c.call(rec.h), c.result) << c.name;
    EXPECT_EQ(rec.calls(), std::vector<std::string>{c.entryLine(rec.H)}) << c.name;
    EXPECT_EQ(rec.trace(), std::vector<std::string>{"T : " + c.traceLine(rec.H)}) << c.name;
    EXPECT_EQ(getLastErrorNumber(), 0) << c.name;
  }
}

TEST(Forwarding, NullHandleGetsEachCallsResultLineAndStoredError) {
  for (const Case& c : patternCases()) {
    qt::TempDir dir;
    Px_Init(nullptr, 0);
    const std::string name = c.name;
    std::intptr_t expected = PX_ERR_INVALID_HANDLE;
    if (name == "Px_AllocMemEx" || name == "Px_AllocMemHead" || name == "Px_AddDummyBuffer" ||
        name == "Px_getImagePtrEx")
      expected = 0;  // null
    if (name == "Px_AddMem") expected = 0;
    EXPECT_EQ(c.call(nullptr), expected) << name;
    const auto trace = qt::maskedTrace();
    ASSERT_EQ(trace.size(), 3u) << name;
    EXPECT_EQ(trace[2], "T : " + name + ": invalid Px");
    EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE) << name;
  }
}

TEST(Forwarding, EmptyEntryWordIsNeverCalled) {
  // A handle made by the camera initialisation lacks the words it does not
  // fill; a missing export leaves its word empty as well.
  qt::TempDir dir;
  Px_Init(nullptr, 0);
  Px_Struct* h = Px_InitCamera(qt::applet("applet_recorder").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(Px_setClks(h, 1, 2), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_getLastPicNumberEventEx(h, 1, 0, 0, nullptr, nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_addApplet(h, "x", 1, 2, 3), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_AddDummyBuffer(h, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(Px_getBoardPointer(h), nullptr);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{
                "T : Px_Init((null),0)", "T : jjj", "T : Px_setClks: no entry",
                "T : Px_getLastPicNumberEventEx: no entry", "T : Px_addApplet: no entry",
                "T : Px_AddDummyBuffer: no entry", "T : Px_getBoardPointer: no entry",
                "T : getLastErrorNumber() : -120"}));
  EXPECT_EQ(dir.journal().size(), 1u);  // only the initialisation
  Px_FreeGrabber(h);

  Px_Struct* sparse = Px_Init(qt::applet("applet_sparse").c_str(), 0);
  ASSERT_NE(sparse, nullptr);
  EXPECT_EQ(Px_AcquireEx(sparse, 0, 1, 1, nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_STREQ(Px_getAppletname(sparse, 0), "");
  EXPECT_EQ(qt::maskedTrace().back(), "T : Px_getAppletname: no entry");
  Px_FreeGrabber(sparse);
}

TEST(Forwarding, GetImageExTracesTagAndLengthReadForThePicture) {
  Recorder rec;
  EXPECT_EQ(Px_getImageEx(rec.h, 230, 9, 1, 100, ptr(0x4440)), 1057);
  const std::string m = hex(0x4440);
  const auto calls = rec.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], "Px_getImageEx(" + rec.H + ",230,9,1,100," + m + ")");
  // Both variables went in holding the result.
  EXPECT_EQ(calls[1], "Px_getParameter(" + rec.H + ",22000,in=1057,1)");
  EXPECT_EQ(calls[2], "Px_getParameter(" + rec.H + ",5210,in=1057,1)");
  const auto trace = rec.trace();
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[0], "T : Px_getImageEx(" + rec.H + ",230,9,1,100," + m + ") : 1057");
  EXPECT_EQ(trace[1].rfind("T : Px_getParameter(" + rec.H + ",22000,", 0), 0u);
  EXPECT_TRUE(endsWith(trace[1], ",1) : 1012")) << trace[1];
  EXPECT_EQ(trace[2].rfind("T : Px_getParameter(" + rec.H + ",5210,", 0), 0u);
  // What the applet wrote back: parameter + 0x100.
  EXPECT_EQ(trace[3], "T : ImageTag: 0x56f0, Translen 0x155a");
}

TEST(Forwarding, NegativeImageResultIsStillTracedWithItsTagLines) {
  Recorder rec;
  rec.dir.simConfig("rec.Px_getImageEx = -2100\nrec.Px_getParameter = -1\n");
  EXPECT_EQ(Px_getImageEx(rec.h, 230, 1, 0, 0, nullptr), -2100);
  const auto calls = rec.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1], "Px_getParameter(" + rec.H + ",22000,in=-2100,0)");
  EXPECT_EQ(rec.trace().back(), "T : ImageTag: 0x56f0, Translen 0x155a");
  EXPECT_EQ(getLastErrorNumber(), 0);
  EXPECT_EQ(Px_getImageEx(nullptr, 230, 1, 0, 0, nullptr), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(qt::maskedTrace().back(), "T : Px_getImageEx: invalid Px");
}

TEST(Forwarding, CallsThatDifferFromThePattern) {
  Recorder rec;
  Px_loadConfig(rec.h, "a.cfg");
  EXPECT_STREQ(Px_getAppletname(rec.h, 2), "recorded applet");
  EXPECT_EQ(Px_addApplet(rec.h, "Acq", 1, 2, 3), 1005);
  EXPECT_EQ(Px_getBoardPointer(rec.h), ptrResult("Px_getBoardPointer"));
  EXPECT_EQ(rec.trace(),
            (std::vector<std::string>{"T : Px_loadConfig start",
                                      "T : Px_loadConfig(" + rec.H + ",a.cfg) : 1015",
                                      "T : Px_getAppletname(" + rec.H + ",2) : recorded applet",
                                      "T : Px_addApplet(" + rec.H + ",Acq,1,2,3) : 1005"}));
  EXPECT_EQ(rec.calls().back(), "Px_getBoardPointer(" + rec.H + ")");
}

TEST(Forwarding, NullHandleForTheCallsThatDiffer) {
  qt::TempDir dir;
  Px_Init(nullptr, 0);
  EXPECT_EQ(Px_loadConfig(nullptr, "a.cfg"), PX_ERR_INVALID_HANDLE);
  const char* name = Px_getAppletname(nullptr, 0);
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(Px_addApplet(nullptr, "Acq", 1, 2, 3), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_configure(nullptr, 1), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(Px_doDialog(nullptr, 1, 2, 3, PxDialogBlock{}), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE);
  EXPECT_EQ(qt::maskedTrace(),
            (std::vector<std::string>{
                "T : Px_Init((null),0)", "T : jjj", "T : Px_loadConfig: invalid Px",
                "T : Px_getAppletname: invalid Px", "T : Px_addApplet(0,Acq,1,2,3) : -2001",
                "T : Px_configure: invalid Px", "T : Px_doDialog: invalid Px",
                "T : getLastErrorNumber() : -2001"}));
}

TEST(Forwarding, EveryNullHandleCallStoresItsOwnError) {
  // Each call is preceded by a call that stores another number, so a call
  // that stopped storing -2001 cannot hide behind the one before it.
  qt::TempDir dir;
  Px_Init(nullptr, 0);
  const std::vector<std::pair<const char*, std::function<void()>>> calls = {
      {"Px_loadConfig", [] { Px_loadConfig(nullptr, "a.cfg"); }},
      {"Px_getAppletname", [] { Px_getAppletname(nullptr, 0); }},
      {"Px_addApplet", [] { Px_addApplet(nullptr, "Acq", 1, 2, 3); }},
      {"Px_configure", [] { Px_configure(nullptr, 1); }},
      {"Px_doDialog", [] { Px_doDialog(nullptr, 1, 2, 3, PxDialogBlock{}); }},
  };
  for (const auto& [name, call] : calls) {
    // A library that cannot be loaded stores -120 and writes no line.
    EXPECT_EQ(Px_InitCamera(qt::libraryFile("no_such_applet").c_str(), 0), nullptr);
    ASSERT_EQ(getLastErrorNumber(), PX_ERR_DLL_NOT_LOADED) << name;
    call();
    EXPECT_EQ(getLastErrorNumber(), PX_ERR_INVALID_HANDLE) << name;
  }
}

TEST(Forwarding, BoardPointerOfANullHandleWritesAndStoresNothing) {
  qt::TempDir dir;
  Px_Init(nullptr, 0);
  EXPECT_EQ(Px_getBoardPointer(nullptr), nullptr);
  EXPECT_EQ(qt::maskedTrace().size(), 2u);
  EXPECT_EQ(getLastErrorNumber(), 0);
}

TEST(Forwarding, DialogBlockArrivesWordForWord) {
  Recorder rec;
  PxDialogBlock block;
  for (int i = 0; i < 10; ++i) block.word[i] = (i + 1) * 1111 - (i == 9 ? 20000 : 0);
  EXPECT_EQ(Px_doDialog(rec.h, 7, 8, 9, block), 1036);
  EXPECT_EQ(rec.calls(), std::vector<std::string>{"Px_doDialog(" + rec.H +
                                                  ",7,8,9,[ 1111 2222 3333 4444 5555 6666 7777 "
                                                  "8888 9999 -8890 ])"});
  EXPECT_EQ(rec.trace(),
            std::vector<std::string>{"T : Px_doDialog(" + rec.H + ",7,8,9,457) : 1036"});
  EXPECT_EQ(block.word[0], 1111);  // the caller's block is the caller's
}

}  // namespace
