// Typed declarations of the forwarded entries of an applet library. Each
// entry takes the whole grabber handle first, then the arguments of the
// exported Px_ function of the same name, and its result is passed back
// unchanged. Applet libraries (and their simulators) implement these.
#pragma once

#include <quorlex/px_dialog_block.h>
#include "applet_table.h"
#include "px_struct.h"

#include <cstdint>
#include <type_traits>

extern "C" {

static_assert(sizeof(PxDialogBlock) == 40, "the dialog block is 40 bytes");

// One pointer type per typed entry of the table, named as the entry is
// (PxAllocMemExFn for Px_AllocMemEx).
#define QX_ENTRY_POINTER_Untyped
#define QX_ENTRY_POINTER_Typed(pointer, ...) using pointer = std::add_pointer_t<__VA_ARGS__>;
#define QX_ENTRY_POINTER(word, name, by, role, ordinal, type) QX_ENTRY_POINTER_##type
QX_APPLET_ENTRIES(QX_ENTRY_POINTER)
#undef QX_ENTRY_POINTER
#undef QX_ENTRY_POINTER_Typed
#undef QX_ENTRY_POINTER_Untyped
}

namespace qx::contracts {

// The pointer type of the entry in word `Word` (void for an untyped entry):
// EntryPointerOf<wordOfEntry("Px_AllocMemEx")>::type is PxAllocMemExFn.
template <int Word>
struct EntryPointerOf;
#define QX_ENTRY_POINTER_TYPE_Typed(pointer, ...) pointer
#define QX_ENTRY_POINTER_TYPE_Untyped void
#define QX_ENTRY_POINTER_SPECIALISATION(word, pointer) \
  template <>                                          \
  struct EntryPointerOf<word> {                        \
    using type = pointer;                              \
  };
#define QX_ENTRY_POINTER_OF(word, name, by, role, ordinal, type) \
  QX_ENTRY_POINTER_SPECIALISATION(word, QX_ENTRY_POINTER_TYPE_##type)
QX_APPLET_ENTRIES(QX_ENTRY_POINTER_OF)
#undef QX_ENTRY_POINTER_OF
#undef QX_ENTRY_POINTER_SPECIALISATION
#undef QX_ENTRY_POINTER_TYPE_Untyped
#undef QX_ENTRY_POINTER_TYPE_Typed

template <int Word>
using EntryPointer = typename EntryPointerOf<Word>::type;

// What the acquisition applets of this board family agree on.
inline constexpr int kSelectorLastPicture = 230;   // Px_getImageEx: last picture number
inline constexpr int kParamImageTag = 22000;       // read with the picture number preloaded
inline constexpr int kParamTransferLength = 5210;  // likewise

}  // namespace qx::contracts
