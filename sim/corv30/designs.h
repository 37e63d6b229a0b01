// Designs the simulated boards know by name, and the handles that
// load_design and GetRegisterByName give out for them. Handles are numbers,
// not addresses, so that a handle used after its design was unloaded is
// recognised and journaled instead of crashing the simulator.
#pragma once

#include <string>
#include <vector>

namespace qx::sim {

struct LoadedDesign {
  std::string name;
  int board;
  std::vector<std::string> registers;
};

// The registers of a known design; false when no design has that name.
// Built in: "clser.hap" and "single_uart.hap" (one UART for both camera
// ports, with the port multiplexer), "dual_uart.hap" (a UART per camera
// port), "plain.hap" (no UART). The configuration adds or replaces designs
// with "design.<name> = <register> <register> ..." and removes one with
// "design.<name> = missing".
bool designRegisters(const std::string& name, std::vector<std::string>& registers);

void* loadDesign(int board, const std::string& name);
// Null for an unknown or unloaded handle.
const LoadedDesign* findDesign(void* handle);
bool unloadDesign(void* handle);

// 0 when the design lacks the register.
void* registerHandle(void* design, const char* name);
// The design and register of a handle; false for a handle of an unloaded
// design or one that was never given out.
bool resolveRegister(void* handle, const LoadedDesign*& design, std::string& name);

}  // namespace qx::sim
