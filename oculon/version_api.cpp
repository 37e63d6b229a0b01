// The version this library was built as, for applications that check at run
// time which build they loaded.
#include <quorlex/oculon.h>
#include <quorlex/version.h>

extern "C" OC_API void OculonGetVersion(int* major, int* minor, int* patch) {
  if (major != nullptr) *major = QUORLEX_VERSION_MAJOR;
  if (minor != nullptr) *minor = QUORLEX_VERSION_MINOR;
  if (patch != nullptr) *patch = QUORLEX_VERSION_PATCH;
}
