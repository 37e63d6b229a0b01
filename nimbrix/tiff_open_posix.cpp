#include <tiffio.h>

#include "platform/wide_name.h"
#include "tiff_file.h"

namespace nimbrix {

// libtiff takes wide names only on Windows; elsewhere they become UTF-8.
TIFF* openTiffWide(const wchar_t* name, const char* mode) {
  const std::string narrow = qx::platform::utf8FromWide(name);
  return narrow.empty() ? nullptr : TIFFOpen(narrow.c_str(), mode);
}

}  // namespace nimbrix
