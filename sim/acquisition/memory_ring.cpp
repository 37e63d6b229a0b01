#include "memory_ring.h"

#include "acqsim.h"

namespace qx::sim {

std::unique_ptr<MemoryRing> MemoryRing::allocate(int size, int count) {
  std::unique_ptr<MemoryRing> ring = head(count);
  for (Slot& slot : ring->slots_) {
    ring->storage_.emplace_back(new unsigned char[static_cast<std::size_t>(size)]());
    slot.data = ring->storage_.back().get();
    slot.size = size;
  }
  return ring;
}

std::unique_ptr<MemoryRing> MemoryRing::head(int count) {
  std::unique_ptr<MemoryRing> ring(new MemoryRing);
  ring->slots_.resize(static_cast<std::size_t>(count));
  return ring;
}

int MemoryRing::add(int index, int size, void* buffer) {
  if (index < 0 || index >= count() || size <= 0 || buffer == nullptr) return ACQSIM_ERR_ARGUMENT;
  if (users > 0) return ACQSIM_ERR_BUSY;
  Slot& slot = slots_[static_cast<std::size_t>(index)];
  if (slot.data != nullptr) return ACQSIM_ERR_ARGUMENT;  // delete it first
  slot = Slot{};
  slot.data = static_cast<unsigned char*>(buffer);
  slot.size = size;
  return 0;
}

int MemoryRing::remove(int index) {
  if (index < 0 || index >= count()) return ACQSIM_ERR_ARGUMENT;
  if (users > 0) return ACQSIM_ERR_BUSY;
  Slot& slot = slots_[static_cast<std::size_t>(index)];
  if (slot.data == nullptr) return ACQSIM_ERR_EMPTY_BUFFER;
  for (auto it = storage_.begin(); it != storage_.end(); ++it) {
    if (it->get() == slot.data) {
      storage_.erase(it);
      break;
    }
  }
  slot = Slot{};
  return 0;
}

void* MemoryRing::addDummy(int size, void* buffer) {
  if (size <= 0) return nullptr;
  if (buffer == nullptr) {
    storage_.emplace_back(new unsigned char[static_cast<std::size_t>(size)]());
    buffer = storage_.back().get();
  }
  dummies_.push_back(buffer);
  return buffer;
}

int MemoryRing::holds(int bytes) const {
  for (const Slot& slot : slots_) {
    if (slot.data == nullptr) return ACQSIM_ERR_EMPTY_BUFFER;
    if (slot.size < bytes) return ACQSIM_ERR_BUFFER_TOO_SMALL;
  }
  return 0;
}

void MemoryRing::forgetPictures() {
  for (Slot& slot : slots_) slot.picture = slot.tag = slot.length = 0;
}

}  // namespace qx::sim
