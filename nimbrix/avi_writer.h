// The record behind an AVI handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "avi_output.h"

struct AviWriter {
  static constexpr std::size_t kFormatSize = 40 + 256 * 4;

  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;  // 8 (grey) or 24 (colour)
  unsigned char format[kFormatSize] = {};
  std::size_t formatLength = 0;  // 1064 for grey (with the palette), 40 for colour
  nimbrix::AviStreamSetup setup;
  // Null when the create failed: nothing is written through such a handle.
  std::unique_ptr<nimbrix::AviOutput> output;
  // The lowest frame index that may be written next.
  std::int64_t nextIndex = 0;

  // Fills the record; false for sizes or rates no AVI file can carry.
  bool prepare(int width, int height, int bitsPerPixel, double framesPerSecond);
  std::size_t frameSize() const;
  int writeFrame(int index, const void* frame);
  // 0, or -1 when the file could not be completed.
  int close();
};
