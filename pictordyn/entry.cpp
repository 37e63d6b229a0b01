#include "entry.h"

#include "last_error.h"
#include "pictordyn.h"
#include "trace.h"

namespace qx::pictordyn {

void* entryWord(Px_Struct* handle, int word) {
  void* entry = handle->word[word];
  if (entry == nullptr) {
    px_lastError = PX_ERR_DLL_NOT_LOADED;
    px_log("%s: no entry\n", contracts::kPxWords[word].name);
  }
  return entry;
}

}  // namespace qx::pictordyn
