#include "named_objects.h"

#include <cstdlib>

namespace qx::platform {

std::string namedObjectName(const char* name) {
  const char* prefix = std::getenv("QUORLEX_IPC_NAMESPACE");
  std::string full = prefix != nullptr ? prefix : "";
  full += name != nullptr ? name : "";
  return full;
}

}  // namespace qx::platform
