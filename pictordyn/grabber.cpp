#include "grabber.h"

#include <cstdlib>
#include <mutex>
#include <set>

namespace qx::pictordyn {
namespace {

struct OwnedRecords {
  std::mutex lock;
  std::set<Px_Struct*> records;
};

OwnedRecords& owned() {
  static OwnedRecords* o = new OwnedRecords;  // outlives exit-time calls
  return *o;
}

}  // namespace

Px_Struct* allocateRecord() {
  auto* record = static_cast<Px_Struct*>(std::calloc(1, sizeof(Px_Struct)));
  if (record == nullptr) return nullptr;
  OwnedRecords& o = owned();
  std::lock_guard<std::mutex> guard(o.lock);
  o.records.insert(record);
  return record;
}

bool releaseIfOwned(Px_Struct* record) {
  OwnedRecords& o = owned();
  {
    std::lock_guard<std::mutex> guard(o.lock);
    if (o.records.erase(record) == 0) return false;
  }
  std::free(record);
  return true;
}

}  // namespace qx::pictordyn
