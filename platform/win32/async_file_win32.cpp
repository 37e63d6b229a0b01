#include "platform/async_file.h"

#include <windows.h>

#include <new>

namespace qx::platform {
namespace {

struct Transfer {
  bool busy = false;
  bool write = false;
  bool started = false;  // false: the system refused the transfer
  unsigned char* data = nullptr;
  std::size_t size = 0;
  std::uint64_t offset = 0;
  OVERLAPPED overlapped{};
};

class Win32AsyncFile final : public AsyncFile {
 public:
  Win32AsyncFile(HANDLE file, int slots, bool overlapped)
      : file_(file), slots_(slots), overlapped_(overlapped) {}
  ~Win32AsyncFile() override { close(); }

  void startWrite(int slot, const void* data, std::size_t size, std::uint64_t offset) override {
    start(slot, true, const_cast<void*>(data), size, offset);
  }
  void startRead(int slot, void* data, std::size_t size, std::uint64_t offset) override {
    start(slot, false, data, size, offset);
  }

  std::int64_t wait(int slot) override {
    if (!busy(slot)) return -1;
    Transfer& t = transfers_[slot];
    std::int64_t result = -1;
    if (t.started) {
      DWORD n = 0;
      if (GetOverlappedResult(file_, &t.overlapped, &n, TRUE))
        result = n;
      else if (!t.write && GetLastError() == ERROR_HANDLE_EOF)
        result = 0;
      CloseHandle(t.overlapped.hEvent);
      // A write that moved only part of its bytes is completed before the
      // slot is handed back, so that a write is all or nothing.
      while (t.write && result >= 0 && static_cast<std::size_t>(result) < t.size) {
        const std::int64_t more = transferNow(t, static_cast<std::size_t>(result));
        result = more <= 0 ? -1 : result + more;
      }
    }
    t.busy = false;
    return result;
  }

  bool busy(int slot) const override { return slot >= 0 && slot < slots_ && transfers_[slot].busy; }

  bool ended(int slot) override {
    if (!busy(slot)) return false;
    const Transfer& t = transfers_[slot];
    return !t.started || HasOverlappedIoCompleted(&t.overlapped);
  }
  bool asynchronous() const override { return overlapped_; }

  bool close() override {
    if (file_ == INVALID_HANDLE_VALUE) return true;
    for (int s = 0; s < slots_; ++s)
      if (busy(s)) wait(s);
    const bool ok = CloseHandle(file_) != 0;
    file_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  void start(int slot, bool write, void* data, std::size_t size, std::uint64_t offset) {
    if (slot < 0 || slot >= slots_ || transfers_[slot].busy) return;
    Transfer& t = transfers_[slot];
    t.busy = true;
    t.write = write;
    t.started = false;
    t.data = static_cast<unsigned char*>(data);
    t.size = size;
    t.offset = offset;
    t.started = issue(t, 0);
    if (t.started && !overlapped_) {
      // Synchronous engine: the transfer ends here; wait() only collects it.
      DWORD n = 0;
      GetOverlappedResult(file_, &t.overlapped, &n, TRUE);
    }
  }

  // Starts the part of `t` from `done` on, with a fresh manual-reset event.
  bool issue(Transfer& t, std::size_t done) {
    t.overlapped = OVERLAPPED{};
    const std::uint64_t at = t.offset + done;
    t.overlapped.Offset = static_cast<DWORD>(at & 0xffffffffu);
    t.overlapped.OffsetHigh = static_cast<DWORD>(at >> 32);
    t.overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (t.overlapped.hEvent == nullptr) return false;
    const DWORD n = static_cast<DWORD>(t.size - done);
    const BOOL ok = t.write ? WriteFile(file_, t.data + done, n, nullptr, &t.overlapped)
                            : ReadFile(file_, t.data + done, n, nullptr, &t.overlapped);
    if (ok || GetLastError() == ERROR_IO_PENDING) return true;
    // A read that starts at or beyond the end of the file ends at once.
    if (!t.write && GetLastError() == ERROR_HANDLE_EOF) return true;
    CloseHandle(t.overlapped.hEvent);
    return false;
  }

  // Moves the part of `t` from `done` on and waits for it: bytes moved or -1.
  std::int64_t transferNow(Transfer& t, std::size_t done) {
    if (!issue(t, done)) return -1;
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(file_, &t.overlapped, &n, TRUE);
    CloseHandle(t.overlapped.hEvent);
    return ok ? static_cast<std::int64_t>(n) : -1;
  }

  HANDLE file_;
  int slots_;
  bool overlapped_;
  Transfer transfers_[kMaxSlots];
};

}  // namespace

// Overlapped transfers have no queue of their own that could break down.
void simulateRingBreakdown(bool) {}

std::unique_ptr<AsyncFile> AsyncFile::open(const char* path, Access access, int slots,
                                           Engine engine) {
  if (path == nullptr || *path == '\0' || slots < 1 || slots > kMaxSlots) return nullptr;
  const bool create = access == Access::CreateWriteThrough;
  // Exclusive access: no other opener may read or write while a recording
  // is written or read.
  HANDLE h = CreateFileA(
      path, create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, 0, nullptr,
      create ? CREATE_ALWAYS : OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED | (create ? FILE_FLAG_WRITE_THROUGH : 0),
      nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  // Without memory for the record the handle goes at once.
  auto* file = new (std::nothrow) Win32AsyncFile(h, slots, engine == Engine::Best);
  if (file == nullptr) CloseHandle(h);
  return std::unique_ptr<AsyncFile>(file);
}

}  // namespace qx::platform
