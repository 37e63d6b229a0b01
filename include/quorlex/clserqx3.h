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

/**
 * @file clserqx3.h
 * @brief Camera Link serial ports: the standard Camera Link serial functions
 * for the camera ports of the boards.
 *
 * @par Results
 * CL_ERR_NO_ERR (0) or a negative status above; clGetErrorText gives its
 * text. A null pointer where a function must write a result gives
 * CL_ERR_BUFFER_TOO_SMALL (CL_ERR_INVALID_REFERENCE for a null reference or
 * serialRefPtr). No exception leaves a function: when memory runs out a
 * function that returns a status returns CL_ERR_OUT_OF_MEMORY.
 *
 * @par References
 * A reference is a number from a table of open ports, not an address; one
 * that was closed, or any value clSerialInit did not hand out, gives
 * CL_ERR_INVALID_REFERENCE from every function taking one and touches
 * nothing. A closed reference is never handed out again.
 *
 * @par Threads
 * Every function may be called from any thread; a reference may be used
 * from several threads at once, and a port closed by one thread while
 * another still uses it is released when that call returns. A port may be
 * opened more than once, in one or several processes.
 */

/**
 * @brief Opens a serial port.
 *
 * Binds to the UARTs of the design the board runs, or loads the serial
 * design "clser.hap" on a board that runs none; flushes the port. A new port
 * runs at 9600 bit/s without parity.
 *
 * @param serialIndex   2 x board + port (port 0 = camera port A, 1 = B;
 *                      boards 0 to 3, so 0 to 7).
 * @param serialRefPtr  receives the port's reference.
 * @return CL_ERR_NO_ERR; CL_ERR_INVALID_INDEX above 7; CLSER_ERR_NO_BOARD
 *         (-1) when the board or the board runtime is missing;
 *         CLSER_ERR_NO_DESIGN (-2) when the design cannot be loaded;
 *         CL_ERR_PORT_IN_USE when the shared objects that guard the UART
 *         multiplexer belong to another user who shut others out;
 *         CL_ERR_OUT_OF_MEMORY for no memory, or no room for them;
 *         CL_ERR_INVALID_REFERENCE for a null @p serialRefPtr.
 * @par Ownership
 * Release the reference with clSerialClose.
 */
CLSER_API CLINT32 clSerialInit(CLUINT32 serialIndex, hSerRef* serialRefPtr);

/**
 * @brief Reads bytes from the camera.
 *
 * Waits until all bytes asked for have come or the time-out has passed. A
 * caller that does not know an answer's length reads a byte at a time or
 * asks clGetNumBytesAvail first.
 *
 * @param serialRef      the port.
 * @param buffer         receives the bytes.
 * @param bufferSize     in: the bytes wanted (room in @p buffer); out: the
 *                       bytes read.
 * @param serialTimeout  the longest wait, in milliseconds.
 * @return CL_ERR_NO_ERR; CL_ERR_TIMEOUT with *bufferSize 0 when no byte at
 *         all came; CL_ERR_INVALID_REFERENCE; CL_ERR_BUFFER_TOO_SMALL for a
 *         null @p bufferSize, or a null @p buffer with bytes wanted.
 */
CLSER_API CLINT32 clSerialRead(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                               CLUINT32 serialTimeout);

/**
 * @brief Sends bytes to the camera.
 *
 * The bytes are handed on in pieces of at most 32 bytes, each with the full
 * time-out.
 *
 * @param serialRef      the port.
 * @param buffer         the bytes; only read.
 * @param bufferSize     in: the bytes to send; out: with one piece the count
 *                       the board took, with several the whole count.
 * @param serialTimeout  the time-out of each piece, in milliseconds.
 * @return CL_ERR_NO_ERR, also when the board took fewer bytes (see
 *         *bufferSize); CL_ERR_INVALID_REFERENCE; CL_ERR_BUFFER_TOO_SMALL for
 *         a null @p bufferSize, or a null @p buffer with bytes to send.
 */
CLSER_API CLINT32 clSerialWrite(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                                CLUINT32 serialTimeout);

/**
 * @brief Releases a port.
 * @param serialRef  the port. A null reference, one already closed or one
 *                   clSerialInit never returned is ignored.
 */
CLSER_API void clSerialClose(hSerRef serialRef);

/**
 * @brief Turns parity on or off.
 *
 * Kept, and applied again after the board was reconfigured. On a design
 * with one UART for both camera ports it applies to both.
 *
 * @param serialRef  the port.
 * @param parityOn   nonzero: parity on; 0: off.
 * @return CL_ERR_NO_ERR or CL_ERR_INVALID_REFERENCE.
 */
CLSER_API CLINT32 clSetParity(hSerRef serialRef, CLUINT32 parityOn);

/**
 * @brief The maker of this library and the Camera Link version it follows.
 * @param manufacturerName  receives "Corvane" with its terminating zero.
 * @param bufferSize        in: room in @p manufacturerName; out: the size
 *                          needed (8).
 * @param version           receives CL_DLL_VERSION_1_1.
 * @return CL_ERR_NO_ERR; CL_ERR_BUFFER_TOO_SMALL when *bufferSize is
 *         smaller than 8 or a pointer is null.
 */
CLSER_API CLINT32 clGetManufacturerInfo(CLINT8* manufacturerName, CLUINT32* bufferSize,
                                        CLUINT32* version);

/**
 * @brief The number of serial ports.
 * @param numSerialPorts  receives two for every board that opens, from board
 *                        0 up to the first that does not (at most eight).
 * @return CL_ERR_NO_ERR, or CL_ERR_BUFFER_TOO_SMALL for a null pointer.
 */
CLSER_API CLINT32 clGetNumSerialPorts(CLUINT32* numSerialPorts);

/**
 * @brief The identifier of a serial index: "corv<index>".
 * @param serialIndex  0 to 8.
 * @param portID       receives the identifier with its terminating zero.
 * @param bufferSize   room in @p portID, at least 6; not written back.
 * @return CL_ERR_NO_ERR; CL_ERR_BUFFER_TOO_SMALL when *bufferSize is below 6;
 *         CL_ERR_INVALID_INDEX for other indices.
 */
CLSER_API CLINT32 clGetSerialPortIdentifier(CLUINT32 serialIndex, CLINT8* portID,
                                            CLUINT32* bufferSize);

/**
 * @brief The bytes waiting on the port's receive channel.
 * @param serialRef  the port.
 * @param numBytes   receives the count (0 for an invalid reference).
 * @return CL_ERR_NO_ERR or CL_ERR_INVALID_REFERENCE.
 */
CLSER_API CLINT32 clGetNumBytesAvail(hSerRef serialRef, CLUINT32* numBytes);

/**
 * @brief Discards the bytes of both channels of the port.
 * @param serialRef  the port.
 * @return CL_ERR_NO_ERR or CL_ERR_INVALID_REFERENCE.
 */
CLSER_API CLINT32 clFlushPort(hSerRef serialRef);

/**
 * @brief The rates the port supports.
 * @param serialRef  the port.
 * @param baudRates  its low eight bits are set to the CL_BAUDRATE_ bits
 *                   supported (0x1F: 9600 to 115200 bit/s); the others are
 *                   kept.
 * @return CL_ERR_NO_ERR or CL_ERR_INVALID_REFERENCE.
 */
CLSER_API CLINT32 clGetSupportedBaudRates(hSerRef serialRef, CLUINT32* baudRates);

/**
 * @brief Sets the port's rate.
 *
 * Kept, and applied again after the board was reconfigured. On a design
 * with one UART for both camera ports, rate and parity set through either
 * port apply to both.
 *
 * @param serialRef  the port.
 * @param baudRate   one CL_BAUDRATE_ bit, 9600 to 115200.
 * @return CL_ERR_NO_ERR; CL_ERR_BAUD_RATE_NOT_SUPPORTED for other values;
 *         CL_ERR_INVALID_REFERENCE.
 */
CLSER_API CLINT32 clSetBaudRate(hSerRef serialRef, CLUINT32 baudRate);

/**
 * @brief The text of a status number.
 * @param errorCode      a Camera Link status, CLSER_ERR_NO_BOARD or
 *                       CLSER_ERR_NO_DESIGN.
 * @param errorText      receives the text with its terminating zero.
 * @param errorTextSize  in: room in @p errorText; out: the size needed.
 * @return CL_ERR_NO_ERR; CL_ERR_BUFFER_TOO_SMALL with the size needed in
 *         *errorTextSize; CL_ERR_ERROR_NOT_FOUND for other numbers.
 */
CLSER_API CLINT32 clGetErrorText(CLINT32 errorCode, CLINT8* errorText, CLUINT32* errorTextSize);

/**
 * @brief The version the library was built as: QUORLEX_VERSION_MAJOR,
 * _MINOR and _PATCH of quorlex/version.h at its build.
 * @param major, minor, patch  where the numbers are written; each may be null.
 *
 * Any thread may call it, at any time, also before anything else.
 */
CLSER_API void clserGetVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
