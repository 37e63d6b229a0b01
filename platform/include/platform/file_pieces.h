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

// The length of the file behind a stream, with 64-bit positions on every
// system (a C `long` is 32 bits on Windows); -1 when it cannot be learnt,
// as for a pipe. The stream is left at its start.
std::int64_t streamLength(std::FILE* file);
// Moves the stream to a 64-bit offset; false on failure.
bool seekStream(std::FILE* file, std::uint64_t offset);

}  // namespace qx::platform
