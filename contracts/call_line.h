// How a call of an applet entry reads as one line of text, as both the
// grabber library's trace and the recording simulator's journal write it:
// "<name>(<handle>,<arguments>)", numbers in decimal, pointers in lower-case
// hexadecimal without prefix, texts as they are ("(null)" for none).
#pragma once

#include <cinttypes>
#include <cstddef>
#include <cstdint>

namespace qx::contracts {

template <typename T>
struct CallArg;
template <>
struct CallArg<int> {
  static constexpr const char* format = "%d";
  static int value(int v) { return v; }
};
template <>
struct CallArg<void*> {
  static constexpr const char* format = "%" PRIxPTR;
  static std::uintptr_t value(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }
};
template <>
struct CallArg<const char*> {
  static constexpr const char* format = "%s";
  static const char* value(const char* s) { return s != nullptr ? s : "(null)"; }
};

// A printf format, built once per entry. No name of the entry table comes
// near its size; a longer text would be cut, never overrun.
struct CallFormat {
  char text[128] = {};
  std::size_t length = 0;

  void put(const char* s) noexcept {
    while (*s != '\0' && length + 1 < sizeof text) text[length++] = *s++;
  }
};

// "<name>(<handle>,<arguments>)" for a call that takes the handle, then Args.
template <typename... Args>
CallFormat callFormat(const char* name) noexcept {
  CallFormat f;
  f.put(name);
  f.put("(");
  f.put(CallArg<void*>::format);
  ((f.put(","), f.put(CallArg<Args>::format)), ...);
  f.put(")");
  return f;
}

}  // namespace qx::contracts
