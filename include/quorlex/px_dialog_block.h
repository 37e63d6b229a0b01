/* The 40-byte block that Px_doDialog hands to the applet by value. Its
 * layout is the applet's; the grabber library passes it on untouched. Both
 * the public header of the grabber library and the applet entries take it
 * from here; it is installed with the grabber library's header. */
#ifndef QX_PX_DIALOG_BLOCK_H
#define QX_PX_DIALOG_BLOCK_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PxDialogBlock {
  int word[10];
} PxDialogBlock;

#ifdef __cplusplus
}
#endif

#endif
