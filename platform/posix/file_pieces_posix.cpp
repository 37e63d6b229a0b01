#include "platform/file_pieces.h"

#include <limits.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace qx::platform {
namespace {

// Moves the pieces with as few system calls as the system's vector limit
// allows, resuming after partial transfers.
std::int64_t transfer(std::FILE* file, std::uint64_t offset, const FilePiece* pieces,
                      std::size_t count, bool write) {
  if (std::fflush(file) != 0) return -1;
  const int fd = fileno(file);
  // Pipes and terminals have no positions: there the pieces go in order
  // from where the stream stands, which for a stream just opened is its
  // start.
  const bool positioned = lseek(fd, 0, SEEK_CUR) >= 0 || errno != ESPIPE;
  std::vector<iovec> iov(count);
  for (std::size_t i = 0; i < count; ++i) iov[i] = iovec{pieces[i].data, pieces[i].size};
  std::size_t first = 0;
  std::int64_t total = 0;
  while (first < count) {
    if (iov[first].iov_len == 0) {
      ++first;
      continue;
    }
    const int n = static_cast<int>(count - first < IOV_MAX ? count - first : IOV_MAX);
    const off_t at = static_cast<off_t>(offset + static_cast<std::uint64_t>(total));
    const ssize_t done = !positioned
                             ? (write ? writev(fd, &iov[first], n) : readv(fd, &iov[first], n))
                         : write ? pwritev(fd, &iov[first], n, at)
                                 : preadv(fd, &iov[first], n, at);
    if (done < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (done == 0) {
      if (write) return -1;
      break;  // end of file
    }
    total += done;
    std::size_t left = static_cast<std::size_t>(done);
    while (left > 0 && left >= iov[first].iov_len) left -= iov[first++].iov_len;
    if (left > 0) {
      iov[first].iov_base = static_cast<char*>(iov[first].iov_base) + left;
      iov[first].iov_len -= left;
    }
  }
  return total;
}

}  // namespace

bool writePiecesAt(std::FILE* file, std::uint64_t offset, const FilePiece* pieces,
                   std::size_t count) {
  std::uint64_t expected = 0;
  for (std::size_t i = 0; i < count; ++i) expected += pieces[i].size;
  return transfer(file, offset, pieces, count, true) == static_cast<std::int64_t>(expected);
}

std::int64_t readPiecesAt(std::FILE* file, std::uint64_t offset, const FilePiece* pieces,
                          std::size_t count) {
  return transfer(file, offset, pieces, count, false);
}

std::int64_t streamLength(std::FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  const off_t end = ftello(file);
  if (end < 0 || fseeko(file, 0, SEEK_SET) != 0) return -1;
  return static_cast<std::int64_t>(end);
}

bool seekStream(std::FILE* file, std::uint64_t offset) {
  return offset <= static_cast<std::uint64_t>(INT64_MAX) &&
         fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

}  // namespace qx::platform
