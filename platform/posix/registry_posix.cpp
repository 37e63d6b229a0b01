#include "platform/registry.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qx::platform {

// Without a system registry the values live in a text file in the export
// format of the registry editor, named by QUORLEX_REGISTRY.
RegistryResult readRegistryString(const char* key, const char* value, std::size_t capacity,
                                  std::string& out) {
  const char* path = std::getenv("QUORLEX_REGISTRY");
  if (path == nullptr || *path == '\0') path = "/etc/quorlex/registry.reg";
  std::ifstream in(path, std::ios::binary);
  if (!in) return RegistryResult::NoKey;
  std::ostringstream text;
  text << in.rdbuf();
  std::string found;
  RegistryResult r = findRegistryValue(text.str(), key, value, found);
  if (r != RegistryResult::Ok) return r;
  if (found.size() + 1 > capacity) return RegistryResult::TooLong;
  out = found;
  return RegistryResult::Ok;
}

}  // namespace qx::platform
