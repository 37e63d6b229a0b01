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

/**
 * @file nimbrix.h
 * @brief Image files: BMP, raw, sequence (recording) files, AVI video and TIFF.
 *
 * @par Pixels
 * Pixel buffers are rows top to bottom without padding; grey pictures take
 * one byte per pixel, colour pictures three in the order blue, green, red.
 *
 * @par Results
 * No exception leaves a function; when memory runs out each returns its own
 * failure result (-1 for a status, 0 from IoReadTiff, a null pixel pointer
 * from IoReadBmp, -2147205017 from IoWriteAVIPicture), and files and blocks
 * opened on the way are released.
 *
 * @par Threads
 * Any thread may call any function; a handle (SequenceFile, AviWriter,
 * BmpImage) is used by one thread at a time. Several recordings and videos
 * may be open at once.
 *
 * @par File names
 * The W forms take wchar_t names: UTF-16 on Windows; UTF-32 on Linux, where
 * they are turned into UTF-8 names.
 */

/**
 * @brief Writes a BMP file.
 *
 * Rows are stored bottom to top, padded to 4 bytes, as every BMP reader
 * expects. Also writes to pipes and character devices.
 *
 * @param fileName  the file to write.
 * @param pixels    width x height pixels; only read, never changed.
 * @param width     pixels per row, 1 or more.
 * @param height    rows, 1 or more.
 * @param bits      8: grey, with a 256-entry grey-ramp palette; 24: colour
 *                  (blue-green-red).
 * @return 0; -1 for a refused picture (other bits, a size below 1, a file
 *         over 4 GiB: no file is created), a file that cannot be opened, a
 *         short write or a failed close.
 */
NIMBRIX_API int IoWriteBmp(const char* fileName, unsigned char* pixels, int width, int height,
                           int bits);

/**
 * @brief IoWriteBmp with a wide-character file name.
 * @param fileName  the file to write, as wchar_t.
 * @param pixels, width, height, bits  as IoWriteBmp.
 * @return as IoWriteBmp.
 */
NIMBRIX_API int IoWriteBmpW(const wchar_t* fileName, unsigned char* pixels, int width, int height,
                            int bits);

/**
 * @brief Reads an 8-bit or 24-bit BMP file, stored bottom-up or top-down.
 *
 * 8-bit files come back as grey levels (each palette entry's red), 24-bit
 * files as blue-green-red. Files whose header values do not fit the file are
 * refused. Files of the library's earlier writer, whose rows were not
 * padded, are read correctly.
 *
 * @param fileName  the file to read.
 * @param pixels    receives the pixels (rows top to bottom), or null when
 *                  reading fails.
 * @param width     receives the width.
 * @param height    receives the height (positive).
 * @param bits      receives 8 or 24.
 * @return a handle, also when reading fails (null only when even the handle
 *         cannot be allocated).
 * @par Ownership
 * The pixels belong to the handle: release both with IoCloseBmp.
 */
NIMBRIX_API BmpImage* IoReadBmp(const char* fileName, unsigned char** pixels, int* width,
                                int* height, int* bits);

/**
 * @brief Releases a handle of IoReadBmp and its pixels.
 * @param image  the handle; null is ignored.
 * @return 0.
 */
NIMBRIX_API int IoCloseBmp(BmpImage* image);

/**
 * @brief Writes a raw file: the line "width,height,length\n", then the data.
 * @param fileName  the file to write.
 * @param data      @p length bytes; only read.
 * @param width     first number of the line.
 * @param height    second number of the line.
 * @param length    bytes of @p data, third number of the line.
 * @return 0, or -1.
 */
NIMBRIX_API int IoWriteRaw(const char* fileName, void* data, int width, int height, int length);

/**
 * @brief IoWriteRaw with a wide-character file name.
 * @param fileName  the file to write, as wchar_t.
 * @param data, width, height, length  as IoWriteRaw.
 * @return 0, or -1.
 */
NIMBRIX_API int IoWriteRawW(const wchar_t* fileName, void* data, int width, int height, int length);

/**
 * @brief Reads a raw file back.
 *
 * The data start right after the line feed. A line "a,b,c,d" describes
 * a x b x d bytes with c as the third value.
 *
 * @param fileName  the file to read.
 * @param data      receives the block of data bytes.
 * @param width     receives the first number.
 * @param height    receives the second number.
 * @param third     receives the third number.
 * @return 0; -1 and no block for a missing, malformed or truncated file, or
 *         sizes that do not fit.
 * @par Ownership
 * The block is the caller's: release it with IoFreeRaw.
 */
NIMBRIX_API int IoReadRaw(const char* fileName, void** data, int* width, int* height, int* third);

/**
 * @brief Releases a block of IoReadRaw.
 * @param data  the block; null is ignored.
 * @return 0.
 */
NIMBRIX_API int IoFreeRaw(void* data);

/**
 * @brief Creates a recording of pictures of one size.
 *
 * The pictures go through a ring of four 4,000,000-byte buffers written
 * asynchronously and write-through; the caller waits only when all four are
 * on their way. The file is held by this writer alone.
 *
 * @param handle        receives the recording's handle (null on failure).
 * @param fileName      the file to create (replaced if it exists).
 * @param width         pixels per row.
 * @param height        rows.
 * @param bitsPerPixel  8 or 24.
 * @return 0; -1 when the file cannot be created, also while another writer
 *         or reader (in any process) holds the same file, which is then left
 *         as it is.
 * @par Ownership
 * Close the handle with IoCloseSeq.
 */
NIMBRIX_API int IoCreateSeq(SequenceFile** handle, const char* fileName, int width, int height,
                            int bitsPerPixel);

/**
 * @brief Opens a recording for reading.
 * @param handle        receives the handle (null on failure).
 * @param fileName      the file to open.
 * @param width         receives the pictures' width.
 * @param height        receives their height.
 * @param bitsPerPixel  receives 8 or 24.
 * @return 0; -1 for a missing file or one being written.
 * @par Ownership
 * Close the handle with IoCloseSeq.
 */
NIMBRIX_API int IoOpenSeq(SequenceFile** handle, const char* fileName, int* width, int* height,
                          int* bitsPerPixel);

/**
 * @brief Adds one picture to a recording.
 * @param handle         a handle of IoCreateSeq.
 * @param pictureNumber  stored with the picture.
 * @param pixels         one picture of the recording's size; copied, only read.
 * @return 0; -1 from the first call after a write of the recording failed
 *         (disk full, device error) on: those pictures are not taken.
 */
NIMBRIX_API int IoWriteSeqPicture(SequenceFile* handle, int pictureNumber, void* pixels);

/**
 * @brief Reads one record of a recording.
 * @param handle       a handle of IoOpenSeq.
 * @param index        the record, 0 for the first.
 * @param destination  room for one picture.
 * @return 0; -1 for an index outside the recording or a short read.
 */
NIMBRIX_API int IoReadSeqPicture(SequenceFile* handle, int index, void* destination);

/**
 * @brief Reads the next record of a recording.
 * @param handle         a handle of IoOpenSeq.
 * @param pictureNumber  receives the record's picture number; may be null.
 * @param destination    room for one picture.
 * @return the picture bytes read (fewer than a picture at the end of the
 *         file); -1 for a failed read or a null handle or destination.
 */
NIMBRIX_API int IoReadNextSeqPicture(SequenceFile* handle, int* pictureNumber, void* destination);

/**
 * @brief The picture count and the first picture number of a recording.
 * @param handle              the recording.
 * @param pictureCount        receives the count; may be null.
 * @param firstPictureNumber  receives the first record's picture number; may
 *                            be null.
 * @return 0; -1 for a null handle.
 */
NIMBRIX_API int IoGetSeqInfo(SequenceFile* handle, int* pictureCount, int* firstPictureNumber);

/**
 * @brief Kept for older callers: does nothing.
 * @return 0.
 */
NIMBRIX_API int IoGetPictureInfo(void);

/**
 * @brief Completes and closes a recording and releases the handle.
 *
 * A writer's handle writes the picture count into the header first. A
 * recording whose writer died before this has no count; "seqtool recover"
 * restores it.
 *
 * @param handle  a handle of IoCreateSeq or IoOpenSeq.
 * @return 0; -1 for a null handle, or when a write of the recording failed:
 *         the header then counts the records that reached the file.
 */
NIMBRIX_API int IoCloseSeq(SequenceFile* handle);

/**
 * @brief Creates an uncompressed AVI video of 8-bit grey frames.
 *
 * Windows writes through Video for Windows; Linux through its own RIFF
 * writer, going on in OpenDML form past 1 GiB.
 *
 * @param handle           receives the video's handle, also on failure.
 * @param fileName         the file to create.
 * @param width            pixels per row.
 * @param height           rows.
 * @param framesPerSecond  the rate, kept to hundredths.
 * @return 0; -1 on failure, when a handle is stored all the same: pass it to
 *         IoCloseAVI either way (writes through it fail).
 */
NIMBRIX_API int IoCreateAVIGray(AviWriter** handle, const char* fileName, int width, int height,
                                double framesPerSecond);

/**
 * @brief IoCreateAVIGray with a wide-character file name.
 * @param handle, width, height, framesPerSecond  as IoCreateAVIGray.
 * @param fileName  the file to create, as wchar_t.
 * @return as IoCreateAVIGray.
 */
NIMBRIX_API int IoCreateAVIGrayW(AviWriter** handle, const wchar_t* fileName, int width, int height,
                                 double framesPerSecond);

/**
 * @brief Creates an uncompressed AVI video of 24-bit blue-green-red frames.
 * @param handle, fileName, width, height, framesPerSecond  as IoCreateAVIGray.
 * @return as IoCreateAVIGray.
 */
NIMBRIX_API int IoCreateAVIColor(AviWriter** handle, const char* fileName, int width, int height,
                                 double framesPerSecond);

/**
 * @brief IoCreateAVIColor with a wide-character file name.
 * @param handle, width, height, framesPerSecond  as IoCreateAVIGray.
 * @param fileName  the file to create, as wchar_t.
 * @return as IoCreateAVIGray.
 */
NIMBRIX_API int IoCreateAVIColorW(AviWriter** handle, const wchar_t* fileName, int width,
                                  int height, double framesPerSecond);

/**
 * @brief Writes one key frame.
 * @param handle      a handle of IoCreateAVIGray or IoCreateAVIColor.
 * @param frameIndex  the frame's position. Indices only go forward: one at
 *                    or below a written one is refused; skipped indices
 *                    become empty frames on Linux.
 * @param frame       one frame, written unchanged (players take its first
 *                    row as the bottom row); only read.
 * @return 0, or a negative error code of the AVI file interface.
 */
NIMBRIX_API int IoWriteAVIPicture(AviWriter* handle, int frameIndex, void* frame);

/**
 * @brief Completes an AVI file and releases the handle.
 * @param handle  a handle of the IoCreateAVI functions.
 * @return 0; -1 when the file could not be completed (a full disk when the
 *         index is written).
 */
NIMBRIX_API int IoCloseAVI(AviWriter* handle);

/**
 * @brief Turns records of an open recording into a grey AVI at 10 frames per
 * second.
 *
 * Prints "picnr <number>" on standard output for each record after the
 * first. Each frame is the first width x height bytes of its picture.
 *
 * @param sequence  a handle of IoOpenSeq.
 * @param fileName  the AVI file to create.
 * @param first     the first record (0 for the recording's first).
 * @param end       one past the last record; at least record @p first is
 *                  converted.
 * @return 0; -1 when the AVI cannot be created, or a read (a record outside
 *         the recording), a frame write or the close fails: the AVI file it
 *         created is then removed.
 */
NIMBRIX_API int IoSeqCreateAvi(SequenceFile* sequence, const char* fileName, int first, int end);

/**
 * @brief Writes an uncompressed TIFF file of one strip.
 * @param fileName         the file to write.
 * @param pixels           only read, never changed; 3-sample pictures are
 *                         taken blue-green-red and stored red-green-blue;
 *                         other sample counts are stored as they are,
 *                         declared WhiteIsZero.
 * @param width            pixels per row.
 * @param height           rows.
 * @param bitsPerSample    a multiple of 8.
 * @param samplesPerPixel  1 for grey, 3 for colour.
 * @return 0; -1 for a refused picture (no file), a file that cannot be
 *         opened (the line "Could not open output.tif for writing" on
 *         standard output, whatever the name) or a failed write.
 */
NIMBRIX_API int IoWriteTiff(const char* fileName, void* pixels, int width, int height,
                            int bitsPerSample, int samplesPerPixel);

/**
 * @brief IoWriteTiff with a wide-character file name.
 * @param fileName  the file to write, as wchar_t.
 * @param pixels, width, height, bitsPerSample, samplesPerPixel  as IoWriteTiff.
 * @return as IoWriteTiff.
 */
NIMBRIX_API int IoWriteTiffW(const wchar_t* fileName, void* pixels, int width, int height,
                             int bitsPerSample, int samplesPerPixel);

/**
 * @brief Reads a TIFF file.
 * @param fileName         the file to read.
 * @param pixels           receives the strips as libtiff decodes them, back
 *                         to back, in file order (an RGB file gives
 *                         red-green-blue).
 * @param width            receives the width.
 * @param height           receives the height.
 * @param bitsPerSample    receives the bits per sample.
 * @param samplesPerPixel  receives the samples per pixel.
 * @return non-zero on success; 0 on failure (also for planar and palette
 *         files).
 * @par Ownership
 * The block is the caller's as soon as it has been stored, also when the
 * read fails afterwards: release it with IoFreeTiff.
 */
NIMBRIX_API int IoReadTiff(const char* fileName, void** pixels, int* width, int* height,
                           int* bitsPerSample, int* samplesPerPixel);

/**
 * @brief IoReadTiff with a wide-character file name.
 * @param fileName  the file to read, as wchar_t.
 * @param pixels, width, height, bitsPerSample, samplesPerPixel  as IoReadTiff.
 * @return as IoReadTiff.
 */
NIMBRIX_API int IoReadTiffW(const wchar_t* fileName, void** pixels, int* width, int* height,
                            int* bitsPerSample, int* samplesPerPixel);

/**
 * @brief Releases a block of IoReadTiff.
 * @param pixels  the block; null is ignored.
 * @return 0.
 */
NIMBRIX_API int IoFreeTiff(void* pixels);

/**
 * @brief The version the library was built as: QUORLEX_VERSION_MAJOR,
 * _MINOR and _PATCH of quorlex/version.h at its build.
 * @param major, minor, patch  where the numbers are written; each may be null.
 *
 * Any thread may call it, at any time, also before anything else.
 */
NIMBRIX_API void IoGetVersion(int* major, int* minor, int* patch);

#ifdef __cplusplus
}
#endif

#endif
