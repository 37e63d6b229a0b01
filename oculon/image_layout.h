// Sizes of the pictures a display handles.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qx::oculon {

// Bytes a picture of width x height is taken to hold: the width rounded up to
// a multiple of 8 pixels. This is what DrawBuffer copies and what callers
// size their buffers by, so it must not change.
int64_t pictureBytes(int width, int height, int bitDepth);

// Bytes from one row to the next when pixels are read for the screen: rows
// start on 4-byte boundaries, as in a device-independent bitmap.
int64_t rowStride(int width, int bitDepth);

// Size of a display's own image memory: height rows of rowStride bytes.
int64_t imageMemoryBytes(int width, int height, int bitDepth);

// Size a display's own memory must have: height rows of rowStride bytes,
// and at least what DrawBuffer copies for a picture of the same size.
int64_t displayMemoryBytes(int width, int height, int bitDepth);

bool isSupportedDepth(int bitDepth);

}  // namespace qx::oculon
