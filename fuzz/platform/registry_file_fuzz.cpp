// Arbitrary text against the reader of the registry file that stands in for
// the system registry on Linux.
#include "platform/registry.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string value;
  const auto r = qx::platform::findRegistryValue(
      text, "SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info", "dll_path", value);
  // A value found is never longer than the text it came from.
  if (r == qx::platform::RegistryResult::Ok && value.size() > size) __builtin_trap();
  return 0;
}
