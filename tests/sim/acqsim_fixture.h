// Drives the acquisition applet simulator through its entries, as the
// grabber library does: the library loaded by name, a record from
// Px_InitLocal, every other entry resolved by name.
#pragma once

#include "acqsim.h"
#include "applet.h"
#include "applet_entries.h"
#include "platform/library.h"
#include "px_struct.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <string>

namespace qx::test {

class AcqSim : public ::testing::Test {
 protected:
  // Tests that need another configuration write it and call open() again.
  void SetUp() override {
    library_ =
        platform::loadLibrary((binDir() + pathSeparator() + libraryFile("applet_acqsim")).c_str());
    ASSERT_NE(library_, nullptr);
    open("");
  }
  void TearDown() override {
    close();
    platform::releaseLibrary(library_);
  }

  void open(const std::string& config) {
    close();
    dir_.simConfig(config);
    int status = 1;
    px_ = entry<PxInitLocalFn>("Px_InitLocal")(0, static_cast<int>(sizeof(Px_Struct)), &status);
    ASSERT_NE(px_, nullptr);
    ASSERT_EQ(status, 0);
  }
  void close() {
    if (px_ != nullptr) {
      EXPECT_EQ(entry<PxAppletFreeGrabberFn>("Px_FreeGrabber")(px_), 0);
    }
    px_ = nullptr;
  }

  template <typename Fn>
  Fn entry(const char* name) const {
    auto fn = reinterpret_cast<Fn>(platform::resolveSymbol(library_, name));
    EXPECT_NE(fn, nullptr) << name;
    return fn;
  }

  // Shorthands for the entries most tests use.
  void* allocMem(int size, int count) {
    return entry<PxAllocMemExFn>("Px_AllocMemEx")(px_, size, count);
  }
  int freeMem(void* memory) { return entry<PxFreeMemExFn>("Px_FreeMemEx")(px_, memory); }
  int acquire(int port, int count, int mode, void* memory) {
    return entry<PxAcquireExFn>("Px_AcquireEx")(px_, port, count, mode, memory);
  }
  int stop(int port) { return entry<PxStopAcquireExFn>("Px_stopAcquireEx")(px_, port, nullptr, 0); }
  int trigger(int port) {
    return entry<PxSendSoftwareTriggerFn>("Px_sendSoftwareTrigger")(px_, port);
  }
  int wait(int picture, int port, int timeoutMs, void* memory = nullptr) {
    return entry<PxGetLastPicNumberBlockingExFn>("Px_getLastPicNumberBlockingEx")(
        px_, picture, port, timeoutMs, memory);
  }
  int last(int port, void* memory = nullptr) {
    return entry<PxGetLastPicNumberExFn>("Px_getLastPicNumberEx")(px_, port, memory);
  }
  const unsigned char* picture(int n, int port, void* memory) {
    return static_cast<const unsigned char*>(
        entry<PxGetImagePtrExFn>("Px_getImagePtrEx")(px_, n, port, memory));
  }
  int set(int parameter, int value, int port = 0) {
    return entry<PxSetParameterFn>("Px_setParameter")(px_, parameter, &value, port);
  }
  // The value, or the error number when the read fails.
  int get(int parameter, int port = 0, int preload = 0) {
    int value = preload;
    const int result = entry<PxGetParameterFn>("Px_getParameter")(px_, parameter, &value, port);
    return result < 0 ? result : value;
  }
  int lastError() { return entry<PxGetLastErrorNumberFn>("Px_getLastErrorNumber")(px_); }

  TempDir dir_;
  platform::LibraryHandle library_ = nullptr;
  Px_Struct* px_ = nullptr;
};

inline int stampOf(const unsigned char* p) {
  return static_cast<int>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24));
}

// Empty when the picture is picture n of that geometry; otherwise where it
// differs. `rows` limits the check to every rows-th row (1: all of it).
inline std::string patternMismatch(const unsigned char* p, int width, int height, int bytes, int n,
                                   int rows = 1) {
  if (stampOf(p) != n)
    return "stamp " + std::to_string(stampOf(p)) + " instead of " + std::to_string(n);
  for (int y = 0; y < height; y += rows) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < bytes; ++c) {
        const int offset = (y * width + x) * bytes + c;
        if (offset < 4) continue;
        if (p[offset] != acqsim_pattern(x, y, n, c))
          return "byte " + std::to_string(offset) + " of picture " + std::to_string(n);
      }
    }
  }
  return {};
}

}  // namespace qx::test
