// File names in wide characters: UTF-16 on Windows, where the system takes
// them as they are, and UTF-32 (wchar_t) elsewhere, where they are turned into
// the UTF-8 names the file system holds.
#pragma once

#include <cstdio>
#include <string>

namespace qx::platform {

// Opens a C runtime stream; `mode` as for fopen ("wb", "rb"). Null when the
// name is null or the file cannot be opened.
std::FILE* openFileWide(const wchar_t* name, const char* mode);

// The UTF-8 form of a wide name; empty for a null name or one that holds
// characters outside Unicode.
std::string utf8FromWide(const wchar_t* name);

}  // namespace qx::platform
