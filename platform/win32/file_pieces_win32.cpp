#include "platform/file_pieces.h"

#include <io.h>
#include <windows.h>

namespace qx::platform {

namespace {

// Pipes and character devices have no positions.
bool positioned(std::FILE* file) {
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return h == INVALID_HANDLE_VALUE || GetFileType(h) == FILE_TYPE_DISK;
}

}  // namespace

// The C runtime's buffering gathers the pieces into large transfers. Where
// the target has no positions, the pieces go in order from where the
// stream stands, which for a stream just opened is its start.
bool writePiecesAt(std::FILE* file, std::uint64_t offset, const FilePiece* pieces,
                   std::size_t count) {
  if (std::fflush(file) != 0) return false;
  if (positioned(file) && _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) != 0)
    return false;
  for (std::size_t i = 0; i < count; ++i)
    if (std::fwrite(pieces[i].data, 1, pieces[i].size, file) != pieces[i].size) return false;
  return std::fflush(file) == 0;
}

std::int64_t readPiecesAt(std::FILE* file, std::uint64_t offset, const FilePiece* pieces,
                          std::size_t count) {
  if (_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) != 0) return -1;
  std::int64_t total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t got = std::fread(pieces[i].data, 1, pieces[i].size, file);
    total += static_cast<std::int64_t>(got);
    if (got != pieces[i].size) return std::ferror(file) ? -1 : total;
  }
  return total;
}

std::int64_t streamLength(std::FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const __int64 end = _ftelli64(file);
  if (end < 0 || _fseeki64(file, 0, SEEK_SET) != 0) return -1;
  return static_cast<std::int64_t>(end);
}

bool seekStream(std::FILE* file, std::uint64_t offset) {
  return offset <= static_cast<std::uint64_t>(INT64_MAX) &&
         _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

}  // namespace qx::platform
