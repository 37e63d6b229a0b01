// Shared set-up of the serial library's tests: a private folder with the
// simulator's configuration and journal, a private namespace for the named
// objects (so that tests running at the same time on one machine cannot
// see each other's multiplexer state), and the simulator's own control
// entries.
#pragma once

#include <quorlex/clserqx3.h>
#include "testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qx::test {

class SerialTest : public ::testing::Test {
 protected:
  SerialTest();

  void sim(const std::string& config) { dir_.simConfig(config); }
  const TempDir& dir() const { return dir_; }

  // Journal lines that start with `prefix`, in order.
  std::vector<std::string> journal(const std::string& prefix = "") const;
  void clearJournal() const;
  void markJournal(const std::string& text) const;
  // Success when at most one UART read ended in the journal between the
  // line `mark` and the first line after it that starts with `write`: a
  // write waits for the read in progress only, not for the reads asked
  // for after it.
  ::testing::AssertionResult atMostOneReadBetween(const std::string& mark,
                                                  const std::string& write) const;

  // Opens a port and expects success.
  hSerRef open(unsigned serialIndex);

  // The eight slots of the shared block, read while ports hold it open; an
  // empty list when no port holds it.
  std::vector<int> slots() const;

  // The simulator's control entries: act as the hardware or as another
  // application.
  void setHWStatus(int board, int status) const;
  void runDesign(int board, const char* design) const;
  int registerValue(int board, const char* name) const;
  // Takes the board out of the machine: every runtime call for it fails.
  void removeBoard(int board) const;

 private:
  TempDir dir_;
};

// Lines of `lines` that start with `prefix`.
std::vector<std::string> matching(const std::vector<std::string>& lines, const std::string& prefix);

}  // namespace qx::test
