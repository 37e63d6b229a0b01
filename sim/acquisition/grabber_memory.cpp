// Image memories of a handle: allocation, caller buffers, release, and the
// pixel pointer of a picture.
#include "acqsim.h"
#include "grabber.h"

namespace qx::sim {
namespace {

// Far more than any ring needs, small enough that the slot table itself
// cannot exhaust memory.
constexpr int kMaxBuffers = 1 << 16;

bool validShape(int size, int count) {
  return size > 0 && count > 0 && count <= kMaxBuffers;
}

}  // namespace

MemoryRing* Grabber::findMemory(void* memory) {
  auto it = memories_.find(memory);
  return it == memories_.end() ? nullptr : it->second.get();
}

MemoryRing* Grabber::memoryFor(int port, void* memory) {
  MemoryRing* ring = memory != nullptr ? findMemory(memory) : ports_[port].memory;
  if (ring == nullptr) fail(ACQSIM_ERR_MEMORY_HANDLE);
  return ring;
}

void* Grabber::allocMemEx(int size, int count) {
  if (!validShape(size, count)) {
    fail(ACQSIM_ERR_ARGUMENT);
    return nullptr;
  }
  // Allocated outside the lock: a large ring takes a while to clear.
  std::unique_ptr<MemoryRing> ring = MemoryRing::allocate(size, count);
  std::lock_guard<std::mutex> lock(mutex_);
  void* handle = ring.get();
  memories_.emplace(handle, std::move(ring));
  return handle;
}

void* Grabber::allocMemHead(int size, int count) {
  if (!validShape(size, count)) {
    fail(ACQSIM_ERR_ARGUMENT);
    return nullptr;
  }
  std::unique_ptr<MemoryRing> ring = MemoryRing::head(count);
  std::lock_guard<std::mutex> lock(mutex_);
  void* handle = ring.get();
  memories_.emplace(handle, std::move(ring));
  return handle;
}

int Grabber::addMem(void* head, int index, int size, void* buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  MemoryRing* ring = findMemory(head);
  if (ring == nullptr) return fail(ACQSIM_ERR_MEMORY_HANDLE);
  const int result = ring->add(index, size, buffer);
  return result < 0 ? fail(result) : 0;
}

int Grabber::delMem(void* head, int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  MemoryRing* ring = findMemory(head);
  if (ring == nullptr) return fail(ACQSIM_ERR_MEMORY_HANDLE);
  const int result = ring->remove(index);
  return result < 0 ? fail(result) : 0;
}

void* Grabber::addDummyBuffer(void* memory, int size, void* buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  MemoryRing* ring = findMemory(memory);
  if (ring == nullptr) {
    fail(ACQSIM_ERR_MEMORY_HANDLE);
    return nullptr;
  }
  void* dummy = ring->addDummy(size, buffer);
  if (dummy == nullptr) fail(ACQSIM_ERR_ARGUMENT);
  return dummy;
}

int Grabber::freeMem(void* memory) {
  std::unique_ptr<MemoryRing> gone;  // released after the lock
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = memories_.find(memory);
  if (it == memories_.end()) return fail(ACQSIM_ERR_MEMORY_HANDLE);
  if (it->second->users > 0) return fail(ACQSIM_ERR_BUSY);
  for (Port& port : ports_) {
    if (port.memory == it->second.get()) port.memory = nullptr;
    if (port.defaultMemory == memory) port.defaultMemory = nullptr;
  }
  gone = std::move(it->second);
  memories_.erase(it);
  return 0;
}

void* Grabber::imagePtr(int picture, int port, void* memory) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!validPort(port)) {
    fail(ACQSIM_ERR_PORT);
    return nullptr;
  }
  if (picture < 1) {
    fail(ACQSIM_ERR_ARGUMENT);
    return nullptr;
  }
  MemoryRing* ring = memoryFor(port, memory);
  if (ring == nullptr) return nullptr;
  unsigned char* data = ring->slotOf(picture).data;
  if (data == nullptr) fail(ACQSIM_ERR_EMPTY_BUFFER);
  return data;
}

void* Grabber::allocDefault(int size, int count, int port) {
  if (!validPort(port)) {
    fail(ACQSIM_ERR_PORT);
    return nullptr;
  }
  void* memory = allocMemEx(size, count);
  if (memory == nullptr) return nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ports_[port].defaultMemory = memory;
  }
  return imagePtr(1, port, memory);
}

void* Grabber::defaultMemory(int port) {
  std::lock_guard<std::mutex> lock(mutex_);
  return validPort(port) ? ports_[port].defaultMemory : nullptr;
}

}  // namespace qx::sim
