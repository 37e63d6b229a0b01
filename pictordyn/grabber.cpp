#include "grabber.h"

#include "applet_table.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>

namespace qx::pictordyn {
namespace {

// An open-addressing table with linear probing. A slot's key is the handle's
// address, 0 when the slot was never used, kGone when its handle was
// released; a released slot is reused by a later opening. Readers never
// take the lock.
constexpr std::uintptr_t kEmpty = 0;
constexpr std::uintptr_t kGone = 1;
constexpr std::size_t kFirstCapacity = 16;

constexpr unsigned char kFromInit = 1;
constexpr unsigned char kOwned = 2;

struct Table {
  explicit Table(std::size_t capacity)
      : mask(capacity - 1),
        keys(new std::atomic<std::uintptr_t>[capacity]()),
        facts(new std::atomic<unsigned char>[capacity]()) {}
  const std::size_t mask;
  std::unique_ptr<std::atomic<std::uintptr_t>[]> keys;
  std::unique_ptr<std::atomic<unsigned char>[]> facts;
  // A reader may still look at an outgrown table: it is kept (tables only
  // double, so all of them together take less than twice the newest).
  std::unique_ptr<Table> previous;
};

std::atomic<Table*> g_table{nullptr};
std::mutex g_writers;
std::size_t g_live = 0;  // under g_writers

std::size_t firstSlot(std::uintptr_t key, std::size_t mask) {
  std::uint64_t h = key;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return static_cast<std::size_t>(h) & mask;
}

unsigned char encode(HandleFacts f) {
  return static_cast<unsigned char>((f.filledBy == contracts::kFilledByInit ? kFromInit : 0) |
                                    (f.ownedHere ? kOwned : 0));
}

HandleFacts decode(unsigned char bits) {
  return {(bits & kFromInit) ? unsigned{contracts::kFilledByInit}
                             : unsigned{contracts::kFilledByInitCamera},
          (bits & kOwned) != 0};
}

// The slot holding `key`, or -1.
std::ptrdiff_t find(const Table& t, std::uintptr_t key) {
  std::size_t at = firstSlot(key, t.mask);
  for (std::size_t probes = 0; probes <= t.mask; ++probes, at = (at + 1) & t.mask) {
    const std::uintptr_t k = t.keys[at].load(std::memory_order_acquire);
    if (k == key) return static_cast<std::ptrdiff_t>(at);
    if (k == kEmpty) return -1;
  }
  return -1;
}

// Under g_writers; `key` is not in the table and the table has room.
void insert(Table& t, std::uintptr_t key, unsigned char bits) {
  std::size_t at = firstSlot(key, t.mask);
  for (;; at = (at + 1) & t.mask) {
    const std::uintptr_t k = t.keys[at].load(std::memory_order_relaxed);
    if (k == kEmpty || k == kGone) break;
  }
  t.facts[at].store(bits, std::memory_order_relaxed);
  t.keys[at].store(key, std::memory_order_release);
}

}  // namespace

unsigned filledByOf(const Px_Struct* record) noexcept {
  const Table* t = g_table.load(std::memory_order_acquire);
  if (t == nullptr || record == nullptr) return 0;
  const std::ptrdiff_t at = find(*t, reinterpret_cast<std::uintptr_t>(record));
  if (at < 0) return 0;
  return decode(t->facts[static_cast<std::size_t>(at)].load(std::memory_order_relaxed)).filledBy;
}

bool openHandle(Px_Struct* record, HandleFacts facts) {
  const auto key = reinterpret_cast<std::uintptr_t>(record);
  if (key == kEmpty || key == kGone) return false;
  std::lock_guard<std::mutex> guard(g_writers);
  Table* t = g_table.load(std::memory_order_relaxed);
  if (t != nullptr) {
    const std::ptrdiff_t at = find(*t, key);
    if (at >= 0) {
      // The applet handed out a record that is open already: one handle.
      t->facts[static_cast<std::size_t>(at)].store(encode(facts), std::memory_order_relaxed);
      return true;
    }
  }
  // At most half the slots live, so probes stay short and a free slot exists.
  const std::size_t capacity = t == nullptr ? 0 : t->mask + 1;
  if ((g_live + 1) * 2 > capacity) {
    const std::size_t grown = capacity == 0 ? kFirstCapacity : capacity * 2;
    std::unique_ptr<Table> next;
    try {
      next = std::make_unique<Table>(grown);
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (t != nullptr) {
      for (std::size_t i = 0; i <= t->mask; ++i) {
        const std::uintptr_t k = t->keys[i].load(std::memory_order_relaxed);
        if (k != kEmpty && k != kGone)
          insert(*next, k, t->facts[i].load(std::memory_order_relaxed));
      }
      next->previous.reset(t);
    }
    t = next.release();
    g_table.store(t, std::memory_order_release);
  }
  insert(*t, key, encode(facts));
  ++g_live;
  return true;
}

std::optional<HandleFacts> closeHandle(const Px_Struct* record) {
  if (record == nullptr) return std::nullopt;
  std::lock_guard<std::mutex> guard(g_writers);
  Table* t = g_table.load(std::memory_order_relaxed);
  if (t == nullptr) return std::nullopt;
  const std::ptrdiff_t at = find(*t, reinterpret_cast<std::uintptr_t>(record));
  if (at < 0) return std::nullopt;
  const auto slot = static_cast<std::size_t>(at);
  const HandleFacts facts = decode(t->facts[slot].load(std::memory_order_relaxed));
  t->keys[slot].store(kGone, std::memory_order_release);
  --g_live;
  return facts;
}

Px_Struct* allocateRecord() noexcept {
  return new (std::nothrow) Px_Struct();
}

void freeRecord(Px_Struct* record) noexcept {
  delete record;
}

}  // namespace qx::pictordyn
