// The forwarding pattern: refuse a handle that is not live, find the entry
// of the same name, call it with the caller's arguments, trace the result;
// and the guard that keeps every exception inside the library.
#pragma once

#include <quorlex/pictordyn.h>
#include "applet_entries.h"
#include "call_line.h"
#include "entry.h"
#include "grabber.h"
#include "last_error.h"
#include "platform/boundary.h"
#include "trace.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace qx::pictordyn {

// The entry to call, or null when the handle is not live (null, or already
// released: traced as "<name>: invalid Px", -2001 stored) or the entry word
// is empty (traced as "<name>: no entry", -120 stored). The caller then
// returns its null-handle result.
template <typename Fn>
Fn checkedEntry(Px_Struct* handle, int word) {
  const unsigned filledBy = filledByOf(handle);
  if (filledBy == 0) {
    setLastError(PX_ERR_INVALID_HANDLE);
    px_log("%s: invalid Px\n", contracts::kPxWords[word].name);
    return nullptr;
  }
  return entryOf<Fn>(handle, filledBy, word);
}

// Stores -120 for an exception that left an exported function and, when
// `name` is given (the function writes trace lines), traces
// "<name>: out of memory" or "<name>: failed".
void recordFault(const char* name, platform::Fault fault) noexcept;

// The body of an exported function: what it returns, or `failure` when an
// exception leaves it (see recordFault).
template <typename Body>
auto exported(const char* name, std::invoke_result_t<Body&> failure, Body&& body) noexcept {
  return platform::guarded(body, failure,
                           [name](platform::Fault fault) { recordFault(name, fault); });
}

// What a failed text query returns: a text, never null.
inline constexpr char kNoText[] = "";

namespace detail {

using contracts::CallArg;

// The format of a forwarded call's result line,
// "<name>(<handle>,<arguments>) : <result>".
template <typename Ret, typename... Args>
contracts::CallFormat lineFormat(const char* name) noexcept {
  contracts::CallFormat f = contracts::callFormat<Args...>(name);
  f.put(" : ");
  f.put(CallArg<Ret>::format);
  f.put("\n");
  return f;
}

// A result of type Ret that stands for `number`: the number itself, null for
// pointers, "" for texts.
template <typename Ret>
Ret resultFor(int number) {
  if constexpr (std::is_same_v<Ret, int>)
    return number;
  else if constexpr (std::is_same_v<Ret, const char*>)
    return kNoText;
  else
    return nullptr;
}

template <int Word, typename Fn>
struct Forwarder;

template <int Word, typename Ret, typename... Args>
struct Forwarder<Word, Ret (*)(Px_Struct*, Args...)> {
  static_assert(Word >= 0 && contracts::kPxWords[Word].kind == contracts::WordKind::Entry,
                "not an entry of the handle table");
  static Ret call(Px_Struct* h, Args... args) noexcept {
    const char* const name = contracts::kPxWords[Word].name;
    return exported(name, resultFor<Ret>(PX_ERR_DLL_NOT_LOADED), [&]() -> Ret {
      auto entry = checkedEntry<Ret (*)(Px_Struct*, Args...)>(h, Word);
      if (entry == nullptr) return resultFor<Ret>(PX_ERR_INVALID_HANDLE);
      const Ret r = entry(h, args...);
      static const contracts::CallFormat format = lineFormat<Ret, Args...>(name);
      px_log(format.text, pxp(h), CallArg<Args>::value(args)..., CallArg<Ret>::value(r));
      return r;
    });
  }
};

}  // namespace detail

// The common forwarded call: refuse a handle that is not live, call the
// entry of the word with the caller's arguments, trace
// "<name>(<handle>,<arguments>) : <result>" and return the entry's result.
// A handle that is not live or a missing entry gives -2001 for numbers, null
// for pointers and "" for texts; an exception -120, null or "". The calls
// that differ from this are written out beside it, each saying how.
// `Word` is the entry's word, as wordOfEntry("<name>") gives it; the
// entry's type comes from the table.
template <int Word, typename... Args>
auto forwarded(Px_Struct* h, Args... args) noexcept {
  return detail::Forwarder<Word, contracts::EntryPointer<Word>>::call(h, args...);
}

}  // namespace qx::pictordyn

// Pointers printed in decimal, as one result line wants them.
#define PXD "%" PRIdPTR
inline std::intptr_t pxd(const void* p) {
  return reinterpret_cast<std::intptr_t>(p);
}
