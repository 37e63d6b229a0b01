// Draws the simulator's moving test pattern with the picture number stamped
// into its first four bytes (the layout is described in acqsim.h).
#pragma once

namespace qx::sim {

void drawPicture(unsigned char* data, int width, int height, int bytesPerPixel, int picture);

}  // namespace qx::sim
