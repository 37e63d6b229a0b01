// Bringing a recording's header in line with the records that lie whole in
// the file: after a writer died before closing, or a write failed (disk
// full) and the header counts pictures that never reached the disk.
#ifndef QX_TOOLS_SEQTOOL_REPAIR_H
#define QX_TOOLS_SEQTOOL_REPAIR_H

#include <cstdint>
#include <string>

namespace seqtool {

struct Repair {
  bool ok = false;                          // the file is a valid recording now
  bool changed = false;                     // the header or the length had to be changed
  int32_t count = 0;                        // whole records, now in the header
  int32_t firstNumber = 0, lastNumber = 0;  // picture numbers of the first and last record
  int32_t headerCount = 0;                  // what the header said before
  std::string problem;                      // why not ok
};

// Counts the whole records from their own headers, brings the file to whole
// buffers of 4,000,000 bytes (with filler, or, where the disk has no room
// for it, by cutting it back to the last whole buffer and the records that
// lie in it) and rewrites the header's count and first number.
Repair repairRecording(const std::string& name);

// Empty when `name` is a file with a recording header; otherwise the one
// message every command gives for it (a folder, a missing or unreadable
// file, or a file that is not a recording).
std::string recordingProblem(const std::string& name);

}  // namespace seqtool

#endif
