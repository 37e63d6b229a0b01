#include "display_table.h"

namespace qx::oculon {

DisplayTable& DisplayTable::instance() {
  static DisplayTable table;
  return table;
}

DisplayRecord* DisplayTable::at(int index) const {
  if (index < 0 || index >= kSlotCount) return nullptr;
  return slots_[index];
}

int DisplayTable::freeSlot() const {
  for (int i = 0; i < kSlotCount; ++i) {
    if (slots_[i] == nullptr) return i;
  }
  return -1;
}

void DisplayTable::pushToList(DisplayRecord* record) {
  std::lock_guard<std::mutex> guard(listLock_);
  record->next = head_;
  head_ = record;
}

void DisplayTable::removeFromList(DisplayRecord* record) {
  std::lock_guard<std::mutex> guard(listLock_);
  for (DisplayRecord** link = &head_; *link != nullptr; link = &(*link)->next) {
    if (*link == record) {
      *link = record->next;
      record->next = nullptr;
      return;
    }
  }
}

void DisplayTable::occupy(int index, DisplayRecord* record) {
  slots_[index] = record;
  ++openCount_;
}

int DisplayTable::release(int index) {
  slots_[index] = nullptr;
  return --openCount_;
}

}  // namespace qx::oculon
