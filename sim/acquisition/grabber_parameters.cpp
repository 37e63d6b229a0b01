// Parameters of the ports and the configuration files that hold them.
#include "acqsim.h"
#include "config_file.h"
#include "grabber.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace qx::sim {
namespace {

const char* parameterName(int parameter) {
  switch (parameter) {
    case ACQSIM_PARAM_WIDTH: return "width";
    case ACQSIM_PARAM_HEIGHT: return "height";
    case ACQSIM_PARAM_FORMAT: return "format";
    case ACQSIM_PARAM_RATE: return "rate";
    case ACQSIM_PARAM_TRIGGER_MODE: return "trigger mode";
    case ACQSIM_PARAM_EXSYNC: return "exsync";
    case ACQSIM_PARAM_FLASH: return "flash";
    case ACQSIM_PARAM_CLOCK: return "clock";
    case ACQSIM_PARAM_PICTURE_SIZE: return "picture size";
    case ACQSIM_PARAM_DIALOG_WORD: return "dialog word";
    case ACQSIM_PARAM_IMAGE_TAG: return "image tag";
    case ACQSIM_PARAM_TRANSFER_LENGTH: return "transfer length";
    default: return nullptr;
  }
}

bool parseInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < -2147483647L - 1 || v > 2147483647L) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

int Grabber::setParameter(int parameter, const int* value, int port) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  if (value == nullptr) return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> lock(mutex_);
  Port& p = ports_[port];
  if (p.active && !changesWhileAcquiring(parameter)) return fail(ACQSIM_ERR_BUSY);
  const int result = setSetting(p.settings, parameter, *value);
  return result < 0 ? fail(result) : 0;
}

// The grabber library reads the tag and the length after every picture-number
// call, with the result of that call preloaded, also when it is 0 or an
// error. So a missing picture is answered without being stored as the last
// error: the caller's own failure (a time-out, say) must stay readable.
int Grabber::byPicture(const Port& port, int parameter, int* value) {
  if (port.memory == nullptr || *value < 1) return ACQSIM_ERR_NO_PICTURE;
  const MemoryRing::Slot& slot = port.memory->slotOf(*value);
  if (slot.picture != *value) return ACQSIM_ERR_NO_PICTURE;
  *value = parameter == ACQSIM_PARAM_IMAGE_TAG ? slot.tag : slot.length;
  return 0;
}

int Grabber::getParameter(int parameter, int* value, int port) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  if (value == nullptr) return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> lock(mutex_);
  Port& p = ports_[port];
  switch (parameter) {
    case ACQSIM_PARAM_IMAGE_TAG:
    case ACQSIM_PARAM_TRANSFER_LENGTH: return byPicture(p, parameter, value);
    case ACQSIM_PARAM_PICTURE_SIZE: *value = p.settings.pictureBytes(); return 0;
    case ACQSIM_PARAM_DIALOG_WORD:
      if (*value < 0 || *value >= 10) return fail(ACQSIM_ERR_VALUE);
      *value = dialog_.word[*value];
      return 0;
    default: {
      const int result = getSetting(p.settings, parameter, *value);
      return result < 0 ? fail(result) : 0;
    }
  }
}

int Grabber::parameterInfo(int parameter, char* text, int capacity) {
  const char* name = parameterName(parameter);
  if (name == nullptr) return fail(ACQSIM_ERR_PARAMETER);
  if (text == nullptr || capacity <= 0) return fail(ACQSIM_ERR_ARGUMENT);
  std::snprintf(text, static_cast<std::size_t>(capacity), "%s", name);
  return 0;
}

int Grabber::saveConfig(const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') return fail(ACQSIM_ERR_ARGUMENT);
  PortSettings ports[kPorts];
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < kPorts; ++i) ports[i] = ports_[i].settings;
  }
  const std::string text = formatConfigFile(identity_, ports);
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return out ? 0 : fail(ACQSIM_ERR_FILE);
}

int Grabber::loadConfig(const char* fileName) {
  if (fileName == nullptr) return fail(ACQSIM_ERR_CONFIG_FILE);
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return fail(ACQSIM_ERR_CONFIG_FILE);
  std::ostringstream text;
  text << in.rdbuf();
  const auto entries = parseConfigFile(text.str());
  if (!entries) return fail(ACQSIM_ERR_CONFIG_FILE);

  std::lock_guard<std::mutex> lock(mutex_);
  // Checked as a whole first: a file with one bad value changes nothing.
  PortSettings ports[kPorts];
  for (int i = 0; i < kPorts; ++i) {
    if (ports_[i].active) return fail(ACQSIM_ERR_BUSY);
    ports[i] = ports_[i].settings;
    for (int k = 0; k < kSettingKeyCount; ++k) {
      auto it = entries->find("Port" + std::to_string(i) + "." + kSettingKeys[k].name);
      if (it == entries->end()) continue;
      int value = 0;
      if (!parseInt(it->second, value) ||
          setSetting(ports[i], kSettingKeys[k].parameter, value) < 0)
        return fail(ACQSIM_ERR_CONFIG_FILE);
    }
  }
  for (int i = 0; i < kPorts; ++i) ports_[i].settings = ports[i];
  return 0;
}

}  // namespace qx::sim
