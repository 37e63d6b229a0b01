// Named objects on POSIX systems: a shared-memory object per name (shm_open),
// with open-file-description record locks ("OFD locks") on a few bytes past
// its data. The kernel drops such locks when the last descriptor of their
// open file goes, also when a process dies, which gives the crash safety:
// - guard byte: held exclusively while a handle is opened or closed, and
//   while a mutex's queue is changed, so that these never interleave;
// - users byte: every open handle holds a shared lock on it; whoever can
//   take it exclusively under the guard is alone. The first opener zero-fills
//   the object, the last closer removes its name. An object left behind by
//   users that all died has no users, so the next opener counts as first and
//   starts from zeros, as if the object had gone with them;
// - owner byte: the mutex itself, locked exclusively by the owning process;
// - queue bytes: one per place in a mutex's queue of waiters, locked by the
//   process that waits there, so that a place whose process died is seen
//   free.
// The queue (in the mutex object's memory) hands the mutex over in the
// order of arrival: only the earliest live waiter asks the kernel for the
// owner byte, so one that gives it back cannot take it again before the
// waiters that came first. Waiters sleep on a futex word that every change
// of the queue moves on, and look again now and then for waiters that died.
#include "platform/named_objects.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <pthread.h>
#include <atomic>
#include <bitset>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace qx::platform {
namespace {

constexpr off_t kGuardByte = off_t{1} << 30;
constexpr off_t kUsersByte = kGuardByte + 1;
constexpr off_t kOwnerByte = kGuardByte + 2;
constexpr off_t kQueueBytes = kGuardByte + 64;
constexpr int kQueuePlaces = 64;
// How often a waiter looks for waiters ahead of it that died.
constexpr int kDeadWaiterCheckMs = 50;

struct QueuePlace {
  std::uint64_t ticket;  // 0: free
};

// The memory of a mutex object. Zeros are an empty queue.
struct Queue {
  std::atomic<std::uint32_t> changes;  // futex word
  std::uint32_t reserved;
  std::uint64_t lastTicket;
  QueuePlace places[kQueuePlaces];
};

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

// Whether another open file holds a lock on `byte`.
bool heldElsewhere(int fd, off_t byte) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return true;  // cannot tell: assume alive
  return lock.l_type != F_UNLCK;
}

std::string systemName(const char* name) {
  return "/" + namedObjectName(name);
}

void noteFailure() {
  setNamedObjectFailure(errno == EACCES || errno == EPERM ? NamedObjectFailure::AccessDenied
                                                          : NamedObjectFailure::Other);
}

// Opens the object by name, creating it readable and writable for every
// local user (whatever the umask says), so that users of the boards share it
// whoever came first.
int openByName(const std::string& name) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fchmod(fd, 0666);
      return fd;
    }
    if (errno != EEXIST) return -1;
    fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd >= 0) {
      // One that we created closed to others (an older build did) is opened
      // up while we can.
      struct stat st {};
      if (fstat(fd, &st) == 0 && st.st_uid == geteuid() && (st.st_mode & 0666) != 0666)
        fchmod(fd, 0666);
      return fd;
    }
    if (errno != ENOENT) return -1;
  }
  return -1;
}

// Registers `fd` as one more user of its object; the guard keeps us from
// joining an object whose last user is just removing it.
bool joinUsers(int fd) {
  if (!setLock(fd, F_WRLCK, kGuardByte, true)) return false;
  const bool ok = setLock(fd, F_RDLCK, kUsersByte, true);
  setLock(fd, F_UNLCK, kGuardByte, false);
  return ok;
}

// Opens the object and registers as one of its users; -1 on failure.
int openObject(const std::string& name, std::size_t size, bool* created) {
  setNamedObjectFailure(NamedObjectFailure::None);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const int fd = openByName(name);
    if (fd < 0) {
      noteFailure();
      return -1;
    }
    if (!setLock(fd, F_WRLCK, kGuardByte, true)) {
      noteFailure();
      close(fd);
      return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
      noteFailure();
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
    if (!ok) noteFailure();
    setLock(fd, F_UNLCK, kGuardByte, false);
    if (!ok) {
      close(fd);
      return -1;
    }
    if (created != nullptr) *created = alone;
    return fd;
  }
  setNamedObjectFailure(NamedObjectFailure::Other);
  return -1;
}

// Unregisters as a user; the last user removes the name.
void closeObject(const std::string& name, int fd) {
  if (fd < 0) return;
  if (setLock(fd, F_WRLCK, kGuardByte, true) && setLock(fd, F_WRLCK, kUsersByte, false))
    shm_unlink(name.c_str());
  close(fd);
}

// After fork() the child shares its parent's open files, and with them
// their locks: it would pass the parent's mutex as its own and leave a
// block when the parent's handle is its last. The child opens each object
// anew instead and joins its users; the parent's descriptor is closed in
// the child only (the parent keeps its locks).
void reopenInChild(const std::string& name, int& fd) {
  const int fresh = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (fresh < 0) return;
  struct stat was {
  }, now{};
  if (fstat(fd, &was) != 0 || fstat(fresh, &now) != 0 || was.st_ino != now.st_ino ||
      was.st_dev != now.st_dev || !joinUsers(fresh)) {
    close(fresh);
    return;
  }
  close(fd);
  fd = fresh;
}

struct PosixBlock {
  std::string name;
  int fd;
  void* view;
  std::size_t size;
};

// One entry per mutex name in this process. Threads of the process share one
// descriptor; the in-process owner is settled here, under `lock`.
struct ProcessMutex {
  std::string name;
  int fd = -1;
  Queue* queue = nullptr;
  int handles = 0;
  std::mutex lock;
  // Replaced in a child of fork(): waiters of the parent's threads are not
  // there.
  std::unique_ptr<std::condition_variable> released{new std::condition_variable};
  std::thread::id owner;
  int depth = 0;
  std::bitset<kQueuePlaces> ours;  // places held by threads of this process
};

// Opening, closing and fork() of blocks and mutexes do not interleave.
std::mutex& registryLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

std::map<std::string, ProcessMutex*>& mutexes() {
  static auto* r = new std::map<std::string, ProcessMutex*>;
  return *r;
}

std::set<PosixBlock*>& blocks() {
  static auto* r = new std::set<PosixBlock*>;
  return *r;
}

void beforeFork() {
  registryLock().lock();
  for (auto& entry : mutexes()) entry.second->lock.lock();
}

void afterForkInParent() {
  for (auto& entry : mutexes()) entry.second->lock.unlock();
  registryLock().unlock();
}

void afterForkInChild() {
  for (auto& entry : mutexes()) {
    ProcessMutex* m = entry.second;
    reopenInChild(m->name, m->fd);
    // The child starts owning nothing and waiting nowhere.
    m->owner = std::thread::id();
    m->depth = 0;
    m->ours.reset();
    (void)m->released.release();  // may count waiters of threads the child lacks
    m->released.reset(new std::condition_variable);
    m->lock.unlock();
  }
  for (PosixBlock* b : blocks()) reopenInChild(b->name, b->fd);
  registryLock().unlock();
}

void watchForks() {
  static std::once_flag once;
  std::call_once(once, [] { pthread_atfork(beforeFork, afterForkInParent, afterForkInChild); });
}

// --- the queue of a mutex; callers hold `m->lock` and the guard byte ---

class Guard {
 public:
  explicit Guard(int fd) : fd_(fd) { held_ = setLock(fd_, F_WRLCK, kGuardByte, true); }
  ~Guard() {
    if (held_) setLock(fd_, F_UNLCK, kGuardByte, false);
  }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  int fd_;
  bool held_;
};

bool placeLive(const ProcessMutex& m, int place) {
  if (m.queue->places[place].ticket == 0) return false;
  return m.ours.test(static_cast<std::size_t>(place)) || heldElsewhere(m.fd, kQueueBytes + place);
}

// Frees places whose waiters died; whether any live waiter is queued.
bool anyoneWaiting(ProcessMutex& m) {
  bool waiting = false;
  for (int i = 0; i < kQueuePlaces; ++i) {
    if (placeLive(m, i))
      waiting = true;
    else
      m.queue->places[i].ticket = 0;
  }
  return waiting;
}

// A place at the end of the queue; -1 when every place is taken.
int joinQueue(ProcessMutex& m) {
  for (int i = 0; i < kQueuePlaces; ++i) {
    if (placeLive(m, i)) continue;
    if (!setLock(m.fd, F_WRLCK, kQueueBytes + i, false)) continue;
    m.queue->places[i].ticket = ++m.queue->lastTicket;
    m.ours.set(static_cast<std::size_t>(i));
    return i;
  }
  return -1;
}

void leaveQueue(ProcessMutex& m, int place) {
  m.queue->places[place].ticket = 0;
  m.ours.reset(static_cast<std::size_t>(place));
  setLock(m.fd, F_UNLCK, kQueueBytes + place, false);
  m.queue->changes.fetch_add(1);
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&m.queue->changes), FUTEX_WAKE, INT_MAX,
          nullptr, nullptr, 0);
}

// No live waiter came before the one at `place`.
bool first(ProcessMutex& m, int place) {
  const std::uint64_t mine = m.queue->places[place].ticket;
  for (int i = 0; i < kQueuePlaces; ++i) {
    if (i == place) continue;
    const std::uint64_t other = m.queue->places[i].ticket;
    if (other == 0 || other > mine) continue;
    if (placeLive(m, i)) return false;
    m.queue->places[i].ticket = 0;  // died while waiting
  }
  return true;
}

void waitForChange(ProcessMutex& m, std::uint32_t seen) {
  const timespec patience{0, kDeadWaiterCheckMs * 1000000L};
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&m.queue->changes), FUTEX_WAIT, seen,
          &patience, nullptr, 0);
}

}  // namespace

SharedBlockHandle openSharedBlock(const char* name, std::size_t size, bool* created) {
  if (size == 0) return nullptr;
  watchForks();
  // Every allocation comes before the object is opened: one that fails
  // leaves nothing open behind it.
  auto block = std::make_unique<PosixBlock>(PosixBlock{systemName(name), -1, nullptr, size});
  std::lock_guard<std::mutex> guard(registryLock());
  blocks().insert(block.get());
  const int fd = openObject(block->name, size, created);
  void* view =
      fd >= 0 ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
  if (view == MAP_FAILED) {
    if (fd >= 0) {
      noteFailure();
      closeObject(block->name, fd);
    }
    blocks().erase(block.get());
    return nullptr;
  }
  block->fd = fd;
  block->view = view;
  return block.release();
}

void* sharedBlockView(SharedBlockHandle block) {
  return block != nullptr ? static_cast<PosixBlock*>(block)->view : nullptr;
}

void closeSharedBlock(SharedBlockHandle block) {
  auto* b = static_cast<PosixBlock*>(block);
  if (b == nullptr) return;
  std::lock_guard<std::mutex> guard(registryLock());
  blocks().erase(b);
  munmap(b->view, b->size);
  closeObject(b->name, b->fd);
  delete b;
}

NamedMutexHandle openNamedMutex(const char* name) {
  watchForks();
  const std::string full = systemName(name);
  std::lock_guard<std::mutex> guard(registryLock());
  auto found = mutexes().find(full);
  if (found == mutexes().end()) {
    // The entry is allocated whole and the registry's node made before the
    // object is opened, and the entry goes into the registry only once it
    // is complete: a failed allocation leaves nothing open, and no entry
    // without its object.
    auto entry = std::make_unique<ProcessMutex>();
    entry->name = full;
    found = mutexes().emplace(full, nullptr).first;
    const int fd = openObject(full, sizeof(Queue), nullptr);
    void* queue = fd >= 0 ? mmap(nullptr, sizeof(Queue), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                          : MAP_FAILED;
    if (queue == MAP_FAILED) {
      if (fd >= 0) {
        noteFailure();
        closeObject(full, fd);
      }
      mutexes().erase(found);
      return nullptr;
    }
    entry->fd = fd;
    entry->queue = static_cast<Queue*>(queue);
    found->second = entry.release();
  }
  ++found->second->handles;
  return found->second;
}

bool lockNamedMutex(NamedMutexHandle mutex) {
  auto* m = static_cast<ProcessMutex*>(mutex);
  if (m == nullptr) return false;
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> local(m->lock);
  if (m->depth > 0 && m->owner == self) {
    ++m->depth;
    return true;
  }
  int place = -1;
  for (;;) {
    const std::uint32_t seen = m->queue->changes.load();
    {
      Guard guard(m->fd);
      // Nobody waits and nobody holds it: take it at once.
      if (m->depth == 0 && !anyoneWaiting(*m) && setLock(m->fd, F_WRLCK, kOwnerByte, false)) {
        m->owner = self;
        m->depth = 1;
        return true;
      }
      place = joinQueue(*m);
    }
    if (place >= 0) break;
    // Every place is taken: wait for one to come free.
    local.unlock();
    waitForChange(*m, seen);
    local.lock();
  }
  for (;;) {
    const std::uint32_t seen = m->queue->changes.load();
    bool ahead;
    {
      Guard guard(m->fd);
      ahead = first(*m, place);
    }
    if (ahead) break;
    local.unlock();
    waitForChange(*m, seen);
    local.lock();
  }
  // First in the queue: wait for the owner among our own threads, then for
  // the owner among the processes. Later waiters stay behind us meanwhile.
  m->released->wait(local, [m] { return m->depth == 0; });
  m->owner = self;
  m->depth = 1;
  local.unlock();
  const bool owned = setLock(m->fd, F_WRLCK, kOwnerByte, true);
  local.lock();
  {
    Guard guard(m->fd);
    leaveQueue(*m, place);
  }
  if (owned) return true;
  m->depth = 0;
  m->owner = std::thread::id();
  m->released->notify_all();
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
  m->released->notify_all();
}

void closeNamedMutex(NamedMutexHandle mutex) {
  auto* m = static_cast<ProcessMutex*>(mutex);
  if (m == nullptr) return;
  std::lock_guard<std::mutex> guard(registryLock());
  if (--m->handles > 0) return;
  mutexes().erase(m->name);
  munmap(m->queue, sizeof(Queue));
  // Closing the descriptor also gives up ownership, as closing the last
  // handle of an owned mutex does elsewhere.
  closeObject(m->name, m->fd);
  delete m;
}

}  // namespace qx::platform
