// Files for large positioned transfers that run while the caller goes on:
// each transfer occupies one of a small, fixed number of slots from its start
// until the caller waits for it. Files created for writing are write-through:
// a write has ended only when its data are on the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qx::platform {

class AsyncFile {
 public:
  enum class Access {
    // Created, or truncated when it exists; read and write access.
    CreateWriteThrough,
    // Must exist; read access only.
    ReadExisting,
  };
  enum class Engine {
    // The system's asynchronous transfers where it offers them, else
    // synchronous ones.
    Best,
    // Every transfer runs to its end inside its start call.
    Synchronous,
  };
  static constexpr int kMaxSlots = 16;

  // Null when the file cannot be opened (or created), or `slots` is outside
  // 1 to kMaxSlots.
  static std::unique_ptr<AsyncFile> open(const char* path, Access access, int slots,
                                         Engine engine = Engine::Best);

  // Waits for every transfer still running, then closes the file.
  virtual ~AsyncFile() = default;
  AsyncFile(const AsyncFile&) = delete;
  AsyncFile& operator=(const AsyncFile&) = delete;

  // Starts a transfer of `size` bytes at `offset` in a slot that is not busy
  // (the caller waits for a busy slot first). The memory must stay untouched
  // until the slot has been waited for. A transfer that cannot be started
  // still occupies the slot; waiting for it reports the failure.
  virtual void startWrite(int slot, const void* data, std::size_t size, std::uint64_t offset) = 0;
  virtual void startRead(int slot, void* data, std::size_t size, std::uint64_t offset) = 0;
  // Waits for the slot's transfer and frees the slot. The bytes transferred
  // (a write either transfers everything or fails; a read ends early only at
  // the end of the file), or -1 when the transfer failed. -1 for a slot that
  // is not busy.
  virtual std::int64_t wait(int slot) = 0;
  virtual bool busy(int slot) const = 0;
  // Whether the slot's transfer has ended, so that wait() returns at once;
  // never blocks. False for a slot that is not busy.
  virtual bool ended(int slot) = 0;
  // Whether transfers overlap the caller (false: the synchronous engine).
  virtual bool asynchronous() const = 0;
  // Waits for every busy slot, then closes the file; false when the system
  // reports a failure at closing.
  virtual bool close() = 0;

 protected:
  AsyncFile() = default;
};

// For tests of the fallback: files opened while this is on act, at their
// first wait, as if the system's queue of asynchronous transfers had broken
// down with requests in flight. Does nothing where there is no such queue.
void simulateRingBreakdown(bool on);

}  // namespace qx::platform
