// A board handle of the simulated runtime: one per initialize_multiquorlex.
#pragma once

#include <string>

namespace qx::sim {

struct SimBoard {
  int index;
  int type;
  std::string designName;  // what GetDesignName last returned
};

inline int boardIndexOf(void* handle) {
  return handle != nullptr ? static_cast<SimBoard*>(handle)->index : -1;
}

}  // namespace qx::sim
