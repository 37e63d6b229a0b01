#include "installation.h"

#include "platform/library.h"
#include "platform/registry.h"
#include "runtime_binding.h"

namespace qx::pictordyn {
namespace {

constexpr const char* kInfoKey = "SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info";
// The registry value is read into a buffer that announces 128 bytes.
constexpr std::size_t kDllPathCapacity = 128;
constexpr int kStandardBoard = 163;
constexpr int kTeskBoard = 2609;

}  // namespace

std::string appletFolder(int boardIndex) {
  std::string dllPath;
  if (platform::readRegistryString(kInfoKey, "dll_path", kDllPathCapacity, dllPath) !=
      platform::RegistryResult::Ok)
    return {};
  QxBoard board = bind_board_runtime(boardIndex);
  if (board == nullptr) return {};
  const char* folder = nullptr;
  switch (boardType(board)) {
    case kStandardBoard: folder = "qx_grab3"; break;
    case kTeskBoard: folder = "qx_grab3tesk"; break;
    default: break;
  }
  release_board_handle(board);
  if (folder == nullptr) return {};
  return dllPath + platform::kPathSeparator + folder;
}

}  // namespace qx::pictordyn
