// Acquisition and picture-number entries of the acquisition applet
// simulator.
#include "applet_entries.h"
#include "handle.h"
#include "sim_export.h"

using namespace qx::sim;

SIM_EXPORT int Px_AcquireEx(Px_Struct* handle, int port, int pictureCount, int mode, void* memory) {
  return callInt(handle, [&](Grabber& g) { return g.acquire(port, pictureCount, mode, memory); });
}

SIM_EXPORT int Px_stopAcquireEx(Px_Struct* handle, int port, void* memory, int flag) {
  (void)memory;  // a port acquires into one memory at a time
  (void)flag;
  return callInt(handle, [&](Grabber& g) { return g.stop(port); });
}

SIM_EXPORT int Px_sendSoftwareTrigger(Px_Struct* handle, int port) {
  return callInt(handle, [&](Grabber& g) { return g.trigger(port); });
}

SIM_EXPORT int Px_getLastPicNumberEx(Px_Struct* handle, int port, void* memory) {
  return callInt(handle, [&](Grabber& g) { return g.lastPicture(port, memory); });
}

SIM_EXPORT int Px_getLastPicNumberBlockingEx(Px_Struct* handle, int pictureNumber, int port,
                                             int timeoutMs, void* memory) {
  return callInt(handle,
                 [&](Grabber& g) { return g.waitPicture(pictureNumber, port, timeoutMs, memory); });
}

SIM_EXPORT int Px_getLastPicNumberEventEx(Px_Struct* handle, int pictureNumber, int port,
                                          int timeoutMs, void* memory, void* event) {
  (void)event;  // the caller waits in the call; there is nothing to signal
  return callInt(handle,
                 [&](Grabber& g) { return g.waitPicture(pictureNumber, port, timeoutMs, memory); });
}

SIM_EXPORT int Px_getImageEx(Px_Struct* handle, int selector, int pictureNumber, int port,
                             int timeoutMs, void* memory) {
  return callInt(handle, [&](Grabber& g) {
    return g.getImage(selector, pictureNumber, port, timeoutMs, memory);
  });
}

// Px_getImageEx on the port's own memory.
SIM_EXPORT int Px_getImage(Px_Struct* handle, int selector, int pictureNumber, int port,
                           int timeoutMs) {
  return callInt(handle, [&](Grabber& g) {
    return g.getImage(selector, pictureNumber, port, timeoutMs, nullptr);
  });
}

// The grabber library builds these on the Ex entries itself and never calls
// them; they work on the memory that the applet's own Px_AllocMem made.
SIM_EXPORT int Px_Acquire(Px_Struct* handle, int port, int pictureCount) {
  return callInt(handle, [&](Grabber& g) {
    return g.acquire(port, pictureCount, ACQSIM_MODE_CONTINUOUS, g.defaultMemory(port));
  });
}

SIM_EXPORT int Px_stopAcquire(Px_Struct* handle, int port) {
  return callInt(handle, [&](Grabber& g) { return g.stop(port); });
}

SIM_EXPORT int Px_getLastPicNumber(Px_Struct* handle, int port) {
  return callInt(handle, [&](Grabber& g) { return g.lastPicture(port, nullptr); });
}

SIM_EXPORT int Px_getLastPicNumberBlocking(Px_Struct* handle, int pictureNumber, int port,
                                           int timeoutMs) {
  return callInt(
      handle, [&](Grabber& g) { return g.waitPicture(pictureNumber, port, timeoutMs, nullptr); });
}

// An acquisition that would call the caller back per picture; this applet
// delivers no callbacks, so it starts a plain acquisition and leaves the
// routine and its context alone.
SIM_EXPORT int Px_AcquireAPCEx(Px_Struct* handle, int port, int pictureCount, int mode,
                               void* memory, void* routine, void* context) {
  (void)routine;
  (void)context;
  return callInt(handle, [&](Grabber& g) { return g.acquire(port, pictureCount, mode, memory); });
}

static_assert(std::is_same_v<decltype(&Px_AcquireEx), PxAcquireExFn>);
static_assert(std::is_same_v<decltype(&Px_stopAcquireEx), PxStopAcquireExFn>);
static_assert(std::is_same_v<decltype(&Px_sendSoftwareTrigger), PxSendSoftwareTriggerFn>);
static_assert(std::is_same_v<decltype(&Px_getLastPicNumberEx), PxGetLastPicNumberExFn>);
static_assert(
    std::is_same_v<decltype(&Px_getLastPicNumberBlockingEx), PxGetLastPicNumberBlockingExFn>);
static_assert(std::is_same_v<decltype(&Px_getLastPicNumberEventEx), PxGetLastPicNumberEventExFn>);
static_assert(std::is_same_v<decltype(&Px_getImageEx), PxGetImageExFn>);
static_assert(std::is_same_v<decltype(&Px_getImage), PxGetImageFn>);
