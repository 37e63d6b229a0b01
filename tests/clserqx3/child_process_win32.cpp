#include "child_process.h"

#include "testsupport.h"

#include <windows.h>

namespace qx::test {

struct ChildProcess::Impl {
  HANDLE process = nullptr;
  HANDLE in = nullptr;   // writes to the child's standard input
  HANDLE out = nullptr;  // reads the child's standard output
  int status = -1;
};

std::string programFile(const std::string& base) {
  return binDir() + "\\" + base + ".exe";
}

void makeExecutable(const std::string&) {}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         bool errorsToo) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE childIn = nullptr, parentIn = nullptr, parentOut = nullptr, childOut = nullptr;
  if (!CreatePipe(&childIn, &parentIn, &inherit, 0)) return false;
  if (!CreatePipe(&parentOut, &childOut, &inherit, 0)) return false;
  // Only the child's ends travel to the child.
  SetHandleInformation(parentIn, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(parentOut, HANDLE_FLAG_INHERIT, 0);
  std::string command = "\"" + program + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn;
  startup.hStdOutput = childOut;
  startup.hStdError = errorsToo ? childOut : GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  const BOOL ok = CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, nullptr, &startup, &info);
  CloseHandle(childIn);
  CloseHandle(childOut);
  if (!ok) {
    CloseHandle(parentIn);
    CloseHandle(parentOut);
    return false;
  }
  CloseHandle(info.hThread);
  impl_ = new Impl;
  impl_->process = info.hProcess;
  impl_->in = parentIn;
  impl_->out = parentOut;
  return true;
}

bool ChildProcess::writeLine(const std::string& line) {
  if (impl_ == nullptr || impl_->in == nullptr) return false;
  const std::string text = line + "\n";
  DWORD written = 0;
  return WriteFile(impl_->in, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

std::string ChildProcess::readLine() {
  std::string line;
  if (impl_ == nullptr) return line;
  for (;;) {
    char c = 0;
    DWORD got = 0;
    if (!ReadFile(impl_->out, &c, 1, &got, nullptr) || got == 0) break;
    if (c == '\n') break;
    if (c != '\r') line.push_back(c);
  }
  return line;
}

void ChildProcess::kill() {
  if (impl_ != nullptr && impl_->process != nullptr) TerminateProcess(impl_->process, 9);
}

int ChildProcess::wait() {
  if (impl_ == nullptr) return -1;
  if (impl_->process != nullptr) {
    if (impl_->in != nullptr) CloseHandle(impl_->in);
    impl_->in = nullptr;
    WaitForSingleObject(impl_->process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(impl_->process, &code);
    CloseHandle(impl_->process);
    impl_->process = nullptr;
    impl_->status = static_cast<int>(code);
  }
  return impl_->status;
}

ChildProcess::~ChildProcess() {
  if (impl_ == nullptr) return;
  if (impl_->process != nullptr) {
    kill();
    wait();
  }
  if (impl_->in != nullptr) CloseHandle(impl_->in);
  if (impl_->out != nullptr) CloseHandle(impl_->out);
  delete impl_;
}

}  // namespace qx::test
