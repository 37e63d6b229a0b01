#include "runtime_binding.h"

namespace qx::pictordyn {
namespace {

using contracts::RuntimeEntry;

struct RuntimeBinding {
  platform::LibraryHandle module = nullptr;
  contracts::BoardRuntimeTable table;
};

RuntimeBinding& binding() {
  static RuntimeBinding b;
  return b;
}

}  // namespace

QxBoard bind_board_runtime(int boardIndex) {
  RuntimeBinding& b = binding();
  b.module = platform::loadLibrary(platform::kBoardRuntimeLibrary);
  if (b.module == nullptr) return nullptr;
  contracts::resolveRuntimeEntries(b.module, b.table);
  if (!b.table.has(RuntimeEntry::initialize_multiquorlex) ||
      !b.table.has(RuntimeEntry::free_quorlex) || !b.table.has(RuntimeEntry::GetBoardType))
    return nullptr;
  return b.table.get<InitializeMultiquorlexFn>(RuntimeEntry::initialize_multiquorlex)(boardIndex);
}

int boardType(QxBoard board) {
  return binding().table.get<GetBoardTypeFn>(RuntimeEntry::GetBoardType)(board);
}

int release_board_handle(QxBoard board) {
  return binding().table.get<FreeQuorlexFn>(RuntimeEntry::free_quorlex)(board);
}

}  // namespace qx::pictordyn
