#include "camera.h"

#include "journal.h"

#include <cstring>
#include <sstream>

namespace qx::sim {
namespace {

std::string answer(CameraState& camera, int board, int port, const std::string& line) {
  std::istringstream words(line);
  std::string command, key, value;
  words >> command;
  if (command == "ID?") return "SIMCAM " + std::to_string(board) + (port == 0 ? "A" : "B");
  if (command == "SET" && words >> key >> value && key.size() < 16 && value.size() < 32) {
    for (int i = 0; i < kCameraValues; ++i) {
      if (camera.keys[i][0] == '\0' || key == camera.keys[i]) {
        std::snprintf(camera.keys[i], sizeof camera.keys[i], "%s", key.c_str());
        std::snprintf(camera.values[i], sizeof camera.values[i], "%s", value.c_str());
        return "OK";
      }
    }
    return "ERR";
  }
  if (command == "GET" && words >> key) {
    for (int i = 0; i < kCameraValues; ++i)
      if (camera.keys[i][0] != '\0' && key == camera.keys[i]) return key + " " + camera.values[i];
  }
  return "ERR";
}

}  // namespace

std::string cameraReceive(CameraState& camera, int board, int port, const std::uint8_t* bytes,
                          int count) {
  std::string answers;
  for (int i = 0; i < count; ++i) {
    const char c = static_cast<char>(bytes[i]);
    if (c == '\r' || c == '\n') {
      if (camera.lineLength == 0) continue;
      const std::string line(camera.line, static_cast<std::size_t>(camera.lineLength));
      camera.lineLength = 0;
      const std::string reply = answer(camera, board, port, line);
      journal("camera %d%c: %s -> %s", board, port == 0 ? 'A' : 'B', line.c_str(), reply.c_str());
      answers += reply + "\r\n";
    } else if (camera.lineLength < static_cast<int>(sizeof camera.line)) {
      camera.line[camera.lineLength++] = c;
    }
  }
  return answers;
}

}  // namespace qx::sim
