// The binding of the board runtime library, used only to learn a board's
// type when an applet library is looked for in the board family's folders.
#pragma once

#include "board_runtime.h"

namespace qx::pictordyn {

// Loads the board runtime library (again; it is never released), resolves
// its entries and opens the board. Null when the library or one of the
// entries this library calls is missing, or the board cannot be opened.
QxBoard bind_board_runtime(int boardIndex);
// The runtime's type code of an open board.
int boardType(QxBoard board);
// Closes a board handle from bind_board_runtime.
int release_board_handle(QxBoard board);

}  // namespace qx::pictordyn
