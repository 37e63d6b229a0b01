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

CLSER_API CLINT32 clSerialInit(CLUINT32 serialIndex, hSerRef* serialRefPtr);
CLSER_API CLINT32 clSerialRead(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                               CLUINT32 serialTimeout);
CLSER_API CLINT32 clSerialWrite(hSerRef serialRef, CLINT8* buffer, CLUINT32* bufferSize,
                                CLUINT32 serialTimeout);
CLSER_API void clSerialClose(hSerRef serialRef);
CLSER_API CLINT32 clSetParity(hSerRef serialRef, CLUINT32 parityOn);
CLSER_API CLINT32 clGetManufacturerInfo(CLINT8* manufacturerName, CLUINT32* bufferSize,
                                        CLUINT32* version);
CLSER_API CLINT32 clGetNumSerialPorts(CLUINT32* numSerialPorts);
CLSER_API CLINT32 clGetSerialPortIdentifier(CLUINT32 serialIndex, CLINT8* portID,
                                            CLUINT32* bufferSize);
CLSER_API CLINT32 clGetNumBytesAvail(hSerRef serialRef, CLUINT32* numBytes);
CLSER_API CLINT32 clFlushPort(hSerRef serialRef);
CLSER_API CLINT32 clGetSupportedBaudRates(hSerRef serialRef, CLUINT32* baudRates);
CLSER_API CLINT32 clSetBaudRate(hSerRef serialRef, CLUINT32 baudRate);
CLSER_API CLINT32 clGetErrorText(CLINT32 errorCode, CLINT8* errorText, CLUINT32* errorTextSize);

#ifdef __cplusplus
}
#endif

#endif
