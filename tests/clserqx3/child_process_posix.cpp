#include "child_process.h"

#include "testsupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace qx::test {

struct ChildProcess::Impl {
  pid_t pid = -1;
  int in = -1;               // the child's standard input
  std::FILE* out = nullptr;  // the child's standard output
  int status = -1;
};

std::string programFile(const std::string& base) {
  return binDir() + "/" + base;
}

void makeExecutable(const std::string& path) {
  chmod(path.c_str(), 0755);
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         bool errorsToo) {
  // A child that died must fail the write, not end the test program.
  signal(SIGPIPE, SIG_IGN);
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) return false;
  if (pipe2(fromChild, O_CLOEXEC) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    if (errorsToo) dup2(fromChild[1], 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  impl_ = new Impl;
  impl_->pid = pid;
  impl_->in = toChild[1];
  impl_->out = fdopen(fromChild[0], "r");
  return true;
}

bool ChildProcess::writeLine(const std::string& line) {
  if (impl_ == nullptr) return false;
  const std::string text = line + "\n";
  return write(impl_->in, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::string ChildProcess::readLine() {
  if (impl_ == nullptr) return {};
  char buffer[1024];
  if (std::fgets(buffer, sizeof buffer, impl_->out) == nullptr) return {};
  std::string line = buffer;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

void ChildProcess::kill() {
  if (impl_ != nullptr && impl_->pid > 0) ::kill(impl_->pid, SIGKILL);
}

int ChildProcess::wait() {
  if (impl_ == nullptr) return -1;
  if (impl_->pid > 0) {
    if (impl_->in >= 0) close(impl_->in);
    impl_->in = -1;
    int status = 0;
    waitpid(impl_->pid, &status, 0);
    impl_->pid = -1;
    impl_->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return impl_->status;
}

ChildProcess::~ChildProcess() {
  if (impl_ == nullptr) return;
  if (impl_->pid > 0) {
    kill();
    wait();
  }
  if (impl_->in >= 0) close(impl_->in);
  if (impl_->out != nullptr) std::fclose(impl_->out);
  delete impl_;
}

}  // namespace qx::test
