// Finding the applet library whose maker and type match a configuration.
#pragma once

#include <string>

namespace qx::pictordyn {

// The applet folder of the board's type, ending in a path separator, or an
// empty text when the installation folder, the board or its type is unknown.
std::string get_applet_dir(int boardIndex);

// Looks at the first 64 libraries of `dir` for one whose Info entry
// answers exactly `maker` and `type`. Returns 1 with its path in
// `foundPath`, or 0; `foundPath` holds the last candidate examined.
int search_dll(const std::string& dir, std::string& foundPath, const std::string& maker,
               const std::string& type);

}  // namespace qx::pictordyn
