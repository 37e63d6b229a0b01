// Parameter and configuration-file entries of the acquisition applet
// simulator. Values travel through an int pointer.
#include "applet_entries.h"
#include "handle.h"
#include "sim_export.h"

using namespace qx::sim;

SIM_EXPORT int Px_setParameter(Px_Struct* handle, int parameter, void* value, int port) {
  return callInt(handle, [&](Grabber& g) {
    return g.setParameter(parameter, static_cast<const int*>(value), port);
  });
}

SIM_EXPORT int Px_getParameter(Px_Struct* handle, int parameter, void* value, int port) {
  return callInt(handle, [&](Grabber& g) {
    return g.getParameter(parameter, static_cast<int*>(value), port);
  });
}

// The extra block is not needed by any parameter of this applet.
SIM_EXPORT int Px_getParameterEx(Px_Struct* handle, int parameter, void* value, int port,
                                 void* extra, int extraSize) {
  (void)extra;
  (void)extraSize;
  return callInt(handle, [&](Grabber& g) {
    return g.getParameter(parameter, static_cast<int*>(value), port);
  });
}

// Writes the name of a parameter into `text`.
SIM_EXPORT int Px_getParameterInfo(Px_Struct* handle, int parameter, char* text, int capacity) {
  return callInt(handle, [&](Grabber& g) { return g.parameterInfo(parameter, text, capacity); });
}

SIM_EXPORT int Px_saveConfig(Px_Struct* handle, const char* fileName) {
  return callInt(handle, [&](Grabber& g) { return g.saveConfig(fileName); });
}

SIM_EXPORT int Px_loadConfig(Px_Struct* handle, const char* fileName) {
  return callInt(handle, [&](Grabber& g) { return g.loadConfig(fileName); });
}

static_assert(std::is_same_v<decltype(&Px_setParameter), PxSetParameterFn>);
static_assert(std::is_same_v<decltype(&Px_getParameter), PxGetParameterFn>);
static_assert(std::is_same_v<decltype(&Px_getParameterEx), PxGetParameterExFn>);
static_assert(std::is_same_v<decltype(&Px_saveConfig), PxSaveConfigFn>);
static_assert(std::is_same_v<decltype(&Px_loadConfig), PxLoadConfigFn>);
