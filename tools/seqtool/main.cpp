// seqtool: works on recordings (sequence files).
//
//   seqtool info <file>
//   seqtool verify <file>
//   seqtool export <file> tiff|bmp <folder> [--first i] [--end j]
//   seqtool export <file> avi <video> [--first i] [--end j] [--rate r]
//   seqtool recover <file>
#include "commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: seqtool info <file>\n"
               "       seqtool verify <file>\n"
               "       seqtool export <file> tiff|bmp <folder> [--first i] [--end j]\n"
               "       seqtool export <file> avi <video> [--first i] [--end j] [--rate r]\n"
               "       seqtool recover <file>\n"
               "Records count from 0; --end is the first record not exported.\n");
  return 2;
}

bool toNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string command = argv[1];
  const std::string file = argv[2];
  if (command == "info" && argc == 3) return seqtool::info(file);
  if (command == "verify" && argc == 3) return seqtool::verify(file);
  if (command == "recover" && argc == 3) return seqtool::recover(file);
  if (command != "export" || argc < 5) return usage();
  double first = 0, end = -1, rate = 25;
  for (int i = 5; i < argc; i += 2) {
    double* target = std::strcmp(argv[i], "--first") == 0  ? &first
                     : std::strcmp(argv[i], "--end") == 0  ? &end
                     : std::strcmp(argv[i], "--rate") == 0 ? &rate
                                                           : nullptr;
    if (target == nullptr || i + 1 >= argc || !toNumber(argv[i + 1], *target)) return usage();
  }
  if (rate <= 0 || first < 0 || first > 2e9 || end > 2e9) return usage();
  return seqtool::exportRange(file, argv[3], argv[4], static_cast<int>(first),
                              static_cast<int>(end), rate);
}
