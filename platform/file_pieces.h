// Positioned gather writes and scatter reads on the file behind a C runtime
// stream, so that rows can go between a file and their places in memory
// without an intermediate copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace qx::platform {

struct FilePiece {
  void* data;
  std::size_t size;
};

// The stream is flushed first; afterwards only fclose may be called on it.
// Writes the pieces one after the other from `offset`; false on any failure.
bool writePiecesAt(std::FILE* file, std::uint64_t offset, const FilePiece* pieces,
                   std::size_t count);
// Fills the pieces one after the other from `offset`; the number of bytes
// read (short at the end of the file), or -1 on failure.
std::int64_t readPiecesAt(std::FILE* file, std::uint64_t offset, const FilePiece* pieces,
                          std::size_t count);

}  // namespace qx::platform
