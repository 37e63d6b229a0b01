/* Shows live pictures from camera port 0 of board 0 in a display window.
 * Usage: live_view <applet library> [count]  (count 0: until the window of
 * the acquisition is closed by stopping the program) */
#include <quorlex/oculon.h>
#include <quorlex/pictordyn.h>

#include <stdio.h>
#include <stdlib.h>

enum { kWidthParameter = 6100, kHeightParameter = 6200, kFormatParameter = 6300 };

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: live_view <applet library> [count]\n");
    return 2;
  }
  const int count = argc > 2 ? atoi(argv[2]) : 100;
  /* The display takes whole groups of 8 pixels a row: a width that is a
   * multiple of 8 needs no padding. */
  int width = 640, height = 480, bits = 8, major = 0, minor = 0, patch = 0;
  OculonGetVersion(&major, &minor, &patch);
  printf("oculon %d.%d.%d\n", major, minor, patch);

  Px_Struct* grabber = Px_Init(argv[1], 0);
  if (grabber == NULL) {
    fprintf(stderr, "live_view: %s\n", getErrorDescription(getLastErrorNumber()));
    return 1;
  }
  Px_setParameter(grabber, kWidthParameter, &width, 0);
  Px_setParameter(grabber, kHeightParameter, &height, 0);
  Px_setParameter(grabber, kFormatParameter, &bits, 0);

  const int display = CreateDisplay(bits, width, height);
  if (display < 0) {
    fprintf(stderr, "live_view: no display window could be opened\n");
    Px_FreeGrabber(grabber);
    return 1;
  }
  SetBufferWidth(display, width, height);

  int shown = 0, status = 0;
  if (Px_AllocMem(grabber, width * height, 4, 0) == NULL ||
      Px_Acquire(grabber, 0, count > 0 ? count : -1) < 0) {
    fprintf(stderr, "live_view: %s\n", Px_getLastErrorDescription(grabber));
    status = 1;
  } else {
    /* Waits for the next picture and shows the newest one: a slow screen
     * skips pictures rather than falling behind. */
    for (int next = 1; count <= 0 || next <= count;) {
      const int got = Px_getLastPicNumberBlocking(grabber, next, 0, 5000);
      if (got < 0) {
        fprintf(stderr, "live_view: %s\n", Px_getLastErrorDescription(grabber));
        status = 1;
        break;
      }
      const void* picture = Px_getImagePtr(grabber, got, 0);
      if (picture != NULL && DrawBuffer(display, picture, got, "live") == 0) ++shown;
      next = got + 1;
    }
    Px_stopAcquire(grabber, 0);
    Px_FreeMem(grabber, 0);
  }
  CloseDisplay(display);
  Px_FreeGrabber(grabber);
  printf("showed %d pictures\n", shown);
  return status;
}
