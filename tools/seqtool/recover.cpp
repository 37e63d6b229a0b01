// seqtool recover: a recording whose writer died before closing has records
// on disk but a header whose picture count and first number were never
// stored. The valid records are counted from their own headers, and the
// file header rewritten to cover exactly those.
#include "commands.h"
#include "repair.h"

#include <cstdio>

namespace seqtool {

int recover(const std::string& name) {
  const Repair r = repairRecording(name);
  if (!r.ok) {
    std::fprintf(stderr, "seqtool: %s\n", r.problem.c_str());
    return 1;
  }
  if (!r.changed) {
    std::printf("%s is complete: %d pictures\n", name.c_str(), r.count);
  } else if (r.count > 0) {
    std::printf("recovered %s: %d pictures, numbers %d to %d (header said %d)\n", name.c_str(),
                r.count, r.firstNumber, r.lastNumber, r.headerCount);
  } else {
    std::printf("recovered %s: no complete picture on disk\n", name.c_str());
  }
  return 0;
}

}  // namespace seqtool
