// Named objects on POSIX systems: a shared-memory object per name (shm_open),
// with open-file-description record locks ("OFD locks") on a few bytes past
// its data. The kernel drops such locks when the last descriptor of their
// open file goes, also when a process dies, which gives the crash safety:
// - guard byte: held exclusively while a handle is opened or closed, so that
//   creation, first-opener detection and removal never interleave;
// - users byte: every open handle holds a shared lock on it; whoever can
//   take it exclusively under the guard is alone. The first opener zero-fills
//   the object, the last closer removes its name. An object left behind by
//   users that all died has no users, so the next opener counts as first and
//   starts from zeros, as if the object had gone with them;
// - owner byte: the mutex itself, locked exclusively by the owning process.
#include "../named_objects.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace qx::platform {
namespace {

constexpr off_t kGuardByte = off_t{1} << 30;
constexpr off_t kUsersByte = kGuardByte + 1;
constexpr off_t kOwnerByte = kGuardByte + 2;

bool setLock(int fd, short type, off_t byte, bool wait) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  for (;;) {
    if (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0) return true;
    if (errno != EINTR) return false;
  }
}

std::string systemName(const char* name) {
  return "/" + namedObjectName(name);
}

// Opens the object and registers as one of its users; -1 on failure.
int openObject(const std::string& name, std::size_t size, bool* created) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (!setLock(fd, F_WRLCK, kGuardByte, true)) {
      close(fd);
      return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
      close(fd);
      return -1;
    }
    if (st.st_nlink == 0) {
      // Its last user removed it between our open and our guard: the name
      // now belongs to a new object.
      close(fd);
      continue;
    }
    const bool alone = setLock(fd, F_WRLCK, kUsersByte, false);
    bool ok = true;
    if (alone) {
      ok = ftruncate(fd, 0) == 0 && ftruncate(fd, static_cast<off_t>(size)) == 0;
    } else if (static_cast<std::size_t>(st.st_size) < size) {
      ok = ftruncate(fd, static_cast<off_t>(size)) == 0;
    }
    // Turns the exclusive users lock into a shared one, or joins the other
    // users; nobody else can hold it exclusively while we hold the guard.
    ok = ok && setLock(fd, F_RDLCK, kUsersByte, true);
    setLock(fd, F_UNLCK, kGuardByte, false);
    if (!ok) {
      close(fd);
      return -1;
    }
    if (created != nullptr) *created = alone;
    return fd;
  }
  return -1;
}

// Unregisters as a user; the last user removes the name.
void closeObject(const std::string& name, int fd) {
  if (fd < 0) return;
  if (setLock(fd, F_WRLCK, kGuardByte, true) && setLock(fd, F_WRLCK, kUsersByte, false))
    shm_unlink(name.c_str());
  close(fd);
}

struct PosixBlock {
  std::string name;
  int fd;
  void* view;
  std::size_t size;
};

// One entry per mutex name in this process. Threads of the process share one
// descriptor; ownership among them is settled here, ownership among
// processes by the owner byte.
struct ProcessMutex {
  std::string name;
  int fd = -1;
  int handles = 0;
  std::mutex lock;
  std::condition_variable released;
  std::thread::id owner;
  int depth = 0;
};

std::mutex& registryLock() {
  static std::mutex m;
  return m;
}

std::map<std::string, ProcessMutex*>& registry() {
  static std::map<std::string, ProcessMutex*> r;
  return r;
}

}  // namespace

SharedBlockHandle openSharedBlock(const char* name, std::size_t size, bool* created) {
  if (size == 0) return nullptr;
  const std::string full = systemName(name);
  const int fd = openObject(full, size, created);
  if (fd < 0) return nullptr;
  void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    closeObject(full, fd);
    return nullptr;
  }
  return new PosixBlock{full, fd, view, size};
}

void* sharedBlockView(SharedBlockHandle block) {
  return block != nullptr ? static_cast<PosixBlock*>(block)->view : nullptr;
}

void closeSharedBlock(SharedBlockHandle block) {
  auto* b = static_cast<PosixBlock*>(block);
  if (b == nullptr) return;
  munmap(b->view, b->size);
  closeObject(b->name, b->fd);
  delete b;
}

NamedMutexHandle openNamedMutex(const char* name) {
  const std::string full = systemName(name);
  std::lock_guard<std::mutex> guard(registryLock());
  ProcessMutex*& entry = registry()[full];
  if (entry == nullptr) {
    const int fd = openObject(full, 1, nullptr);
    if (fd < 0) {
      registry().erase(full);
      return nullptr;
    }
    entry = new ProcessMutex;
    entry->name = full;
    entry->fd = fd;
  }
  ++entry->handles;
  return entry;
}

bool lockNamedMutex(NamedMutexHandle mutex) {
  auto* m = static_cast<ProcessMutex*>(mutex);
  if (m == nullptr) return false;
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> guard(m->lock);
  if (m->depth > 0 && m->owner == self) {
    ++m->depth;
    return true;
  }
  m->released.wait(guard, [m] { return m->depth == 0; });
  m->owner = self;
  m->depth = 1;
  guard.unlock();
  // Other threads of this process now wait above; other processes wait here.
  if (setLock(m->fd, F_WRLCK, kOwnerByte, true)) return true;
  guard.lock();
  m->depth = 0;
  m->owner = std::thread::id();
  m->released.notify_one();
  return false;
}

void unlockNamedMutex(NamedMutexHandle mutex) {
  auto* m = static_cast<ProcessMutex*>(mutex);
  if (m == nullptr) return;
  std::lock_guard<std::mutex> guard(m->lock);
  if (m->depth == 0 || m->owner != std::this_thread::get_id()) return;
  if (--m->depth > 0) return;
  setLock(m->fd, F_UNLCK, kOwnerByte, false);
  m->owner = std::thread::id();
  m->released.notify_one();
}

void closeNamedMutex(NamedMutexHandle mutex) {
  auto* m = static_cast<ProcessMutex*>(mutex);
  if (m == nullptr) return;
  std::lock_guard<std::mutex> guard(registryLock());
  if (--m->handles > 0) return;
  registry().erase(m->name);
  // Closing the descriptor also gives up ownership, as closing the last
  // handle of an owned mutex does elsewhere.
  closeObject(m->name, m->fd);
  delete m;
}

}  // namespace qx::platform
