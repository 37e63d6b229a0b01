// The commands of seqtool; each returns the process's exit status.
#ifndef QX_TOOLS_SEQTOOL_COMMANDS_H
#define QX_TOOLS_SEQTOOL_COMMANDS_H

#include <string>

namespace seqtool {

int info(const std::string& name);
int verify(const std::string& name);
// Records first .. end - 1 (end < 0: to the last) to TIFF or BMP files in a
// folder, or to one AVI file.
int exportRange(const std::string& name, const std::string& format, const std::string& output,
                int first, int end, double rate);
int recover(const std::string& name);

}  // namespace seqtool

#endif
