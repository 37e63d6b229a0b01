// The register sequences that set up a port's UART. Every one runs under the
// board access lock, which the caller holds. Registers that the design lacks
// are skipped.
#pragma once

#include "serial_port.h"

namespace qx::clser {

// Looks every UART register up by name in `design`; returns the design's
// layout.
UartLayout lookUpRegisters(UartRegisters& uart, QxDesign design);

// Disable, divisor for `rate` bit/s at the local-bus clock, no line
// inversion, reset pulse, enable.
void programUart(const SerialPort& port, int rate);
// clock MHz x 1,000,000 / rate, truncating; 0 for a rate of 0.
int uartDivisor(int clockMhz, int rate);
void writeParity(const SerialPort& port, std::uint32_t parityOn);
void writeScaleIR(const SerialPort& port);

// Writes a register unless the design lacks it.
void writeRegister(QxBoard board, QxRegister reg, int value);

}  // namespace qx::clser
