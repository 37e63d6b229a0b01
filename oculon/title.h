// Window titles of a display.
#pragma once

#include <string>

namespace qx::oculon {

// Titles hold at most this many bytes; longer ones are cut, never inside a
// UTF-8 sequence.
constexpr size_t kTitleLength = 127;

// "Framegrabber Display <number>", the title of a new display.
std::string initialTitle(int displayNumber);
// "Framegrabber Display <number> (<picture number, 6 digits>) <text>".
std::string pictureTitle(int displayNumber, int pictureNumber, const char* text);

// A title's text is taken as UTF-8; bytes that are not part of a valid UTF-8
// sequence are taken as Latin-1 characters, so that Latin-1 text shows too.
// The title as UTF-8:
std::string titleAsUtf8(const std::string& title);
// The title as Latin-1, with "?" for characters Latin-1 does not have.
std::string titleAsLatin1(const std::string& title);

}  // namespace qx::oculon
