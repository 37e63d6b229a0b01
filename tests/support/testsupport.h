// Helpers shared by the test suites: a private working folder per test, the
// simulators' journal, trace files and registry values for the tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qx::test {

// Creates a fresh folder, makes it the working directory and points the
// simulators' journal and configuration into it; undone on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const;
  // Writes the simulators' configuration ("key = value" lines).
  void simConfig(const std::string& text) const;
  // The simulators' journal lines so far.
  std::vector<std::string> journal() const;

 private:
  std::string path_;
  std::string previous_;
};

// Folder of the running test program, where every built library lies.
std::string binDir();
// File name of a library built in this tree: "name.dll" or "name.so".
std::string libraryFile(const std::string& base);
char pathSeparator();

void setEnv(const std::string& name, const std::string& value);
void unsetEnv(const std::string& name);

// Marks a file read-only for its owner (the read-only attribute on Windows).
void makeReadOnly(const std::string& path);
bool removeFile(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);
bool makeDir(const std::string& path);
bool fileExists(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
// Lines of a text file without their line ends ("\n" or "\r\n").
std::vector<std::string> readLines(const std::string& path);
// The trace lines with their tick offsets replaced by "T", so that they
// compare exactly: "T : Px_Init(x,0)".
std::vector<std::string> maskedTrace(const std::string& path = "pictor.log");
// The tick offset of a trace line, or nullopt when it has none.
std::optional<long long> traceOffset(const std::string& line);

// Sets (or, with nullopt, removes) the installation folder value "dll_path"
// of the machine's registry as the libraries read it.
void setRegistryDllPath(const std::optional<std::string>& value, const TempDir& dir);

// Whether a library of this file name is loaded in the process.
bool isLoaded(const std::string& fileName);

// Pointer as the trace prints it.
std::string tracePointer(const void* p);

}  // namespace qx::test
