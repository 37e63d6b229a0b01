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

/* Results: no exception leaves a function; when memory runs out each returns
 * its own failure result (-1 for a status, 0 from IoReadTiff, a null pixel
 * pointer from IoReadBmp, -2147205017 from IoWriteAVIPicture), and files and
 * blocks opened on the way are released.
 *
 * Threads: any thread may call any function; a handle (SequenceFile,
 * AviWriter, BmpImage) is used by one thread at a time. Several recordings
 * and videos may be open at once.
 *
 * File names: the W forms take wchar_t names (UTF-16 on Windows; UTF-32 on
 * Linux, turned into UTF-8 names). */

/* IoWriteBmp, IoWriteBmpW: writes a BMP file.
 *  pixels  width x height pixels (read only; never changed).
 *  bits    8: grey, with a 256-entry grey-ramp palette; 24: colour.
 * Rows are stored bottom to top, padded to 4 bytes. Also writes to pipes.
 * Returns 0; -1 for a refused picture (other bits, a size below 1, a file
 * over 4 GiB: no file is created), a file that cannot be opened, a short
 * write or a failed close. */
NIMBRIX_API int IoWriteBmp(const char* fileName, unsigned char* pixels, int width, int height,
                           int bits);
NIMBRIX_API int IoWriteBmpW(const wchar_t* fileName, unsigned char* pixels, int width, int height,
                            int bits);

/* IoReadBmp: reads an 8-bit (grey levels: each palette entry's red) or
 * 24-bit (blue-green-red) BMP file, bottom-up or top-down.
 * Returns a handle, also when reading fails (null only when even the handle
 * cannot be allocated); *pixels is then null. Files whose header values do
 * not fit the file are refused.
 * Ownership: the pixels belong to the handle; release both with IoCloseBmp. */
NIMBRIX_API BmpImage* IoReadBmp(const char* fileName, unsigned char** pixels, int* width,
                                int* height, int* bits);
/* IoCloseBmp: releases a handle of IoReadBmp and its pixels. */
NIMBRIX_API int IoCloseBmp(BmpImage* image);

/* IoWriteRaw, IoWriteRawW: writes the line "width,height,length\n" and the
 * length bytes of data. 0, or -1. */
NIMBRIX_API int IoWriteRaw(const char* fileName, void* data, int width, int height, int length);
NIMBRIX_API int IoWriteRawW(const wchar_t* fileName, void* data, int width, int height, int length);
/* IoReadRaw: reads a raw file back: *data gets the bytes after the line,
 * *third the third number. A line "a,b,c,d" describes a x b x d bytes with c
 * as the third value.
 * Returns 0; -1 and no block for a missing, malformed or truncated file.
 * Ownership: the block is the caller's; release it with IoFreeRaw. */
NIMBRIX_API int IoReadRaw(const char* fileName, void** data, int* width, int* height, int* third);
NIMBRIX_API int IoFreeRaw(void* data);

/* IoCreateSeq: creates a recording of pictures of width x height at
 * bitsPerPixel (8 or 24) and stores its handle in *handle. The pictures go
 * through a ring of four 4,000,000-byte buffers written asynchronously and
 * write-through; the caller waits only when all four are on their way.
 * Returns 0; -1 (and *handle null) when the file cannot be created, also
 * while another writer or reader (in any process) holds the same file.
 * Ownership: close the handle with IoCloseSeq. */
NIMBRIX_API int IoCreateSeq(SequenceFile** handle, const char* fileName, int width, int height,
                            int bitsPerPixel);
/* IoOpenSeq: opens a recording for reading and tells its picture size.
 * Returns 0; -1 (*handle null) for a missing file or one being written. */
NIMBRIX_API int IoOpenSeq(SequenceFile** handle, const char* fileName, int* width, int* height,
                          int* bitsPerPixel);
/* IoWriteSeqPicture: copies one picture (the recording's size; read only)
 * into the recording, with its pictureNumber.
 * Returns 0; -1 from the first call after a write of the recording failed
 * (disk full, device error) on: those pictures are not taken. */
NIMBRIX_API int IoWriteSeqPicture(SequenceFile* handle, int pictureNumber, void* pixels);
/* IoReadSeqPicture: reads record index (0 = first) into destination, which
 * holds a picture. Returns 0; -1 for an index outside the recording or a
 * short read. */
NIMBRIX_API int IoReadSeqPicture(SequenceFile* handle, int index, void* destination);
/* IoReadNextSeqPicture: reads the next record, storing its picture number.
 * Returns the bytes read. */
NIMBRIX_API int IoReadNextSeqPicture(SequenceFile* handle, int* pictureNumber, void* destination);
/* IoGetSeqInfo: the picture count and the first picture number. 0, or -1. */
NIMBRIX_API int IoGetSeqInfo(SequenceFile* handle, int* pictureCount, int* firstPictureNumber);
/* IoGetPictureInfo: kept for older callers; does nothing and returns 0. */
NIMBRIX_API int IoGetPictureInfo(void);
/* IoCloseSeq: completes and closes a recording (writes the picture count)
 * and releases the handle. -1 when a write of the recording failed: the
 * header then counts the records that reached the file. A recording whose
 * writer died before this has no count; "seqtool recover" restores it. */
NIMBRIX_API int IoCloseSeq(SequenceFile* handle);

/* IoCreateAVIGray, IoCreateAVIColor and their W forms: create an
 * uncompressed AVI video of width x height frames: 8-bit with a grey
 * palette, or 24-bit blue-green-red. framesPerSecond is kept to hundredths.
 * Returns 0; -1 on failure, when a handle is stored all the same: pass it to
 * IoCloseAVI either way (writes through it fail).
 * Windows writes through Video for Windows; Linux through its own RIFF
 * writer, going on in OpenDML form past 1 GiB. */
NIMBRIX_API int IoCreateAVIGray(AviWriter** handle, const char* fileName, int width, int height,
                                double framesPerSecond);
NIMBRIX_API int IoCreateAVIGrayW(AviWriter** handle, const wchar_t* fileName, int width, int height,
                                 double framesPerSecond);
NIMBRIX_API int IoCreateAVIColor(AviWriter** handle, const char* fileName, int width, int height,
                                 double framesPerSecond);
NIMBRIX_API int IoCreateAVIColorW(AviWriter** handle, const wchar_t* fileName, int width,
                                  int height, double framesPerSecond);
/* IoWriteAVIPicture: writes frame (read only) unchanged as key frame
 * frameIndex; players take its first row as the bottom row. Indices only go
 * forward: one at or below a written one is refused; skipped indices become
 * empty frames on Linux.
 * Returns 0, or a negative error code of the AVI file interface. */
NIMBRIX_API int IoWriteAVIPicture(AviWriter* handle, int frameIndex, void* frame);
/* IoCloseAVI: completes the file and releases the handle. 0; -1 when the
 * file could not be completed (a full disk when the index is written). */
NIMBRIX_API int IoCloseAVI(AviWriter* handle);
/* IoSeqCreateAvi: turns records first to end - 1 of an open recording (at
 * least record first) into a grey AVI at 10 frames per second, printing
 * "picnr <number>" on standard output for each record after the first.
 * Returns 0; -1 when the AVI cannot be created, or a read (a record outside
 * the recording), a frame write or the close fails: the AVI file it created
 * is then removed. */
NIMBRIX_API int IoSeqCreateAvi(SequenceFile* sequence, const char* fileName, int first, int end);

/* IoWriteTiff, IoWriteTiffW: write an uncompressed TIFF file of one strip.
 *  pixels  read only, never changed; 3-sample pictures are taken
 *          blue-green-red and stored red-green-blue; other sample counts are
 *          stored as they are, declared WhiteIsZero.
 *  bitsPerSample  a multiple of 8.
 * Returns 0; -1 for a refused picture (no file), a file that cannot be opened
 * (the line "Could not open output.tif for writing" on standard output,
 * whatever the name) or a failed write. */
NIMBRIX_API int IoWriteTiff(const char* fileName, void* pixels, int width, int height,
                            int bitsPerSample, int samplesPerPixel);
NIMBRIX_API int IoWriteTiffW(const wchar_t* fileName, void* pixels, int width, int height,
                             int bitsPerSample, int samplesPerPixel);
/* IoReadTiff, IoReadTiffW: read a TIFF file; *pixels gets the strips as
 * libtiff decodes them, back to back, in file order (an RGB file gives
 * red-green-blue).
 * Returns non-zero on success, 0 on failure (also for planar and palette
 * files).
 * Ownership: the block is the caller's as soon as it has been stored, also
 * when the read fails afterwards: release it with IoFreeTiff. */
NIMBRIX_API int IoReadTiff(const char* fileName, void** pixels, int* width, int* height,
                           int* bitsPerSample, int* samplesPerPixel);
NIMBRIX_API int IoReadTiffW(const wchar_t* fileName, void** pixels, int* width, int* height,
                            int* bitsPerSample, int* samplesPerPixel);
NIMBRIX_API int IoFreeTiff(void* pixels);

/* The version the library was built as: QUORLEX_VERSION_MAJOR, _MINOR and
 * _PATCH of quorlex/version.h at its build. Any pointer may be null. Any
 * thread may call it, at any time, also before anything else. */
NIMBRIX_API void IoGetVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
