/* The grabber handle shared between the grabber access library and an applet
 * library: 73 words, each a pointer wide (292 bytes on 32-bit Windows). */
#ifndef QX_PX_STRUCT_H
#define QX_PX_STRUCT_H

#ifdef __cplusplus
extern "C" {
#endif

#define PX_STRUCT_WORDS 73

typedef struct Px_Struct {
  void* word[PX_STRUCT_WORDS];
} Px_Struct;

/* Words with a fixed meaning beside the entry words (see applet_table.h). */
#define PX_WORD_APPLET_HANDLE 0
#define PX_WORD_INIT_LOCAL 1
#define PX_WORD_INITIALISE_CAMERA 2
#define PX_WORD_MODULE 70
#define PX_WORD_MEMORY_PORT0 71
#define PX_WORD_MEMORY_PORT1 72

#ifdef __cplusplus
}
#endif

#endif
