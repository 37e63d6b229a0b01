// Where the board family's applet libraries are installed.
#pragma once

#include <cstddef>
#include <string>

namespace qx::pictordyn {

// Boards 0 to 10 can be opened.
inline constexpr int kBoardCount = 11;
// Library names and the paths formed from them live in 256-byte buffers:
// what does not fit is refused, never cut into another file's name.
inline constexpr std::size_t kPathBuffer = 256;

// The applet folder for the type of board `boardIndex`: the installation
// folder of the registry value "dll_path" with "qx_grab3" for a standard
// board or "qx_grab3tesk" for a TESK board. Empty when the value, the board
// or its type is unknown.
std::string appletFolder(int boardIndex);

}  // namespace qx::pictordyn
