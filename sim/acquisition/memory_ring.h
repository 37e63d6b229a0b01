// Image memory of the simulated applet: a ring of buffers that pictures are
// written into in turn. A memory either owns its buffers (Px_AllocMemEx) or
// is a head whose slots take the caller's buffers (Px_AllocMemHead,
// Px_AddMem). Not locked itself: the grabber guards every memory.
#pragma once

#include <memory>
#include <vector>

namespace qx::sim {

class MemoryRing {
 public:
  struct Slot {
    unsigned char* data = nullptr;
    int size = 0;
    // The picture the slot holds (0: none, or being overwritten) and what
    // was recorded with it.
    int picture = 0;
    int tag = 0;
    int length = 0;
  };

  // `count` buffers of `size` bytes, zero-filled; throws std::bad_alloc.
  static std::unique_ptr<MemoryRing> allocate(int size, int count);
  // `count` empty slots for caller buffers. Each Px_AddMem brings its own
  // size; whether it holds a picture is checked when an acquisition starts.
  static std::unique_ptr<MemoryRing> head(int count);

  int count() const { return static_cast<int>(slots_.size()); }
  // The slot that picture n (from 1) lands in.
  Slot& slotOf(int picture) { return slots_[static_cast<unsigned>(picture - 1) % slots_.size()]; }

  // 0 or an ACQSIM_ERR_ number.
  int add(int index, int size, void* buffer);
  int remove(int index);
  // A buffer kept beside the ring; with a null `buffer` one of `size` bytes
  // is allocated. Null for a size of 0 or less.
  void* addDummy(int size, void* buffer);
  // 0 when every slot has a buffer of at least `bytes` bytes.
  int holds(int bytes) const;
  void forgetPictures();

  // Ports that acquire into the memory; it cannot change while non-zero.
  int users = 0;

 private:
  MemoryRing() = default;
  std::vector<Slot> slots_;
  std::vector<std::unique_ptr<unsigned char[]>> storage_;
  std::vector<void*> dummies_;
};

}  // namespace qx::sim
