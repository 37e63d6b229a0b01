/* Camera Link serial library: the serial channel to the cameras on the
 * camera ports of the boards, two camera ports per board, through the
 * standard Camera Link serial functions. Serial index 2 x board + port
 * (port 0 = camera port A, 1 = camera port B) names a port. */
#ifndef CLSERQX3_H
#define CLSERQX3_H

#if defined(_WIN32)
#if defined(CLSERQX3_BUILD)
#define CLSER_API __declspec(dllexport)
#else
#define CLSER_API __declspec(dllimport)
#endif
#else
#define CLSER_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int CLINT32;
typedef unsigned int CLUINT32;
typedef char CLINT8;
typedef void* hSerRef;

/* Status numbers. */
#define CL_ERR_NO_ERR 0
#define CL_ERR_BUFFER_TOO_SMALL (-10001)
#define CL_ERR_MANU_DOES_NOT_EXIST (-10002)
#define CL_ERR_PORT_IN_USE (-10003)
#define CL_ERR_TIMEOUT (-10004)
#define CL_ERR_INVALID_INDEX (-10005)
#define CL_ERR_INVALID_REFERENCE (-10006)
#define CL_ERR_ERROR_NOT_FOUND (-10007)
#define CL_ERR_BAUD_RATE_NOT_SUPPORTED (-10008)
#define CL_ERR_OUT_OF_MEMORY (-10009)
#define CL_ERR_UNABLE_TO_LOAD_DLL (-10098)
#define CL_ERR_FUNCTION_NOT_FOUND (-10099)
/* This library's own opening failures. */
#define CLSER_ERR_NO_BOARD (-1)
#define CLSER_ERR_NO_DESIGN (-2)

/* Rate bits. */
#define CL_BAUDRATE_9600 1
#define CL_BAUDRATE_19200 2
#define CL_BAUDRATE_38400 4
#define CL_BAUDRATE_57600 8
#define CL_BAUDRATE_115200 16
#define CL_BAUDRATE_230400 32
#define CL_BAUDRATE_460800 64
#define CL_BAUDRATE_921600 128

/* Versions reported by clGetManufacturerInfo. */
#define CL_DLL_VERSION_NO_VERSION 1
#define CL_DLL_VERSION_1_0 2
#define CL_DLL_VERSION_1_1 3

/* Results: CL_ERR_NO_ERR (0) or a negative status above; clGetErrorText
 * gives its text. A null pointer where a function must write a result gives
 * CL_ERR_BUFFER_TOO_SMALL (CL_ERR_INVALID_REFERENCE for a null reference or
 * serialRefPtr).
 *
 * References: a reference is a number from a table of open ports, not an
 * address; one that was closed, or any value clSerialInit did not hand out,
 * gives CL_ERR_INVALID_REFERENCE from every function taking one and touches
 * nothing. A closed reference is never handed out again.
 *
 * Threads: every function may be called from any thread; a reference may be
 * used from several threads at once, and a port closed by one thread while
 * another still uses it is released when that call returns. A port may be
 * opened more than once, in one or several processes. */

/* clSerialInit: opens serial index serialIndex (2 x board + port; boards 0
 * to 3, so 0 to 7) and stores its reference in *serialRefPtr. Binds to the
 * UARTs of the design the board runs, or loads the serial design
 * "clser.hap" on a board that runs none; flushes the port. A new port runs
 * at 9600 bit/s without parity.
 * Errors: CL_ERR_INVALID_INDEX above 7; CLSER_ERR_NO_BOARD (-1) the board or the board runtime is
 * missing; CLSER_ERR_NO_DESIGN (-2) the design cannot be loaded; CL_ERR_PORT_IN_USE the shared
 * objects that guard the UART multiplexer belong to another user who shut others out;
 * CL_ERR_OUT_OF_MEMORY no memory, or no room for them. Ownership: release the reference with
 * clSerialClose. */
CLSER_API CLINT32 clSerialInit(CLUINT32 serialIndex, hSerRef* serialRefPtr);

/* clSerialRead: reads *bufferSize bytes into buffer within serialTimeout
 * milliseconds; waits until all have come or the time-out has passed, and
 * writes back the count read. No byte at all: CL_ERR_TIMEOUT, *bufferSize 0.
 * A caller that does not know an answer's length reads a byte at a time or
 * asks clGetNumBytesAvail first. */
CLSER_API CLINT32 clSerialRead(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                               CLUINT32 serialTimeout);

/* clSerialWrite: sends *bufferSize bytes of buffer, handed on in pieces of
 * at most 32 bytes, each with the full serialTimeout (milliseconds). One
 * piece: *bufferSize becomes the count the board took; several: the whole
 * count. buffer is only read. */
CLSER_API CLINT32 clSerialWrite(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                                CLUINT32 serialTimeout);

/* clSerialClose: releases the port. A null reference, one already closed or
 * one clSerialInit never returned is ignored. */
CLSER_API void clSerialClose(hSerRef serialRef);

/* clSetParity: parity on when parityOn is nonzero, off otherwise. Kept,
 * and applied again after the board was reconfigured. */
CLSER_API CLINT32 clSetParity(hSerRef serialRef, CLUINT32 parityOn);

/* clGetManufacturerInfo: writes "Corvane" into manufacturerName, the size
 * needed (8) into *bufferSize and CL_DLL_VERSION_1_1 into *version.
 * CL_ERR_BUFFER_TOO_SMALL when *bufferSize is smaller. */
CLSER_API CLINT32 clGetManufacturerInfo(CLINT8* manufacturerName, CLUINT32* bufferSize,
                                        CLUINT32* version);

/* clGetNumSerialPorts: two ports for every board that opens, from board 0 up
 * to the first that does not (at most eight). */
CLSER_API CLINT32 clGetNumSerialPorts(CLUINT32* numSerialPorts);

/* clGetSerialPortIdentifier: "corv<index>" for indices 0 to 8;
 * CL_ERR_BUFFER_TOO_SMALL when *bufferSize is below 6 (the size is not
 * written back), CL_ERR_INVALID_INDEX for other indices. */
CLSER_API CLINT32 clGetSerialPortIdentifier(CLUINT32 serialIndex, CLINT8* portID,
                                            CLUINT32* bufferSize);

/* clGetNumBytesAvail: the bytes waiting on the port's receive channel (0 for
 * an invalid reference). */
CLSER_API CLINT32 clGetNumBytesAvail(hSerRef serialRef, CLUINT32* numBytes);

/* clFlushPort: discards the bytes of both channels of the port. */
CLSER_API CLINT32 clFlushPort(hSerRef serialRef);

/* clGetSupportedBaudRates: sets the low eight bits of *baudRates to the
 * rates supported (0x1F: 9600 to 115200 bit/s), keeps the others. */
CLSER_API CLINT32 clGetSupportedBaudRates(hSerRef serialRef, CLUINT32* baudRates);

/* clSetBaudRate: one CL_BAUDRATE_ bit per call (9600 to 115200);
 * CL_ERR_BAUD_RATE_NOT_SUPPORTED for others. Kept, and applied again after
 * the board was reconfigured. On a design with one UART for both camera
 * ports, rate and parity set through either port apply to both. */
CLSER_API CLINT32 clSetBaudRate(hSerRef serialRef, CLUINT32 baudRate);

/* clGetErrorText: the text of a Camera Link status, or of CLSER_ERR_NO_BOARD
 * and CLSER_ERR_NO_DESIGN, into errorText; CL_ERR_BUFFER_TOO_SMALL with the
 * size needed in *errorTextSize; CL_ERR_ERROR_NOT_FOUND for other numbers. */
CLSER_API CLINT32 clGetErrorText(CLINT32 errorCode, CLINT8* errorText, CLUINT32* errorTextSize);

/* The version the library was built as: QUORLEX_VERSION_MAJOR, _MINOR and
 * _PATCH of quorlex/version.h at its build. Any pointer may be null. Any
 * thread may call it, at any time, also before anything else. */
CLSER_API void clserGetVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
