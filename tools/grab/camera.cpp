#include "grab.h"

#include <quorlex/clserqx3.h>

#include <cstdio>
#include <string>

namespace grab {

namespace {

const CLUINT32 kTimeoutMs = 1000;

std::string clText(int status) {
  char text[256];
  CLUINT32 size = sizeof text;
  if (clGetErrorText(status, text, &size) != CL_ERR_NO_ERR)
    return "status " + std::to_string(status);
  return text;
}

// Sends one command line and reads the answer line. The answer's length is
// not known in advance, so it is read a byte at a time up to its line end.
bool exchange(hSerRef port, const std::string& command, std::string& answer) {
  std::string text = command + "\r";
  CLUINT32 size = static_cast<CLUINT32>(text.size());
  int status = clSerialWrite(port, &text[0], &size, kTimeoutMs);
  if (status != CL_ERR_NO_ERR) {
    std::fprintf(stderr, "grab: camera: sending \"%s\" failed: %s\n", command.c_str(),
                 clText(status).c_str());
    return false;
  }
  answer.clear();
  while (answer.empty() || answer.back() != '\n') {
    char byte = 0;
    size = 1;
    status = clSerialRead(port, &byte, &size, kTimeoutMs);
    if (status != CL_ERR_NO_ERR) {
      std::fprintf(stderr, "grab: camera: no answer to \"%s\": %s\n", command.c_str(),
                   clText(status).c_str());
      return false;
    }
    if (size == 1) answer.push_back(byte);
  }
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  return true;
}

}  // namespace

bool setUpCamera(const Options& o, int cameraPort) {
  const CLUINT32 index = static_cast<CLUINT32>(2 * o.board + cameraPort);
  hSerRef port = nullptr;
  const int status = clSerialInit(index, &port);
  if (status != CL_ERR_NO_ERR) {
    std::fprintf(stderr, "grab: camera: cannot open serial port %u: %s\n", index,
                 clText(status).c_str());
    return false;
  }
  std::string id, setAnswer, readBack;
  const std::string expected = o.cameraName + " " + o.cameraValue;
  bool ok = exchange(port, "ID?", id) && exchange(port, "SET " + expected, setAnswer) &&
            exchange(port, "GET " + o.cameraName, readBack);
  if (ok && setAnswer != "OK") {
    std::fprintf(stderr, "grab: camera refused \"SET %s\": %s\n", expected.c_str(),
                 setAnswer.c_str());
    ok = false;
  } else if (ok && readBack != expected) {
    std::fprintf(stderr, "grab: camera: %s read back as \"%s\", expected \"%s\"\n",
                 o.cameraName.c_str(), readBack.c_str(), expected.c_str());
    ok = false;
  }
  if (ok)
    std::printf("camera on serial port %u: %s, %s set and read back\n", index, id.c_str(),
                expected.c_str());
  clSerialClose(port);
  return ok;
}

}  // namespace grab
