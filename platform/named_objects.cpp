#include "platform/named_objects.h"

#include <cstdlib>

namespace qx::platform {

namespace {
thread_local NamedObjectFailure lastFailure = NamedObjectFailure::None;
}  // namespace

NamedObjectFailure lastNamedObjectFailure() {
  return lastFailure;
}

void setNamedObjectFailure(NamedObjectFailure failure) {
  lastFailure = failure;
}

std::string namedObjectName(const char* name) {
  const char* prefix = std::getenv("QUORLEX_IPC_NAMESPACE");
  std::string full = prefix != nullptr ? prefix : "";
  full += name != nullptr ? name : "";
  return full;
}

}  // namespace qx::platform
