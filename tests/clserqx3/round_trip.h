// One command to the simulated camera and its answer line, through the
// Camera Link functions.
#pragma once

#include <quorlex/clserqx3.h>

#include <string>

namespace qx::test {

// Sends `command` with "\r" and reads until "\n" or `timeoutMs` without
// bytes. The answer without "\r\n", or "timeout" when none came.
inline std::string roundTrip(hSerRef port, const std::string& command, unsigned timeoutMs = 2000) {
  std::string text = command + "\r";
  CLUINT32 size = static_cast<CLUINT32>(text.size());
  if (clSerialWrite(port, text.data(), &size, timeoutMs) != CL_ERR_NO_ERR) return "write failed";
  // A read waits for all the bytes it asks for: the answer is taken byte by
  // byte, as its length is not known.
  std::string answer;
  while (answer.empty() || answer.back() != '\n') {
    char byte = 0;
    size = 1;
    if (clSerialRead(port, &byte, &size, timeoutMs) != CL_ERR_NO_ERR || size != 1) break;
    answer.push_back(byte);
  }
  if (answer.empty()) return "timeout";
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  return answer;
}

}  // namespace qx::test
