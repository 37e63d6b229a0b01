// Board-level entries that a real applet passes to the hardware: here they
// keep what they were given, per handle, so that callers and tests can read
// it back.
#include "acqsim.h"
#include "grabber.h"

#include <algorithm>
#include <cstring>

namespace qx::sim {

const char* Grabber::appletName(int number) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (number < 0 || number >= static_cast<int>(applets_.size())) {
    fail(ACQSIM_ERR_ARGUMENT);
    return "";
  }
  return applets_[static_cast<std::size_t>(number)].c_str();
}

int Grabber::appletId(const char* name) {
  if (name == nullptr) return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find(applets_.begin(), applets_.end(), name);
  if (it == applets_.end()) return fail(ACQSIM_ERR_ARGUMENT);
  return static_cast<int>(it - applets_.begin());
}

int Grabber::loadAppletId() {
  std::lock_guard<std::mutex> lock(mutex_);
  return loadedApplet_;
}

int Grabber::appletCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(applets_.size());
}

int Grabber::addApplet(const char* name) {
  if (name == nullptr || *name == '\0') return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find(applets_.begin(), applets_.end(), name);
  if (it != applets_.end()) return static_cast<int>(it - applets_.begin());
  applets_.emplace_back(name);
  return static_cast<int>(applets_.size()) - 1;
}

int Grabber::configure(int appletId) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (appletId < 0 || appletId >= static_cast<int>(applets_.size()))
    return fail(ACQSIM_ERR_ARGUMENT);
  for (const Port& port : ports_)
    if (port.active) return fail(ACQSIM_ERR_BUSY);
  loadedApplet_ = appletId;
  return 0;
}

int Grabber::store(int port, int parameter, int value) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  std::lock_guard<std::mutex> lock(mutex_);
  const int result = setSetting(ports_[port].settings, parameter, value);
  return result < 0 ? fail(result) : 0;
}

int Grabber::getStatus(int word, int port, int* value) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = status_.find({word, port});
  const int v = it == status_.end() ? 0 : it->second;
  if (value != nullptr) *value = v;
  return v;
}

int Grabber::setStatus(int word, int value, int port) {
  std::lock_guard<std::mutex> lock(mutex_);
  status_[{word, port}] = value;
  return 0;
}

int Grabber::setActBuffer(int port, int buffer) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  if (buffer < 0) return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> lock(mutex_);
  ports_[port].actBuffer = buffer;
  return 0;
}

int Grabber::getActBuffer(int port) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  std::lock_guard<std::mutex> lock(mutex_);
  return ports_[port].actBuffer;
}

int Grabber::swapBuffer(int port) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  std::lock_guard<std::mutex> lock(mutex_);
  ports_[port].actBuffer ^= 1;
  return ports_[port].actBuffer;
}

int Grabber::doDialog(const PxDialogBlock& block) {
  std::lock_guard<std::mutex> lock(mutex_);
  dialog_ = block;
  dialogOpen_ = true;
  return 0;
}

int Grabber::closeDialog() {
  std::lock_guard<std::mutex> lock(mutex_);
  dialogOpen_ = false;
  return 0;
}

int Grabber::isOpenDialog() {
  std::lock_guard<std::mutex> lock(mutex_);
  return dialogOpen_ ? 1 : 0;
}

// The serial line of a port is a loopback: what was sent is received.
int Grabber::serialSend(int port, const char* data, int length) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  if (length < 0 || (length > 0 && data == nullptr)) return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> lock(mutex_);
  ports_[port].serial.append(data, static_cast<std::size_t>(length));
  return length;
}

int Grabber::serialReceive(int port, char* buffer, int capacity) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  if (capacity < 0 || (capacity > 0 && buffer == nullptr)) return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string& pending = ports_[port].serial;
  const std::size_t n = std::min(pending.size(), static_cast<std::size_t>(capacity));
  if (n > 0) std::memcpy(buffer, pending.data(), n);
  pending.erase(0, n);
  return static_cast<int>(n);
}

void* Grabber::allocShading(int port) {
  if (!validPort(port)) {
    fail(ACQSIM_ERR_PORT);
    return nullptr;
  }
  auto shading = std::make_unique<Shading>();
  shading->port = port;
  std::lock_guard<std::mutex> lock(mutex_);
  void* handle = shading.get();
  shadings_.emplace(handle, std::move(shading));
  return handle;
}

int Grabber::freeShading(void* shading) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shadings_.erase(shading) == 0) return fail(ACQSIM_ERR_ARGUMENT);
  return 0;
}

int Grabber::shadingValue(void* shading, int kind, int column, int value) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = shadings_.find(shading);
  if (it == shadings_.end()) return fail(ACQSIM_ERR_ARGUMENT);
  if (!it->second->access) return fail(ACQSIM_ERR_BUSY);
  it->second->values[{kind, column}] = value;
  return 0;
}

int Grabber::shadingAccess(void* shading, bool take) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = shadings_.find(shading);
  if (it == shadings_.end()) return fail(ACQSIM_ERR_ARGUMENT);
  it->second->access = take;
  return 0;
}

int Grabber::shadingWriteLine(void* shading, int line) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = shadings_.find(shading);
  if (it == shadings_.end()) return fail(ACQSIM_ERR_ARGUMENT);
  if (line < 0 || line >= ports_[it->second->port].settings.height) return fail(ACQSIM_ERR_VALUE);
  it->second->actLine = line;
  return 0;
}

int Grabber::shadingMaxLine(void* shading) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = shadings_.find(shading);
  if (it == shadings_.end()) return fail(ACQSIM_ERR_ARGUMENT);
  return ports_[it->second->port].settings.height;
}

}  // namespace qx::sim
