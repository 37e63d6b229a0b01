// The shared library exports the API and hides everything else.
#include "exports.h"
#include "testsupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

TEST(Exports, EveryApiNameIsExportedAndNothingInternal) {
  void* lib = dlopen((qx::test::binDir() + "/libpictordyn.so").c_str(), RTLD_NOW);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const auto& [name, ordinal] : qx::test::kPictordynExports)
    EXPECT_NE(dlsym(lib, name), nullptr) << name << " (" << ordinal << ")";
  for (const char* internal : {"px_log", "px_lastError", "_ZN2qx9pictordyn9openTraceEv"})
    EXPECT_EQ(dlsym(lib, internal), nullptr) << internal;
  dlclose(lib);
}

}  // namespace
