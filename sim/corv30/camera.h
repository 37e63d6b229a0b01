// The simulated camera on a camera port: it collects the bytes it receives
// into lines ("\r" or "\n" ends one; empty lines are ignored) and answers
// every line with one line ending in "\r\n":
//   "ID?"              -> "SIMCAM <board><A|B>"
//   "SET <key> <value>" -> "OK"   (at most eight keys per camera)
//   "GET <key>"        -> "<key> <value>", or "ERR" for a key never set
//   anything else      -> "ERR"
#pragma once

#include "machine.h"

#include <string>

namespace qx::sim {

// Feeds received bytes to the camera; returns the answers of the lines they
// completed, in order.
std::string cameraReceive(CameraState& camera, int board, int port, const std::uint8_t* bytes,
                          int count);

}  // namespace qx::sim
