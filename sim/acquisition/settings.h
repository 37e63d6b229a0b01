// What a port of the simulated applet is set to: geometry, format, rate,
// trigger mode and the stored output settings. Each port has its own.
#pragma once

#include <string>

namespace qx::sim {

class SimConfig;

struct PortSettings {
  int width = 640;
  int height = 480;
  int format = 8;  // bits per pixel
  // Pictures per second. A consumer that waits for every picture with four
  // buffers has 160 ms per picture before the ring overruns: enough for a
  // sanitizer build or Wine on a loaded machine, where 100 per second lost
  // pictures.
  int rate = 25;
  int triggerMode = 0;
  int exsync = 0;
  int flash = 0;
  int clock = 0;

  // The configuration's "acq.*" values, each falling back to its default
  // when absent or out of range.
  static PortSettings fromConfig(const SimConfig& config);

  int bytesPerPixel() const { return format == 24 ? 3 : 1; }
  int pictureBytes() const { return width * height * bytesPerPixel(); }
};

// Sets a parameter that the settings hold; 0, ACQSIM_ERR_PARAMETER for a
// number that is not a stored setting, or ACQSIM_ERR_VALUE (nothing changed).
int setSetting(PortSettings& settings, int parameter, int value);
// Reads a stored setting into `value`; 0 or ACQSIM_ERR_PARAMETER.
int getSetting(const PortSettings& settings, int parameter, int& value);
// Whether a parameter can change while the port acquires.
bool changesWhileAcquiring(int parameter);

// The settings as they appear in configuration files, in file order.
struct SettingKey {
  const char* name;
  int parameter;
};
extern const SettingKey kSettingKeys[];
extern const int kSettingKeyCount;

}  // namespace qx::sim
