/* Image file library: BMP, raw and sequence files, AVI video and TIFF.
 * Pixel buffers are rows top to bottom without padding; grey pictures take
 * one byte per pixel, colour pictures three in the order blue, green, red.
 * Wide-character file names are wchar_t strings: UTF-16 on Windows, UTF-32
 * elsewhere. */
#ifndef NIMBRIX_H
#define NIMBRIX_H

#include <wchar.h>

#if defined(_WIN32)
#if defined(NIMBRIX_BUILD)
#define NIMBRIX_API __declspec(dllexport)
#else
#define NIMBRIX_API __declspec(dllimport)
#endif
#else
#define NIMBRIX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct BmpImage BmpImage;
typedef struct SequenceFile SequenceFile;
typedef struct AviWriter AviWriter;

/* BMP files: 8-bit grey (with a grey-ramp palette) or 24-bit colour. The
 * writers never change the caller's pixels; 0 on success, -1 on failure. */
NIMBRIX_API int IoWriteBmp(const char* fileName, unsigned char* pixels, int width, int height,
                           int bits);
NIMBRIX_API int IoWriteBmpW(const wchar_t* fileName, unsigned char* pixels, int width, int height,
                            int bits);
/* Reads a BMP file. The handle is returned also when reading fails; the pixel
 * pointer is then null. Pixels (grey levels, or blue-green-red) belong to the
 * handle until IoCloseBmp. */
NIMBRIX_API BmpImage* IoReadBmp(const char* fileName, unsigned char** pixels, int* width,
                                int* height, int* bits);
NIMBRIX_API int IoCloseBmp(BmpImage* image);

/* Raw files: a line "width,height,length\n" and the data bytes. */
NIMBRIX_API int IoWriteRaw(const char* fileName, void* data, int width, int height, int length);
NIMBRIX_API int IoWriteRawW(const wchar_t* fileName, void* data, int width, int height, int length);
/* 0 with a block to release with IoFreeRaw; -1 and no block on failure. */
NIMBRIX_API int IoReadRaw(const char* fileName, void** data, int* width, int* height, int* third);
NIMBRIX_API int IoFreeRaw(void* data);

/* Sequence files: many pictures of one size, written through a ring of
 * asynchronous write-through transfers. */
NIMBRIX_API int IoCreateSeq(SequenceFile** handle, const char* fileName, int width, int height,
                            int bitsPerPixel);
NIMBRIX_API int IoOpenSeq(SequenceFile** handle, const char* fileName, int* width, int* height,
                          int* bitsPerPixel);
NIMBRIX_API int IoWriteSeqPicture(SequenceFile* handle, int pictureNumber, void* pixels);
NIMBRIX_API int IoReadSeqPicture(SequenceFile* handle, int index, void* destination);
NIMBRIX_API int IoReadNextSeqPicture(SequenceFile* handle, int* pictureNumber, void* destination);
NIMBRIX_API int IoGetSeqInfo(SequenceFile* handle, int* pictureCount, int* firstPictureNumber);
NIMBRIX_API int IoGetPictureInfo(void);
NIMBRIX_API int IoCloseSeq(SequenceFile* handle);

/* Uncompressed AVI video: 8-bit grey frames with a grey palette, or 24-bit
 * colour frames (blue-green-red), written unchanged; players take the first
 * row of a frame as the bottom row. The rate is kept to hundredths of a frame
 * per second. A handle is stored also when the create fails (-1); pass it to
 * IoCloseAVI either way. */
NIMBRIX_API int IoCreateAVIGray(AviWriter** handle, const char* fileName, int width, int height,
                                double framesPerSecond);
NIMBRIX_API int IoCreateAVIGrayW(AviWriter** handle, const wchar_t* fileName, int width, int height,
                                 double framesPerSecond);
NIMBRIX_API int IoCreateAVIColor(AviWriter** handle, const char* fileName, int width, int height,
                                 double framesPerSecond);
NIMBRIX_API int IoCreateAVIColorW(AviWriter** handle, const wchar_t* fileName, int width,
                                  int height, double framesPerSecond);
/* 0, or a negative error code of the AVI file interface. */
NIMBRIX_API int IoWriteAVIPicture(AviWriter* handle, int frameIndex, void* frame);
NIMBRIX_API int IoCloseAVI(AviWriter* handle);
/* Records first to end - 1 of a recording (at least record first) as a grey
 * AVI at 10 frames per second, printing "picnr <number>" for each record
 * after the first. 0, or -1 when the AVI cannot be created or a read or a
 * frame write fails. */
NIMBRIX_API int IoSeqCreateAvi(SequenceFile* sequence, const char* fileName, int first, int end);

/* TIFF files through libtiff: uncompressed, one strip. 3-sample pictures are
 * taken blue-green-red and stored red-green-blue; other sample counts are
 * stored as they are, declared WhiteIsZero. Whole-byte samples only. 0, or -1
 * (and "Could not open output.tif for writing" on standard output when the
 * file cannot be opened). */
NIMBRIX_API int IoWriteTiff(const char* fileName, void* pixels, int width, int height,
                            int bitsPerSample, int samplesPerPixel);
NIMBRIX_API int IoWriteTiffW(const wchar_t* fileName, void* pixels, int width, int height,
                             int bitsPerSample, int samplesPerPixel);
/* Non-zero on success, 0 on failure. The block holds the strips as libtiff
 * decodes them, back to back; it is the caller's (IoFreeTiff) as soon as it
 * has been stored, also when the read fails afterwards. */
NIMBRIX_API int IoReadTiff(const char* fileName, void** pixels, int* width, int* height,
                           int* bitsPerSample, int* samplesPerPixel);
NIMBRIX_API int IoReadTiffW(const wchar_t* fileName, void** pixels, int* width, int* height,
                            int* bitsPerSample, int* samplesPerPixel);
NIMBRIX_API int IoFreeTiff(void* pixels);

#ifdef __cplusplus
}
#endif

#endif
