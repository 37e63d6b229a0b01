#include <string>

#include "capture_stderr.h"
#include "error_report.h"

namespace qx::test {

struct ErrorReport::Watch {
  StderrCapture capture;
};

ErrorReport::ErrorReport() : watch_(new Watch) {}
ErrorReport::~ErrorReport() {
  finish();
}

int ErrorReport::finish() {
  if (!watch_) return count_;
  const std::string text = watch_->capture.finish();
  watch_.reset();
  // Anything but whole "ERR" lines is not the report.
  for (size_t at = 0; at < text.size(); at += 4) {
    if (text.compare(at, 4, "ERR\n") != 0) return count_ = -1;
    ++count_;
  }
  return count_;
}

}  // namespace qx::test
