#include "grabber.h"

#include "acqsim.h"
#include "sim_config.h"

namespace qx::sim {

Identity Identity::fromConfig(const SimConfig& config) {
  return {config.text("acq.maker", "Quorlex Simulation"), config.text("acq.type", "AcqSim"),
          config.text("acq.version", "1.0")};
}

Grabber::Grabber(int boardIndex, const SimConfig& config, const std::string& appletName)
    : boardIndex_(boardIndex),
      identity_(Identity::fromConfig(config)),
      // Distinct per board unless the configuration says otherwise.
      serialNumber_(config.number("acq.serial", 100001) + boardIndex) {
  const PortSettings settings = PortSettings::fromConfig(config);
  for (Port& port : ports_) port.settings = settings;
  applets_.push_back(appletName.empty() ? identity_.type : appletName);
}

Grabber::~Grabber() {
  for (int port = 0; port < kPorts; ++port) stop(port);
}

int Grabber::fail(int error) {
  lastError_.store(error);
  return error;
}

}  // namespace qx::sim
