#include "entry.h"

#include <quorlex/pictordyn.h>
#include "last_error.h"
#include "trace.h"

namespace qx::pictordyn {

bool hasEntry(const Px_Struct* handle, unsigned filledBy, int word) {
  return (contracts::kPxWords[word].filledBy & filledBy) != 0 && handle->word[word] != nullptr;
}

void* entryWord(Px_Struct* handle, unsigned filledBy, int word) {
  if (!hasEntry(handle, filledBy, word)) {
    setLastError(PX_ERR_DLL_NOT_LOADED);
    px_log("%s: no entry\n", contracts::kPxWords[word].name);
    return nullptr;
  }
  return handle->word[word];
}

}  // namespace qx::pictordyn

#include "forward.h"

namespace qx::pictordyn {

void recordFault(const char* name, platform::Fault fault) noexcept {
  setLastError(PX_ERR_DLL_NOT_LOADED);
  if (name == nullptr) return;
  px_log(fault == platform::Fault::OutOfMemory ? "%s: out of memory\n" : "%s: failed\n", name);
}

}  // namespace qx::pictordyn
