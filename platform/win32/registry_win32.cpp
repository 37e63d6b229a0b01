#include "platform/registry.h"

#include <windows.h>
#include <vector>

namespace qx::platform {

RegistryResult readRegistryString(const char* key, const char* value, std::size_t capacity,
                                  std::string& out) {
  HKEY hkey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &hkey) != ERROR_SUCCESS)
    return RegistryResult::NoKey;
  std::vector<char> buffer(capacity + 1, '\0');
  DWORD size = static_cast<DWORD>(capacity);
  DWORD type = 0;
  const LONG rc =
      RegQueryValueExA(hkey, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
  RegCloseKey(hkey);
  if (rc == ERROR_MORE_DATA) return RegistryResult::TooLong;
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
    return RegistryResult::NoValue;
  // The stored data need not end in NUL; the extra byte of the buffer does.
  std::string data(buffer.data(), size);
  const std::size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  if (data.size() + 1 > capacity) return RegistryResult::TooLong;
  out = data;
  return RegistryResult::Ok;
}

}  // namespace qx::platform
