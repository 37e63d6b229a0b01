// The process-wide table of open displays: 32 slots whose index is the
// display's identifier, the count of open displays, and the list of all open
// records that the window threads search for the record of a window.
#pragma once

#include "display_record.h"

namespace qx::oculon {

constexpr int kSlotCount = 32;

// Creation and closing are serialised by the caller; the list is also read
// by window threads, so its links are changed and walked under a lock.
class DisplayTable {
 public:
  static DisplayTable& instance();

  // The record in slot `index`, or null for a free slot or a bad index.
  DisplayRecord* at(int index) const;
  // Lowest free slot, or -1 when all are used.
  int freeSlot() const;
  int openCount() const { return openCount_; }

  void pushToList(DisplayRecord* record);
  void removeFromList(DisplayRecord* record);
  // Applies `match` to the records of the list, newest first, and returns
  // the first that it accepts.
  template <typename Match>
  DisplayRecord* find(Match match) {
    std::lock_guard<std::mutex> guard(listLock_);
    for (DisplayRecord* r = head_; r != nullptr; r = r->next) {
      if (match(*r)) return r;
    }
    return nullptr;
  }

  // Puts the record into slot `index` and counts it as open.
  void occupy(int index, DisplayRecord* record);
  // Empties slot `index` and returns the new open count.
  int release(int index);

 private:
  DisplayRecord* slots_[kSlotCount] = {};
  int openCount_ = 0;
  DisplayRecord* head_ = nullptr;
  std::mutex listLock_;
};

}  // namespace qx::oculon
