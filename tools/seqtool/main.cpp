// seqtool: works on recordings (sequence files).
//
//   seqtool info <file>
//   seqtool verify <file>
//   seqtool export <file> tiff|bmp <folder> [--first i] [--end j]
//   seqtool export <file> avi <video> [--first i] [--end j] [--rate r]
//   seqtool recover <file>
#include "commands.h"
#include "repair.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void printUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: seqtool info <file>\n"
               "       seqtool verify <file>\n"
               "       seqtool export <file> tiff|bmp <folder> [--first i] [--end j]\n"
               "       seqtool export <file> avi <video> [--first i] [--end j] [--rate r]\n"
               "       seqtool recover <file>\n"
               "       seqtool --help\n"
               "Records count from 0; --end is the first record not exported.\n");
}

// A command line that cannot be used: the reason, then the usage.
int usage(const std::string& reason) {
  if (!reason.empty()) std::fprintf(stderr, "seqtool: %s\n", reason.c_str());
  printUsage(stderr);
  return 2;
}

bool toNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      printUsage(stdout);
      return 0;
    }
  }
  if (argc < 2) return usage("");
  const std::string command = argv[1];
  const bool known =
      command == "info" || command == "verify" || command == "recover" || command == "export";
  if (!known) return usage("unknown command " + command);
  if (argc < 3) return usage(command + " needs a recording");
  const std::string file = argv[2];
  if (command != "export") {
    if (argc > 3) return usage("unexpected argument " + std::string(argv[3]) + " for " + command);
    if (command == "info") return seqtool::info(file);
    if (command == "verify") return seqtool::verify(file);
    return seqtool::recover(file);
  }
  if (argc < 4) return usage("export needs a format (tiff, bmp or avi)");
  if (argc < 5) return usage(std::string("export to ") + argv[3] + " needs an output");
  double first = 0, end = -1, rate = 25;
  for (int i = 5; i < argc; i += 2) {
    double* target = std::strcmp(argv[i], "--first") == 0  ? &first
                     : std::strcmp(argv[i], "--end") == 0  ? &end
                     : std::strcmp(argv[i], "--rate") == 0 ? &rate
                                                           : nullptr;
    if (target == nullptr) return usage("unknown option " + std::string(argv[i]));
    if (i + 1 >= argc) return usage("option " + std::string(argv[i]) + " needs a value");
    if (!toNumber(argv[i + 1], *target))
      return usage("bad value " + std::string(argv[i + 1]) + " for " + argv[i]);
  }
  if (rate <= 0) return usage("--rate must be above 0");
  if (first < 0 || first > 2e9) return usage("--first must be from 0 to 2000000000");
  if (end > 2e9) return usage("--end must be at most 2000000000");
  const std::string problem = seqtool::recordingProblem(file);
  if (!problem.empty()) {
    std::fprintf(stderr, "seqtool: %s\n", problem.c_str());
    return 1;
  }
  return seqtool::exportRange(file, argv[3], argv[4], static_cast<int>(first),
                              static_cast<int>(end), rate);
}
