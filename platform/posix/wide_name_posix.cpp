#include "platform/wide_name.h"

namespace qx::platform {

std::FILE* openFileWide(const wchar_t* name, const char* mode) {
  const std::string narrow = utf8FromWide(name);
  if (narrow.empty()) return nullptr;
  return std::fopen(narrow.c_str(), mode);
}

}  // namespace qx::platform
