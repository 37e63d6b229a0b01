// Initialisation, release, identity and error entries of the acquisition
// applet simulator.
#include "applet.h"
#include "applet_entries.h"
#include "handle.h"
#include "journal.h"
#include "sim_config.h"
#include "sim_export.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>

using namespace qx::sim;

namespace {

// setAppletName comes before any handle exists; it names the applets that
// later initialisations make.
std::mutex g_nameLock;
std::string g_appletName;

int copyInfo(const std::string& value, char* text) {
  if (text == nullptr) return ACQSIM_ERR_ARGUMENT;
  std::snprintf(text, 64, "%s", value.c_str());  // at most 63 characters
  return 0;
}

}  // namespace

SIM_EXPORT int setAppletName(const char* name) {
  journal("acqsim: setAppletName(%s)", name != nullptr ? name : "(null)");
  if (name == nullptr) return ACQSIM_ERR_ARGUMENT;
  std::lock_guard<std::mutex> lock(g_nameLock);
  g_appletName = name;
  return 0;
}

SIM_EXPORT int Info(int query, int, int, char* text, int) {
  const Identity identity = Identity::fromConfig(SimConfig::fromEnvironment());
  switch (query) {
    case qx::contracts::kInfoMaker: return copyInfo(identity.maker, text);
    case qx::contracts::kInfoType: return copyInfo(identity.type, text);
    default: return ACQSIM_ERR_ARGUMENT;
  }
}

SIM_EXPORT Px_Struct* Px_InitLocal(int boardIndex, int size, int* status) {
  journal("acqsim: Px_InitLocal(%d,%d)", boardIndex, size);
  int ignored = 0;
  if (status == nullptr) status = &ignored;
  const SimConfig config = SimConfig::fromEnvironment();
  if (boardIndex < 0 || boardIndex >= config.number("boards", 1)) {
    *status = -20;  // no such board
    return nullptr;
  }
  try {
    std::string name;
    {
      std::lock_guard<std::mutex> lock(g_nameLock);
      name = g_appletName;
    }
    // At least `size` bytes, the record first, all words null.
    const std::size_t bytes =
        std::max(sizeof(HandleBlock), static_cast<std::size_t>(std::max(size, 0)));
    void* memory = ::operator new(bytes);
    auto* block = new (memory) HandleBlock{};
    block->magic = kHandleMagic;
    try {
      block->grabber = new Grabber(boardIndex, config, name);
    } catch (...) {
      ::operator delete(memory);
      throw;
    }
    *status = 0;
    return &block->record;
  } catch (...) {
    *status = ACQSIM_ERR_NO_MEMORY;
    return nullptr;
  }
}

SIM_EXPORT int Px_FreeGrabber(Px_Struct* handle) {
  journal("acqsim: Px_FreeGrabber");
  Grabber* grabber = grabberOf(handle);
  if (grabber == nullptr) return ACQSIM_ERR_INVALID_HANDLE;
  auto* block = reinterpret_cast<HandleBlock*>(handle);
  block->magic = 0;
  delete grabber;  // stops the acquisitions, frees the memories
  block->~HandleBlock();
  ::operator delete(block);
  return 0;
}

SIM_EXPORT int Px_getLastErrorNumber(Px_Struct* handle) {
  return callInt(handle, [](Grabber& g) { return g.lastError(); });
}

SIM_EXPORT const char* Px_getLastErrorDescription(Px_Struct* handle) {
  Grabber* grabber = grabberOf(handle);
  return errorText(grabber != nullptr ? grabber->lastError() : ACQSIM_ERR_INVALID_HANDLE);
}

SIM_EXPORT const char* Px_getErrorDescription(Px_Struct* handle, int number) {
  (void)handle;  // the texts are the same for every handle
  return errorText(number);
}

static_assert(std::is_same_v<decltype(&setAppletName), SetAppletNameFn>);
static_assert(std::is_same_v<decltype(&Info), AppletInfoFn>);
static_assert(std::is_same_v<decltype(&Px_InitLocal), PxInitLocalFn>);
static_assert(std::is_same_v<decltype(&Px_FreeGrabber), PxAppletFreeGrabberFn>);
static_assert(std::is_same_v<decltype(&Px_getLastErrorNumber), PxGetLastErrorNumberFn>);
static_assert(std::is_same_v<decltype(&Px_getLastErrorDescription), PxGetLastErrorDescriptionFn>);
static_assert(std::is_same_v<decltype(&Px_getErrorDescription), PxGetErrorDescriptionFn>);
