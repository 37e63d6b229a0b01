// Memory running out inside the library (or inside the board runtime it
// calls): every exported function returns its failure result instead of
// letting an exception out, and an opening that fails releases what it had
// opened. This program's own operator new stands in for the whole process's,
// so a test can make allocations fail: from the n-th on, for every n until a
// call no longer meets a refusal.
#include "counted_refusal.h"
#include "serial_fixture.h"

#include "platform/named_objects.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <string>

namespace qx::test {
namespace {

using OutOfMemory = SerialTest;

// Runs `call` with 0, 1, 2 ... allocations allowed until a run meets no
// refusal, then `after` with every allocation allowed. `call` gives the
// function's result; a refused run must give `failure` (or succeed when the
// refusal hit something the function can do without).
void withEveryAllocationFailing(const char* what, CLINT32 failure,
                                const std::function<CLINT32()>& call,
                                const std::function<void(CLINT32)>& after) {
  for (long allowed = 0; allowed < 2000; ++allowed) {
    CLINT32 result = 0;
    bool refused = false;
    try {
      Refusal refusal(allowed);
      result = call();
      refused = allocationRefused();
    } catch (...) {
      ADD_FAILURE() << what << ": exception with " << allowed << " allocations allowed";
      return;
    }
    after(result);
    if (!refused) {
      EXPECT_EQ(result, CL_ERR_NO_ERR) << what;
      return;
    }
    if (result != CL_ERR_NO_ERR) {
      EXPECT_EQ(result, failure) << what << ", " << allowed << " allowed";
    }
  }
  ADD_FAILURE() << what << ": still refused after 2000 allocations";
}

long count(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<long>(std::count_if(
      lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

// The simulated runtime is loaded before anything is refused: a failure in
// its own static set-up would end the program inside the loader.
void loadRuntime() {
  CLUINT32 ports = 0;
  ASSERT_EQ(clGetNumSerialPorts(&ports), CL_ERR_NO_ERR);
}

TEST_F(OutOfMemory, FailedOpeningsGiveTheStatusAndReleaseEverything) {
  loadRuntime();
  for (const char* config : {"board0.design = single_uart.hap\n", "board0.design = none\n"}) {
    sim(config);
    clearJournal();
    hSerRef port = nullptr;
    withEveryAllocationFailing(
        config, CL_ERR_OUT_OF_MEMORY, [&] { return clSerialInit(1, &port); },
        [&](CLINT32 result) {
          if (result == CL_ERR_NO_ERR) clSerialClose(port);
        });
    // Every board and design a failed opening had opened was given back.
    const std::vector<std::string> lines = journal();
    EXPECT_EQ(count(lines, "initialize_multiquorlex"), count(lines, "free_quorlex")) << config;
    EXPECT_EQ(count(lines, "load_design"), count(lines, "unload_design")) << config;
    // And no failed opening left the multiplexer's mutex held: another
    // thread takes it at once. (The simulated runtime itself may be left
    // damaged by its own failed allocations, so no transfer is tried.)
    auto taken = std::async(std::launch::async, [] {
      platform::NamedMutexHandle mutex = platform::openNamedMutex("clsermutex");
      const bool locked = platform::lockNamedMutex(mutex);
      if (locked) platform::unlockNamedMutex(mutex);
      platform::closeNamedMutex(mutex);
      return locked;
    });
    ASSERT_EQ(taken.wait_for(std::chrono::seconds(10)), std::future_status::ready) << config;
    EXPECT_TRUE(taken.get()) << config;
  }
}

TEST_F(OutOfMemory, CallsOnAnOpenPortGiveTheStatus) {
  loadRuntime();
  hSerRef port = open(1);
  CLINT8 text[8] = "ID?\r";
  const std::pair<const char*, std::function<CLINT32()>> calls[] = {
      {"clSerialWrite",
       [&] {
         CLUINT32 size = 4;
         return clSerialWrite(port, text, &size, 100);
       }},
      {"clSerialRead",
       [&] {
         CLUINT32 size = 1;
         const CLINT32 result = clSerialRead(port, text, &size, 100);
         return result == CL_ERR_TIMEOUT ? CL_ERR_NO_ERR : result;
       }},
      {"clSetBaudRate", [&] { return clSetBaudRate(port, CL_BAUDRATE_19200); }},
      {"clSetParity", [&] { return clSetParity(port, 1); }},
      {"clFlushPort", [&] { return clFlushPort(port); }},
      {"clGetNumBytesAvail",
       [&] {
         CLUINT32 n = 0;
         return clGetNumBytesAvail(port, &n);
       }},
      {"clGetNumSerialPorts",
       [&] {
         CLUINT32 n = 0;
         return clGetNumSerialPorts(&n);
       }},
  };
  for (const auto& call : calls)
    withEveryAllocationFailing(call.first, CL_ERR_OUT_OF_MEMORY, call.second, [](CLINT32) {});
  // A board reconfigured under the port: the calls bind again, which
  // allocates, and may fail doing it.
  withEveryAllocationFailing(
      "rebinding", CL_ERR_OUT_OF_MEMORY,
      [&] {
        CLUINT32 n = 0;
        return clGetNumBytesAvail(port, &n);
      },
      [&](CLINT32) { setHWStatus(0, 7 + static_cast<int>(journal().size())); });
  clSerialClose(port);
}

}  // namespace
}  // namespace qx::test
