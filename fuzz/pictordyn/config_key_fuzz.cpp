// Arbitrary configuration files against the key lookup of the
// configuration-file initialisation.
#include "config_file.h"

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string scratchFile() {
  char name[64];
  std::snprintf(name, sizeof name, "/tmp/qx-fuzz-config-%d.cfg", static_cast<int>(getpid()));
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = scratchFile();
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const char* key : {"Hersteller=", "Typ=", "Version="}) {
    const auto value = qx::pictordyn::findValue(text, key);
    if (value && value->size() > qx::pictordyn::kMaxConfigValue) __builtin_trap();
  }
  // The same through the file reader, which reads in chunks.
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const auto fromFile = qx::pictordyn::FindInFile(path.c_str(), "Typ=");
    if (fromFile != qx::pictordyn::findValue(text, "Typ=")) __builtin_trap();
  }
  return 0;
}
