// The bare image transfer that DrawBuffer is measured against: the system's
// own call, with the picture already in the form the system takes, into the
// same window.
#pragma once

#include <cstdint>
#include <memory>

#include <quorlex/oculon.h>

class BareTransfer {
 public:
  virtual ~BareTransfer() = default;
  // Transfers the picture once and waits until the system has drawn it.
  virtual void transfer() = 0;
  static const char* name();
  // `picture` holds width x height pixels of bitDepth 8 or 24 in the kit's
  // layout; null when the transfer cannot be set up.
  static std::unique_ptr<BareTransfer> open(OculonWindow window, int bitDepth, int width,
                                            int height, const uint8_t* picture);
};
