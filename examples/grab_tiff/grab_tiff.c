/* Grabs N pictures from camera port 0 of board 0 and saves the last one as
 * TIFF.  Usage: grab_tiff <applet library> [count] [file.tif] */
#include <quorlex/nimbrix.h>
#include <quorlex/pictordyn.h>
#include <quorlex/version.h>

#include <stdio.h>
#include <stdlib.h>

/* Picture size and format parameters of the (simulated) acquisition applet. */
enum { kWidthParameter = 6100, kHeightParameter = 6200, kFormatParameter = 6300 };

static int fail(Px_Struct* grabber, const char* what) {
  fprintf(stderr, "grab_tiff: %s: %s\n", what, Px_getLastErrorDescription(grabber));
  if (grabber != NULL) Px_FreeGrabber(grabber);
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: grab_tiff <applet library> [count] [file.tif]\n");
    return 2;
  }
  const int count = argc > 2 ? atoi(argv[2]) : 10;
  const char* output = argc > 3 ? argv[3] : "last.tif";
  int width = 640, height = 480, bits = 8, major = 0, minor = 0, patch = 0;

  Px_getVersion(&major, &minor, &patch);
  printf("pictordyn %d.%d.%d (headers %d.%d.%d)\n", major, minor, patch, QUORLEX_VERSION_MAJOR,
         QUORLEX_VERSION_MINOR, QUORLEX_VERSION_PATCH);

  Px_Struct* grabber = Px_Init(argv[1], 0);
  if (grabber == NULL) {
    fprintf(stderr, "grab_tiff: cannot open %s: %s\n", argv[1],
            getErrorDescription(getLastErrorNumber()));
    return 1;
  }
  if (Px_setParameter(grabber, kWidthParameter, &width, 0) < 0 ||
      Px_setParameter(grabber, kHeightParameter, &height, 0) < 0 ||
      Px_setParameter(grabber, kFormatParameter, &bits, 0) < 0)
    return fail(grabber, "picture size");
  /* A ring of 8 pictures that the grabber fills round and round. */
  if (Px_AllocMem(grabber, width * height, 8, 0) == NULL) return fail(grabber, "memory");
  if (Px_Acquire(grabber, 0, count) < 0) return fail(grabber, "acquisition");

  const void* last = NULL;
  for (int n = 1; n <= count; ++n) {
    const int got = Px_getLastPicNumberBlocking(grabber, n, 0, 5000);
    if (got < 0) return fail(grabber, "waiting for a picture");
    last = Px_getImagePtr(grabber, got, 0);
    n = got;
  }
  int status = 0;
  if (last == NULL) {
    status = fail(grabber, "no picture");
  } else if (IoWriteTiff(output, (void*)last, width, height, 8, 1) != 0) {
    fprintf(stderr, "grab_tiff: cannot write %s\n", output);
    status = 1;
  } else {
    printf("grabbed %d pictures, the last saved as %s\n", count, output);
  }
  Px_stopAcquire(grabber, 0);
  Px_FreeMem(grabber, 0);
  Px_FreeGrabber(grabber);
  return status;
}
