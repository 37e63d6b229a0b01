// The applet's configuration files: text of "Key=\"value\";" entries, one a
// line. "Hersteller=", "Typ=" and "Version=" come first and name the applet
// the file was made for; the settings of each port follow as
// "Port<n>.<Setting>=". Values are quoted so that a reader that drops one
// character on each side of a value finds it too.
#pragma once

#include "grabber.h"

#include <map>
#include <optional>
#include <string>

namespace qx::sim {

std::string formatConfigFile(const Identity& identity,
                             const PortSettings (&ports)[Grabber::kPorts]);

// The entries of a file's text, or nullopt when the text is malformed: an
// entry without "=" or without its closing ";", an empty key, or one of the
// three identity keys missing.
std::optional<std::map<std::string, std::string>> parseConfigFile(const std::string& text);

}  // namespace qx::sim
