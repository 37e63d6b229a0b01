#include "platform/wide_name.h"

#include <cstdio>
#include <string>

namespace qx::platform {

std::FILE* openFileWide(const wchar_t* name, const char* mode) {
  if (name == nullptr || mode == nullptr) return nullptr;
  std::wstring wmode;
  for (const char* p = mode; *p != 0; ++p) wmode += static_cast<wchar_t>(*p);
  return _wfopen(name, wmode.c_str());
}

}  // namespace qx::platform
