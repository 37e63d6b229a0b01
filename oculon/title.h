// Window titles of a display.
#pragma once

#include <string>

namespace qx::oculon {

// Titles hold at most this many characters; longer ones are cut.
constexpr size_t kTitleLength = 127;

// "Framegrabber Display <number>", the title of a new display.
std::string initialTitle(int displayNumber);
// "Framegrabber Display <number> (<picture number, 6 digits>) <text>".
std::string pictureTitle(int displayNumber, int pictureNumber, const char* text);

}  // namespace qx::oculon
