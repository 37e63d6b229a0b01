// The simulators' configuration: "key = value" lines in the file named by
// QUORLEX_SIM ("#" starts a comment). Missing keys take the defaults of the
// caller, so an absent file gives the standard simulated machine.
#pragma once

#include <map>
#include <string>

namespace qx::sim {

class SimConfig {
 public:
  // Reads the file named by QUORLEX_SIM, if any.
  static SimConfig fromEnvironment();
  static SimConfig fromText(const std::string& text);

  std::string text(const std::string& key, const std::string& fallback) const;
  int number(const std::string& key, int fallback) const;

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace qx::sim
