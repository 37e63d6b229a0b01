#include "title.h"

#include <cstdio>

namespace qx::oculon {

std::string initialTitle(int displayNumber) {
  char title[kTitleLength + 1];
  std::snprintf(title, sizeof title, "Framegrabber Display %d", displayNumber);
  return title;
}

std::string pictureTitle(int displayNumber, int pictureNumber, const char* text) {
  char title[kTitleLength + 1];
  std::snprintf(title, sizeof title, "Framegrabber Display %d (%6.6d) %s", displayNumber,
                pictureNumber, text != nullptr ? text : "");
  return title;
}

}  // namespace qx::oculon
