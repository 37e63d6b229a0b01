#include "settings.h"

#include "acqsim.h"
#include "sim_config.h"

namespace qx::sim {
namespace {

struct Range {
  int parameter;
  int PortSettings::*field;
  int low;
  int high;
};

// Width and height are capped so that a colour picture stays far below 2 GiB
// (sizes travel as int); four bytes per row at least hold the stamp.
constexpr Range kRanges[] = {
    {ACQSIM_PARAM_WIDTH, &PortSettings::width, 4, 16384},
    {ACQSIM_PARAM_HEIGHT, &PortSettings::height, 1, 16384},
    {ACQSIM_PARAM_FORMAT, &PortSettings::format, 8, 24},
    {ACQSIM_PARAM_RATE, &PortSettings::rate, 1, 100000},
    {ACQSIM_PARAM_TRIGGER_MODE, &PortSettings::triggerMode, ACQSIM_TRIGGER_FREE_RUN,
     ACQSIM_TRIGGER_SOFTWARE},
    {ACQSIM_PARAM_EXSYNC, &PortSettings::exsync, -0x7fffffff - 1, 0x7fffffff},
    {ACQSIM_PARAM_FLASH, &PortSettings::flash, -0x7fffffff - 1, 0x7fffffff},
    {ACQSIM_PARAM_CLOCK, &PortSettings::clock, -0x7fffffff - 1, 0x7fffffff},
};

const Range* rangeOf(int parameter) {
  for (const Range& r : kRanges)
    if (r.parameter == parameter) return &r;
  return nullptr;
}

bool valid(const Range& r, int value) {
  if (value < r.low || value > r.high) return false;
  return r.parameter != ACQSIM_PARAM_FORMAT || value == 8 || value == 24;
}

}  // namespace

const SettingKey kSettingKeys[] = {
    {"Width", ACQSIM_PARAM_WIDTH},
    {"Height", ACQSIM_PARAM_HEIGHT},
    {"Format", ACQSIM_PARAM_FORMAT},
    {"Rate", ACQSIM_PARAM_RATE},
    {"TriggerMode", ACQSIM_PARAM_TRIGGER_MODE},
    {"Exsync", ACQSIM_PARAM_EXSYNC},
    {"Flash", ACQSIM_PARAM_FLASH},
    {"Clock", ACQSIM_PARAM_CLOCK},
};
const int kSettingKeyCount = sizeof(kSettingKeys) / sizeof(kSettingKeys[0]);

PortSettings PortSettings::fromConfig(const SimConfig& config) {
  PortSettings s;
  const struct {
    const char* key;
    int parameter;
  } keys[] = {{"acq.width", ACQSIM_PARAM_WIDTH},
              {"acq.height", ACQSIM_PARAM_HEIGHT},
              {"acq.format", ACQSIM_PARAM_FORMAT},
              {"acq.rate", ACQSIM_PARAM_RATE},
              {"acq.trigger", ACQSIM_PARAM_TRIGGER_MODE}};
  for (const auto& k : keys) {
    const Range& r = *rangeOf(k.parameter);
    const int value = config.number(k.key, s.*r.field);
    if (valid(r, value)) s.*r.field = value;
  }
  return s;
}

int setSetting(PortSettings& settings, int parameter, int value) {
  const Range* r = rangeOf(parameter);
  if (r == nullptr) return ACQSIM_ERR_PARAMETER;
  if (!valid(*r, value)) return ACQSIM_ERR_VALUE;
  settings.*r->field = value;
  return 0;
}

int getSetting(const PortSettings& settings, int parameter, int& value) {
  const Range* r = rangeOf(parameter);
  if (r == nullptr) return ACQSIM_ERR_PARAMETER;
  value = settings.*r->field;
  return 0;
}

bool changesWhileAcquiring(int parameter) {
  return parameter != ACQSIM_PARAM_WIDTH && parameter != ACQSIM_PARAM_HEIGHT &&
         parameter != ACQSIM_PARAM_FORMAT && parameter != ACQSIM_PARAM_TRIGGER_MODE;
}

}  // namespace qx::sim
