// The record behind the handle of a BMP file read into memory.
#pragma once

struct BmpImage {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  unsigned char* fileBuffer = nullptr;  // the whole file as read
  unsigned char* pixels = nullptr;      // inside fileBuffer; null when reading failed
};
