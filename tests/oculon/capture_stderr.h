// Collects what the process writes to its standard error stream.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace qx::test {

class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    saved_ = dup(2);
    file_ = std::tmpfile();
    dup2(fileno(file_), 2);
  }
  ~StderrCapture() { finish(); }
  std::string finish() {
    if (file_ == nullptr) return text_;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    std::rewind(file_);
    char buffer[256];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text_.append(buffer, n);
    std::fclose(file_);
    file_ = nullptr;
    return text_;
  }

 private:
  int saved_ = -1;
  FILE* file_ = nullptr;
  std::string text_;
};

}  // namespace qx::test
