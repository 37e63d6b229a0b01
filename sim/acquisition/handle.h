// The record that Px_InitLocal hands out: the Px_Struct that the grabber
// library fills, followed by what the simulator needs to find its state.
// Every entry goes through `callInt` / `callPtr`, which refuse a pointer
// that is not a live record of this applet and keep exceptions inside.
#pragma once

#include "acqsim.h"
#include "grabber.h"
#include "px_struct.h"

#include <cstdint>
#include <new>
#include <type_traits>

namespace qx::sim {

struct HandleBlock {
  Px_Struct record;  // first, so that the record's address is the block's
  std::uint32_t magic;
  Grabber* grabber;
};
static_assert(std::is_standard_layout_v<HandleBlock>, "the record must start the block");

inline constexpr std::uint32_t kHandleMagic = 0x41515349;  // "AQSI"

inline Grabber* grabberOf(Px_Struct* handle) {
  if (handle == nullptr) return nullptr;
  auto* block = reinterpret_cast<HandleBlock*>(handle);
  return block->magic == kHandleMagic ? block->grabber : nullptr;
}

template <typename Fn>
int callInt(Px_Struct* handle, Fn fn) noexcept {
  Grabber* grabber = grabberOf(handle);
  if (grabber == nullptr) return ACQSIM_ERR_INVALID_HANDLE;
  try {
    return fn(*grabber);
  } catch (const std::bad_alloc&) {
    return grabber->fail(ACQSIM_ERR_NO_MEMORY);
  } catch (...) {
    return grabber->fail(ACQSIM_ERR_INTERNAL);
  }
}

template <typename T, typename Fn>
T* callPtr(Px_Struct* handle, Fn fn) noexcept {
  Grabber* grabber = grabberOf(handle);
  if (grabber == nullptr) return nullptr;
  try {
    return fn(*grabber);
  } catch (const std::bad_alloc&) {
    grabber->fail(ACQSIM_ERR_NO_MEMORY);
  } catch (...) {
    grabber->fail(ACQSIM_ERR_INTERNAL);
  }
  return nullptr;
}

// Text of an error number of this applet; never null.
const char* errorText(int error);

}  // namespace qx::sim
