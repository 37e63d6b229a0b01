// Reading string values of the machine-wide configuration registry.
#pragma once

#include <cstddef>
#include <string>

namespace qx::platform {

enum class RegistryResult { Ok, NoKey, NoValue, TooLong };

// Reads the string value `value` of key `key` (below the machine-wide root).
// `capacity` is the size of the caller's buffer including its terminating
// NUL: a value that does not fit gives TooLong.
RegistryResult readRegistryString(const char* key, const char* value, std::size_t capacity,
                                  std::string& out);

// The text form of the registry used where the system has none: the export
// format of the registry editor,
//   [HKEY_LOCAL_MACHINE\SOFTWARE\...\Info]
//   "dll_path"="/opt/quorlex"
// Looks up `value` under HKEY_LOCAL_MACHINE\<key> in `text`. Key and value
// names compare without regard to case, as the registry does.
RegistryResult findRegistryValue(const std::string& text, const char* key, const char* value,
                                 std::string& out);

}  // namespace qx::platform
