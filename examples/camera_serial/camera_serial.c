/* Talks to a camera over Camera Link: sends command lines ending in a
 * carriage return and prints each answer line. Serial index 2 x board + port
 * names the camera port (0 = board 0, port A).
 * Usage: camera_serial [serial index] [command...]   (default: "ID?") */
#include <quorlex/clserqx3.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void report(const char* what, CLINT32 status) {
  char text[256];
  CLUINT32 size = sizeof text;
  if (clGetErrorText(status, text, &size) != CL_ERR_NO_ERR) snprintf(text, sizeof text, "?");
  fprintf(stderr, "camera_serial: %s: %s (%d)\n", what, text, (int)status);
}

/* Sends one line and reads the answer up to its line end, a byte at a time
 * since its length is not known in advance. */
static int exchange(hSerRef port, const char* command, char* answer, size_t capacity) {
  char line[256];
  snprintf(line, sizeof line, "%s\r", command);
  CLUINT32 size = (CLUINT32)strlen(line);
  CLINT32 status = clSerialWrite(port, line, &size, 1000);
  if (status != CL_ERR_NO_ERR) {
    report("write", status);
    return -1;
  }
  size_t length = 0;
  while (length + 1 < capacity) {
    char byte = 0;
    size = 1;
    status = clSerialRead(port, &byte, &size, 1000);
    if (status != CL_ERR_NO_ERR) {
      report("read", status);
      return -1;
    }
    if (size == 0) continue;
    if (byte == '\n') break;
    if (byte != '\r') answer[length++] = byte;
  }
  answer[length] = '\0';
  return 0;
}

int main(int argc, char** argv) {
  const CLUINT32 index = argc > 1 ? (CLUINT32)strtoul(argv[1], NULL, 0) : 0;
  int major = 0, minor = 0, patch = 0;
  clserGetVersion(&major, &minor, &patch);
  printf("clserqx3 %d.%d.%d\n", major, minor, patch);
  CLUINT32 ports = 0;
  CLINT32 status = clGetNumSerialPorts(&ports);
  if (status != CL_ERR_NO_ERR) {
    report("counting the serial ports", status);
    return 1;
  }
  printf("%u serial ports\n", ports);

  hSerRef port = NULL;
  status = clSerialInit(index, &port);
  if (status != CL_ERR_NO_ERR) {
    report("opening the port", status);
    return 1;
  }
  clSetBaudRate(port, CL_BAUDRATE_9600);
  int result = 0;
  char answer[256];
  if (argc <= 2) {
    if (exchange(port, "ID?", answer, sizeof answer) != 0)
      result = 1;
    else
      printf("ID? -> %s\n", answer);
  }
  for (int i = 2; i < argc && result == 0; ++i) {
    if (exchange(port, argv[i], answer, sizeof answer) != 0)
      result = 1;
    else
      printf("%s -> %s\n", argv[i], answer);
  }
  clSerialClose(port);
  return result;
}
