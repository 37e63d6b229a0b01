#include <tiffio.h>

#include "tiff_file.h"

namespace nimbrix {

TIFF* openTiffWide(const wchar_t* name, const char* mode) {
  return name == nullptr ? nullptr : TIFFOpenW(name, mode);
}

}  // namespace nimbrix
