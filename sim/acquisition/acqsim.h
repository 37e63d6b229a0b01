/* The acquisition applet simulator (applet_acqsim.dll / applet_acqsim.so):
 * what a program or test needs to know to drive it and to check the pictures
 * it produces. Usable from C and C++.
 *
 * Pictures
 *   Numbers start at 1 with every Px_AcquireEx. Picture n lands in buffer
 *   (n - 1) % count of the memory. Pixels run row by row, top to bottom, with
 *   no padding: grey pictures 1 byte per pixel, colour pictures 3 bytes per
 *   pixel in the order blue, green, red. Every byte is acqsim_pattern(x, y, n,
 *   channel) (channel 0 for grey; 0, 1, 2 = blue, green, red for colour),
 *   except the first 4 bytes of the picture, which hold n little-endian (the
 *   stamp). The pattern repeats every 256 pixels across and down and moves
 *   diagonally by whole pixels per picture, so the simulator draws a picture
 *   by copying rows prepared once per geometry: it costs no more than about
 *   a copy of the picture, and every picture still differs from the one
 *   before it in every row and in its stamp.
 *
 * Parameters (Px_setParameter / Px_getParameter / Px_getParameterEx, values
 *   through an int pointer, per port 0 and 1). Geometry, format and trigger
 *   mode cannot change while the port acquires; the rate can.
 *
 * Waiting
 *   Px_getLastPicNumberBlockingEx / Px_getLastPicNumberEventEx wait until the
 *   picture exists and return the last picture number; a time-out gives
 *   ACQSIM_ERR_TIMEOUT, a negative time-out waits without limit, and a wait
 *   for a picture that can no longer come (acquisition stopped or finished)
 *   gives ACQSIM_ERR_NOT_ACQUIRING at once. Px_getImageEx with selector 230
 *   does the same, except that a time-out of 0 only reads the last number.
 */
#ifndef QX_ACQSIM_H
#define QX_ACQSIM_H

#ifdef __cplusplus
extern "C" {
#endif

/* Parameters. */
#define ACQSIM_PARAM_WIDTH 6100        /* pixels per row, 4 .. 16384 */
#define ACQSIM_PARAM_HEIGHT 6200       /* rows, 1 .. 16384 */
#define ACQSIM_PARAM_FORMAT 6300       /* bits per pixel: 8 grey, 24 colour */
#define ACQSIM_PARAM_RATE 6400         /* pictures per second, 1 .. 100000 */
#define ACQSIM_PARAM_TRIGGER_MODE 6500 /* ACQSIM_TRIGGER_* (mode 1 acquisitions) */
#define ACQSIM_PARAM_EXSYNC 6600       /* value of the last Px_setExsync(port, v) */
#define ACQSIM_PARAM_FLASH 6700        /* value of the last Px_setFlash(port, v) */
#define ACQSIM_PARAM_CLOCK 6800        /* value of the last Px_setClks(port, v) */
#define ACQSIM_PARAM_PICTURE_SIZE 6900 /* read only: bytes per picture */
/* Read only, by index: preload the variable with 0 .. 9 and get that word
 * of the block of the last Px_doDialog. */
#define ACQSIM_PARAM_DIALOG_WORD 7000
/* Read only, by picture number: preload the variable with a picture number
 * of the port's memory and get back that picture's tag, or its transfer
 * length in bytes. A picture no longer (or not yet) in the memory gives
 * ACQSIM_ERR_NO_PICTURE and leaves the variable as it was; that failure is
 * not stored as the handle's last error. */
#define ACQSIM_PARAM_IMAGE_TAG 22000
#define ACQSIM_PARAM_TRANSFER_LENGTH 5210

/* The tag of picture n of a port. */
#define ACQSIM_TAG(port, n) ((((port)&0xff) << 24) | ((n)&0xffffff))

/* ACQSIM_PARAM_TRIGGER_MODE */
#define ACQSIM_TRIGGER_FREE_RUN 0 /* pictures at the configured rate */
#define ACQSIM_TRIGGER_SOFTWARE 1 /* one picture per Px_sendSoftwareTrigger */

/* Modes of Px_AcquireEx. */
#define ACQSIM_MODE_CONTINUOUS 1       /* as the port's trigger mode says */
#define ACQSIM_MODE_SOFTWARE_TRIGGER 2 /* software trigger, whatever the parameter */
/* Picture count of Px_AcquireEx for an acquisition without end (so is any
 * count of 0 or less). */
#define ACQSIM_ENDLESS (-1)

/* Selector of Px_getImageEx / Px_getImage: the last picture number. */
#define ACQSIM_SELECTOR_LAST_PICTURE 230

/* Error numbers (results of the entries, and Px_getLastErrorNumber). */
#define ACQSIM_ERR_INVALID_HANDLE (-2001)   /* not a handle of this applet */
#define ACQSIM_ERR_ARGUMENT (-2100)         /* argument out of range or null */
#define ACQSIM_ERR_PORT (-2101)             /* port other than 0 and 1 */
#define ACQSIM_ERR_MEMORY_HANDLE (-2102)    /* not a live memory of this handle */
#define ACQSIM_ERR_NO_MEMORY (-2103)        /* allocation failed */
#define ACQSIM_ERR_BUFFER_TOO_SMALL (-2104) /* a buffer cannot hold a picture */
#define ACQSIM_ERR_BUSY (-2105)             /* in use by a running acquisition */
#define ACQSIM_ERR_ACQUIRING (-2106)        /* the port already acquires */
#define ACQSIM_ERR_NOT_ACQUIRING (-2107)    /* no acquisition that could deliver */
#define ACQSIM_ERR_TIMEOUT (-2108)          /* the picture did not come in time */
#define ACQSIM_ERR_PARAMETER (-2109)        /* unknown or read-only parameter */
#define ACQSIM_ERR_VALUE (-2110)            /* parameter value out of range */
#define ACQSIM_ERR_FILE (-2111)             /* configuration file cannot be written */
#define ACQSIM_ERR_NO_PICTURE (-2112)       /* picture not in the memory */
#define ACQSIM_ERR_EMPTY_BUFFER (-2113)     /* memory head slot without a buffer */
#define ACQSIM_ERR_SELECTOR (-2114)         /* unknown selector */
#define ACQSIM_ERR_INTERNAL (-2115)         /* e.g. no thread could be started */
#define ACQSIM_ERR_CONFIG_FILE (-5000)      /* configuration file missing or malformed */

/* The pattern byte of (x, y) in picture n; channel 0 for grey pictures, 0, 1
 * and 2 (blue, green, red) for colour pictures. Grey and blue: diagonal
 * ramps moving 4 pixels per picture; green: horizontal bands moving down 2
 * rows; red: a crossed texture moving 2 pixels right and down. */
static inline unsigned char acqsim_pattern(int x, int y, int n, int channel) {
  unsigned v;
  switch (channel) {
    case 1: v = (unsigned)y + 2u * (unsigned)n; break;
    case 2: v = ((unsigned)x + 2u * (unsigned)n) ^ ((unsigned)y + 2u * (unsigned)n); break;
    default: v = (unsigned)x + (unsigned)y + 4u * (unsigned)n; break;
  }
  return (unsigned char)(v & 0xffu);
}

#ifdef __cplusplus
}
#endif

#endif
