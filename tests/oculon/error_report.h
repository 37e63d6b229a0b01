// Watches for the report the library gives when it cannot make a window:
// "ERR" on standard error, or the "ERR" message box on Windows (which is
// answered, as a user would).
#pragma once

#include <memory>

namespace qx::test {

class ErrorReport {
 public:
  ErrorReport();
  ~ErrorReport();
  // Stops watching; the number of reports seen.
  int finish();

 private:
  struct Watch;
  std::unique_ptr<Watch> watch_;
  int count_ = 0;
};

}  // namespace qx::test
