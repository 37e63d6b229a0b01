// Reading an applet entry out of a grabber handle.
#pragma once

#include "applet_table.h"
#include "px_struct.h"

namespace qx::pictordyn {

// The entry in `word` of a live handle that the initialisation `filledBy`
// filled, or null when the word is empty: the applet lacks the export, or
// that initialisation does not fill the word (which then holds whatever the
// applet's record held). An empty word is never called: the miss is recorded
// as -120 and traced as "<name>: no entry".
void* entryWord(Px_Struct* handle, unsigned filledBy, int word);

template <typename Fn>
Fn entryOf(Px_Struct* handle, unsigned filledBy, int word) {
  return reinterpret_cast<Fn>(entryWord(handle, filledBy, word));
}

// Whether the word holds an entry, without tracing or storing anything.
bool hasEntry(const Px_Struct* handle, unsigned filledBy, int word);

// The word of a named entry, checked when compiling.
#define PX_ENTRY_WORD(name)                                           \
  ([] {                                                               \
    constexpr int w = ::qx::contracts::wordOfEntry(name);             \
    static_assert(w >= 0, "not an entry of the handle table: " name); \
    return w;                                                         \
  }())

}  // namespace qx::pictordyn
