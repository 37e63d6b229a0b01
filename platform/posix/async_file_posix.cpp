#include "platform/async_file.h"

#include <fcntl.h>
#include <liburing.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>

namespace qx::platform {
namespace {

struct Transfer {
  bool busy = false;
  bool done = false;
  bool write = false;
  unsigned char* data = nullptr;
  std::size_t size = 0;
  std::uint64_t offset = 0;
  std::int64_t result = -1;  // when done: bytes transferred or -1
  bool inKernel = false;     // handed to the ring, its completion not yet taken
};

// Tag of the request that cancels the others.
constexpr __u64 kCancelTag = ~static_cast<__u64>(0);

std::atomic<bool> simulatedBreakdown{false};

// Runs the rest of a transfer with plain positioned calls: the whole of a
// write, or a read until the end of the file. `done` bytes are already moved.
std::int64_t finishSynchronously(int fd, const Transfer& t, std::size_t done) {
  while (done < t.size) {
    const ssize_t n = t.write ? pwrite(fd, t.data + done, t.size - done, t.offset + done)
                              : pread(fd, t.data + done, t.size - done, t.offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) {
      if (t.write) return -1;  // no progress: treat as a failed write
      break;                   // end of file
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

class PosixAsyncFile final : public AsyncFile {
 public:
  PosixAsyncFile(int fd, int slots, bool useRing)
      : fd_(fd), slots_(slots), breakAtWait_(simulatedBreakdown.load()) {
    if (useRing && io_uring_queue_init(static_cast<unsigned>(slots), &ring_, 0) == 0)
      ringReady_ = true;
  }
  ~PosixAsyncFile() override { close(); }

  void startWrite(int slot, const void* data, std::size_t size, std::uint64_t offset) override {
    start(slot, true, const_cast<void*>(data), size, offset);
  }
  void startRead(int slot, void* data, std::size_t size, std::uint64_t offset) override {
    start(slot, false, data, size, offset);
  }

  std::int64_t wait(int slot) override {
    if (!busy(slot)) return -1;
    Transfer& t = transfers_[slot];
    while (!t.done) {
      const bool broken = breakAtWait_ && ringReady_;
      breakAtWait_ = false;
      if (broken || !reapOne()) {
        // The ring broke down: nothing more will be delivered through it.
        // Every outstanding transfer is redone synchronously.
        failRing();
      }
    }
    t.busy = false;
    t.done = false;
    return t.result;
  }

  bool busy(int slot) const override { return slot >= 0 && slot < slots_ && transfers_[slot].busy; }

  bool ended(int slot) override {
    if (!busy(slot)) return false;
    // Takes every completion the ring holds already, without waiting.
    io_uring_cqe* cqe = nullptr;
    while (ringReady_ && !transfers_[slot].done && io_uring_peek_cqe(&ring_, &cqe) == 0 &&
           cqe != nullptr)
      complete(cqe);
    return transfers_[slot].done;
  }
  bool asynchronous() const override { return ringReady_; }

  bool close() override {
    if (fd_ < 0) return true;
    for (int s = 0; s < slots_; ++s)
      if (busy(s)) wait(s);
    if (ringReady_) io_uring_queue_exit(&ring_);
    ringReady_ = false;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  void start(int slot, bool write, void* data, std::size_t size, std::uint64_t offset) {
    if (slot < 0 || slot >= slots_ || transfers_[slot].busy) return;
    Transfer& t = transfers_[slot];
    t = Transfer{true, false, write, static_cast<unsigned char*>(data), size, offset, -1};
    if (ringReady_) {
      io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
      if (sqe != nullptr) {
        if (write)
          io_uring_prep_write(sqe, fd_, data, static_cast<unsigned>(size), offset);
        else
          io_uring_prep_read(sqe, fd_, data, static_cast<unsigned>(size), offset);
        io_uring_sqe_set_data64(sqe, static_cast<__u64>(slot));
        int r;
        do r = io_uring_submit(&ring_);
        while (r == -EINTR);
        if (r == 1) {
          t.inKernel = true;
          return;
        }
      }
      failRing();  // the ring refuses work: from here on, synchronous
      if (t.done) return;
    }
    t.result = finishSynchronously(fd_, t, 0);
    t.done = true;
  }

  // Takes one completion from the ring; false when the ring cannot deliver.
  bool reapOne() {
    io_uring_cqe* cqe = nullptr;
    int r;
    do r = io_uring_wait_cqe(&ring_, &cqe);
    while (r == -EINTR);
    if (r < 0 || cqe == nullptr) return false;
    complete(cqe);
    return true;
  }

  // Hands one completion to its transfer and marks it seen.
  void complete(io_uring_cqe* cqe) {
    const int slot = static_cast<int>(io_uring_cqe_get_data64(cqe));
    const int res = cqe->res;
    io_uring_cqe_seen(&ring_, cqe);
    if (slot < 0 || slot >= slots_ || !transfers_[slot].busy) return;
    Transfer& t = transfers_[slot];
    t.inKernel = false;
    // A partial transfer (or an interrupted or cancelled one) is completed
    // in place.
    if (res == -EINTR || res == -EAGAIN || res == -ECANCELED)
      t.result = finishSynchronously(fd_, t, 0);
    else
      t.result = res < 0 ? -1 : finishSynchronously(fd_, t, static_cast<std::size_t>(res));
    t.done = true;
  }

  void failRing() {
    if (!ringReady_) return;
    // Requests handed to the kernel may still be moving bytes from or into
    // their buffers, and the caller reuses a buffer as soon as its slot has
    // been waited for: so every request in flight is cancelled, or waited
    // for, before anything touches a buffer again. What the kernel did not
    // finish is then run synchronously: positioned transfers of the same
    // bytes can be repeated without harm.
    drainRing();
    io_uring_queue_exit(&ring_);
    ringReady_ = false;
    for (int s = 0; s < slots_; ++s) {
      Transfer& t = transfers_[s];
      if (!t.busy || t.done) continue;
      // A request whose end could not be learnt at all is left alone and
      // reported failed, rather than run a second time beside itself.
      t.result = t.inKernel ? -1 : finishSynchronously(fd_, t, 0);
      t.done = true;
    }
  }

  bool anyInKernel() const {
    for (int s = 0; s < slots_; ++s)
      if (transfers_[s].inKernel) return true;
    return false;
  }

  void drainRing() {
    if (!anyInKernel()) return;
    if (io_uring_sqe* sqe = io_uring_get_sqe(&ring_)) {
      // Systems without cancelling of any request refuse this one; their
      // requests are then waited for.
      io_uring_prep_cancel64(sqe, 0, IORING_ASYNC_CANCEL_ANY);
      io_uring_sqe_set_data64(sqe, kCancelTag);
      int r;
      do r = io_uring_submit(&ring_);
      while (r == -EINTR);
    }
    for (int failures = 0; anyInKernel() && failures < 3;) {
      io_uring_cqe* cqe = nullptr;
      const int r = io_uring_wait_cqe(&ring_, &cqe);
      if (r == -EINTR) continue;
      if (r < 0 || cqe == nullptr) {
        ++failures;
        continue;
      }
      complete(cqe);
    }
  }

  int fd_;
  int slots_;
  io_uring ring_{};
  bool ringReady_ = false;
  bool breakAtWait_;
  Transfer transfers_[kMaxSlots];
};

}  // namespace

void simulateRingBreakdown(bool on) {
  simulatedBreakdown = on;
}

std::unique_ptr<AsyncFile> AsyncFile::open(const char* path, Access access, int slots,
                                           Engine engine) {
  if (path == nullptr || *path == '\0' || slots < 1 || slots > kMaxSlots) return nullptr;
  const bool create = access == Access::CreateWriteThrough;
  // The file is not truncated on opening: another writer may hold it, and
  // its recording must stay whole when this open is refused.
  const int flags = create ? O_RDWR | O_CREAT | O_DSYNC | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
  int fd;
  do fd = ::open(path, flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return nullptr;
  // As on Windows, where recordings are opened without sharing: a writer
  // holds its file alone, and no reader opens a file that is being written
  // (readers share the file among themselves). The lock belongs to this open file, so a second open
  // in the same process is refused too; it goes with the process when that dies.
  int locked;
  do locked = flock(fd, (create ? LOCK_EX : LOCK_SH) | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  // Only another holder refuses the file: on file systems that keep no
  // locks at all, recordings are still written, unguarded.
  const bool held = locked != 0 && errno == EWOULDBLOCK;
  // Devices (a full disk simulated by one, say) have nothing to truncate.
  struct stat st {};
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (held || (create && regular && ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return nullptr;
  }
  // Without memory for the record the descriptor (and its lock) goes at once.
  auto* file = new (std::nothrow) PosixAsyncFile(fd, slots, engine == Engine::Best);
  if (file == nullptr) ::close(fd);
  return std::unique_ptr<AsyncFile>(file);
}

}  // namespace qx::platform
