// A child process of a test, talked to line by line through its standard
// input and output.
#pragma once

#include <string>
#include <vector>

namespace qx::test {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` with `args`; the child inherits the environment. With
  // `errorsToo` its standard error comes through readLine() as well.
  bool start(const std::string& program, const std::vector<std::string>& args,
             bool errorsToo = false);
  bool writeLine(const std::string& line);
  // The next line of the child's output without its line end; empty at the
  // end of the output.
  std::string readLine();
  // Ends the child at once, as a crash would.
  void kill();
  // Waits for the child's end; its exit code.
  int wait();

 private:
  struct Impl;
  Impl* impl_ = nullptr;
};

// File name of a program built in this tree, in the test programs' folder.
std::string programFile(const std::string& base);
// Lets a copied program file be run.
void makeExecutable(const std::string& path);

}  // namespace qx::test
