#include "references.h"

#include "port_open.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <new>

namespace qx::clser {
namespace {

struct Table {
  std::mutex lock;
  std::map<std::uintptr_t, PortUse> live;
  std::uintptr_t last = 0;
};

Table& table() {
  static Table* t = new Table;  // never destroyed: calls may come during exit
  return *t;
}

// Steps of 8 keep the values looking like aligned pointers to callers that
// print or compare them.
constexpr std::uintptr_t kStep = 8;

}  // namespace

hSerRef addReference(SerialPort* record) {
  PortUse use;
  try {
    use = PortUse(record, closePort);
  } catch (...) {
    // shared_ptr calls the deleter when it cannot allocate its control block.
    return nullptr;
  }
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  std::uintptr_t value = t.last;
  do {
    value += kStep;
    if (value == 0) value = kStep;
  } while (t.live.count(value) != 0);
  try {
    t.live.emplace(value, std::move(use));
  } catch (...) {
    return nullptr;  // `use` goes and closes the record
  }
  t.last = value;
  return reinterpret_cast<hSerRef>(value);
}

PortUse findReference(hSerRef ref) {
  if (ref == nullptr) return nullptr;
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  const auto it = t.live.find(reinterpret_cast<std::uintptr_t>(ref));
  return it != t.live.end() ? it->second : nullptr;
}

bool removeReference(hSerRef ref) {
  if (ref == nullptr) return false;
  PortUse gone;
  {
    Table& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto it = t.live.find(reinterpret_cast<std::uintptr_t>(ref));
    if (it == t.live.end()) return false;
    gone = std::move(it->second);
    t.live.erase(it);
  }
  // Closed here, outside the table's lock, unless a call still uses it.
  return true;
}

}  // namespace qx::clser
