// The board runtime library as this library binds it: loaded by name at
// every board opening (never released), its entries resolved into one
// process-wide table.
#pragma once

#include "board_runtime.h"

namespace qx::clser {

using contracts::RuntimeEntry;

// Loads the runtime, resolves its entries and opens the board. Null when the
// library or an entry this library calls is missing, or the board is absent.
QxBoard openBoard(int boardIndex);

const contracts::BoardRuntimeTable& runtime();

template <typename Fn>
Fn rt(RuntimeEntry e) {
  return runtime().get<Fn>(e);
}

// The board access lock for one scope. The runtime lets the holder take it
// again, so scopes may nest.
class AccessLock {
 public:
  explicit AccessLock(QxBoard board);
  ~AccessLock();
  AccessLock(const AccessLock&) = delete;
  AccessLock& operator=(const AccessLock&) = delete;

 private:
  QxBoard board_;
};

}  // namespace qx::clser
