// What both systems' library loading share: the reason of the last failure.
#include "platform/library.h"

namespace qx::platform {

namespace detail {
std::string& libraryErrorText() {
  thread_local std::string text;
  return text;
}
}  // namespace detail

const std::string& libraryError() {
  return detail::libraryErrorText();
}

}  // namespace qx::platform
