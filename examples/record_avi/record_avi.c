/* Records N pictures from camera port 0 of board 0 into a sequence file,
 * then exports the recording as an AVI video.
 * Usage: record_avi <applet library> [count] [name]  (writes name.seq, name.avi) */
#include <quorlex/nimbrix.h>
#include <quorlex/pictordyn.h>

#include <stdio.h>
#include <stdlib.h>

enum { kWidthParameter = 6100, kHeightParameter = 6200, kFormatParameter = 6300 };

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: record_avi <applet library> [count] [name]\n");
    return 2;
  }
  const int count = argc > 2 ? atoi(argv[2]) : 25;
  const char* name = argc > 3 ? argv[3] : "recording";
  char seqName[512], aviName[512];
  snprintf(seqName, sizeof seqName, "%s.seq", name);
  snprintf(aviName, sizeof aviName, "%s.avi", name);
  int width = 320, height = 240, bits = 8, major = 0, minor = 0, patch = 0;
  IoGetVersion(&major, &minor, &patch);
  printf("nimbrix %d.%d.%d\n", major, minor, patch);

  Px_Struct* grabber = Px_Init(argv[1], 0);
  if (grabber == NULL) {
    fprintf(stderr, "record_avi: %s\n", getErrorDescription(getLastErrorNumber()));
    return 1;
  }
  Px_setParameter(grabber, kWidthParameter, &width, 0);
  Px_setParameter(grabber, kHeightParameter, &height, 0);
  Px_setParameter(grabber, kFormatParameter, &bits, 0);

  SequenceFile* sequence = NULL;
  int recorded = 0;
  if (IoCreateSeq(&sequence, seqName, width, height, bits) != 0) {
    fprintf(stderr, "record_avi: cannot create %s\n", seqName);
  } else if (Px_AllocMem(grabber, width * height, 16, 0) != NULL &&
             Px_Acquire(grabber, 0, count) >= 0) {
    for (int n = 1; n <= count; ++n) {
      const int got = Px_getLastPicNumberBlocking(grabber, n, 0, 5000);
      if (got < 0) break;
      /* Only the pictures still in the ring can be recorded: a slow disk
       * shows here as missing picture numbers. */
      for (; n <= got; ++n) {
        void* picture = Px_getImagePtr(grabber, n, 0);
        if (picture != NULL && IoWriteSeqPicture(sequence, n, picture) == 0) ++recorded;
      }
      --n;
    }
    Px_stopAcquire(grabber, 0);
    Px_FreeMem(grabber, 0);
  } else {
    fprintf(stderr, "record_avi: %s\n", Px_getLastErrorDescription(grabber));
  }
  Px_FreeGrabber(grabber);
  if (sequence == NULL) return 1;
  IoCloseSeq(sequence);
  printf("recorded %d of %d pictures in %s\n", recorded, count, seqName);

  int pictures = 0, first = 0;
  if (IoOpenSeq(&sequence, seqName, &width, &height, &bits) != 0 ||
      IoGetSeqInfo(sequence, &pictures, &first) != 0) {
    fprintf(stderr, "record_avi: cannot read %s back\n", seqName);
    return 1;
  }
  /* Records 0 to pictures - 1, as a grey video at 10 pictures a second. */
  const int exported = IoSeqCreateAvi(sequence, aviName, 0, pictures);
  IoCloseSeq(sequence);
  if (exported != 0 || recorded != count) {
    fprintf(stderr, "record_avi: export to %s failed\n", aviName);
    return 1;
  }
  printf("exported %d pictures to %s\n", pictures, aviName);
  return 0;
}
