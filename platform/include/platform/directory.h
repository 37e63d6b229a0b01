// Listing the files of a directory that match a pattern.
#pragma once

#include <string>
#include <vector>

namespace qx::platform {

// Names (without directory) of the regular files in `directory` that match
// `pattern` ("*" and "?" wildcards). The order is the system's own on
// Windows and by file name elsewhere, so results repeat on every machine.
std::vector<std::string> listDirectory(const std::string& directory, const char* pattern);

}  // namespace qx::platform
