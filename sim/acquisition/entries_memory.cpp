// Memory entries of the acquisition applet simulator.
#include "applet_entries.h"
#include "handle.h"
#include "sim_export.h"

using namespace qx::sim;

SIM_EXPORT void* Px_AllocMemEx(Px_Struct* handle, int size, int count) {
  return callPtr<void>(handle, [&](Grabber& g) { return g.allocMemEx(size, count); });
}

SIM_EXPORT void* Px_AllocMemHead(Px_Struct* handle, int size, int count) {
  return callPtr<void>(handle, [&](Grabber& g) { return g.allocMemHead(size, count); });
}

SIM_EXPORT int Px_AddMem(Px_Struct* handle, void* head, int index, int size, void* buffer) {
  return callInt(handle, [&](Grabber& g) { return g.addMem(head, index, size, buffer); });
}

SIM_EXPORT int Px_DelMem(Px_Struct* handle, void* head, int index) {
  return callInt(handle, [&](Grabber& g) { return g.delMem(head, index); });
}

SIM_EXPORT void* Px_AddDummyBuffer(Px_Struct* handle, void* memory, int size, void* buffer) {
  return callPtr<void>(handle, [&](Grabber& g) { return g.addDummyBuffer(memory, size, buffer); });
}

SIM_EXPORT int Px_FreeMemHead(Px_Struct* handle, void* head) {
  return callInt(handle, [&](Grabber& g) { return g.freeMem(head); });
}

SIM_EXPORT int Px_FreeMemEx(Px_Struct* handle, void* memory) {
  return callInt(handle, [&](Grabber& g) { return g.freeMem(memory); });
}

SIM_EXPORT void* Px_getImagePtrEx(Px_Struct* handle, int pictureNumber, int port, void* memory) {
  return callPtr<void>(handle, [&](Grabber& g) { return g.imagePtr(pictureNumber, port, memory); });
}

// The grabber library builds these on the Ex entries itself and never calls
// them; they work on a memory per port that the applet keeps.
SIM_EXPORT void* Px_AllocMem(Px_Struct* handle, int size, int count, int port) {
  return callPtr<void>(handle, [&](Grabber& g) { return g.allocDefault(size, count, port); });
}

SIM_EXPORT void* Px_getImagePtr(Px_Struct* handle, int pictureNumber, int port) {
  return callPtr<void>(
      handle, [&](Grabber& g) { return g.imagePtr(pictureNumber, port, g.defaultMemory(port)); });
}

static_assert(std::is_same_v<decltype(&Px_AllocMemEx), PxAllocMemExFn>);
static_assert(std::is_same_v<decltype(&Px_AllocMemHead), PxAllocMemHeadFn>);
static_assert(std::is_same_v<decltype(&Px_AddMem), PxAddMemFn>);
static_assert(std::is_same_v<decltype(&Px_DelMem), PxDelMemFn>);
static_assert(std::is_same_v<decltype(&Px_AddDummyBuffer), PxAddDummyBufferFn>);
static_assert(std::is_same_v<decltype(&Px_FreeMemHead), PxFreeMemHeadFn>);
static_assert(std::is_same_v<decltype(&Px_FreeMemEx), PxFreeMemExFn>);
static_assert(std::is_same_v<decltype(&Px_getImagePtrEx), PxGetImagePtrExFn>);
