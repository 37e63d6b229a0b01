// seqtool info and verify: what a recording holds, and whether its records
// are what its header says.
#include "commands.h"
#include "recording_file.h"
#include "repair.h"

#include <cinttypes>
#include <cstdio>
#include <string>

namespace seqtool {

namespace {

bool openRecording(const std::string& name, File& file, Header& header) {
  const std::string problem = recordingProblem(name);
  if (!problem.empty()) {
    std::fprintf(stderr, "seqtool: %s\n", problem.c_str());
    return false;
  }
  return file.open(name, false) && readHeader(file, header);
}

// Whether a whole record lies just past the `count` counted ones: then the
// header was never brought up to date, as the writer did not close the
// recording.
bool recordFollows(File& file, const Header& h, int count, int64_t size) {
  RecordHeader next;
  return recordOffset(h, count + 1) <= size &&
         readRecordHeader(file, recordOffset(h, count), next) &&
         next.kind == seqfile::kRecordKind && next.length == recordBytes(h) && next.index == count;
}

}  // namespace

int info(const std::string& name) {
  File file;
  Header h;
  if (!openRecording(name, file, h)) return 1;
  const int64_t size = file.size();
  const int64_t record = recordBytes(h);
  std::printf("file          %s\n", name.c_str());
  std::printf("picture       %d x %d, %d bits per pixel, %" PRId64 " bytes\n", h.width, h.height,
              h.bitsPerPixel, pictureBytes(h));
  const int count = h.pictureCount < 0 ? 0 : h.pictureCount;
  const bool unclosed = recordFollows(file, h, count, size);
  const bool cut = recordOffset(h, count) > size;
  if (unclosed)
    std::printf("pictures      %d, but more records follow: the recording was not closed\n",
                h.pictureCount);
  else
    std::printf("pictures      %d\n", h.pictureCount);
  std::printf("first number  %d\n", h.firstPictureNumber);
  RecordHeader r;
  if (count > 0 && readRecordHeader(file, recordOffset(h, 0), r)) {
    std::printf("numbers       %d", r.pictureNumber);
    if (!cut && readRecordHeader(file, recordOffset(h, count - 1), r))
      std::printf(" .. %d\n", r.pictureNumber);
    else
      std::printf(" .. ? (the file ends inside record %" PRId64 " of %d)\n",
                  (size - kHeaderBytes) / record, count);
  }
  std::printf("file size     %" PRId64 " bytes (room for %" PRId64 " records)\n", size,
              size >= kHeaderBytes ? (size - kHeaderBytes) / record : 0);
  if (unclosed || cut) {
    std::printf("try: seqtool recover %s\n", name.c_str());
    return 1;
  }
  return 0;
}

int verify(const std::string& name) {
  File file;
  Header h;
  if (!openRecording(name, file, h)) return 1;
  const int64_t size = file.size();
  const int64_t p = pictureBytes(h);
  int problems = 0;
  auto problem = [&problems](const std::string& text) {
    if (++problems <= 10) std::printf("problem: %s\n", text.c_str());
  };
  if (h.pictureCount < 0) problem("negative picture count " + std::to_string(h.pictureCount));
  const int count = h.pictureCount < 0 ? 0 : h.pictureCount;
  if (size < recordOffset(h, count))
    problem("the file ends inside record " +
            std::to_string((size - kHeaderBytes) / (kRecordHeaderBytes + p)) + " of " +
            std::to_string(count) + " (recording cut short? try: seqtool recover)");
  if (size % kBufferBytes != 0)
    problem("file length " + std::to_string(size) + " is not a multiple of 4,000,000");
  int lastNumber = 0;
  int descending = 0;
  for (int i = 0; i < count && recordOffset(h, i + 1) <= size; ++i) {
    RecordHeader r;
    if (!readRecordHeader(file, recordOffset(h, i), r)) {
      problem("record " + std::to_string(i) + " cannot be read");
      break;
    }
    if (r.kind != seqfile::kRecordKind)
      problem("record " + std::to_string(i) + " has kind " + std::to_string(r.kind));
    if (r.length != kRecordHeaderBytes + p)
      problem("record " + std::to_string(i) + " has length " + std::to_string(r.length) +
              ", expected " + std::to_string(kRecordHeaderBytes + p));
    if (r.index != i)
      problem("record " + std::to_string(i) + " has index " + std::to_string(r.index));
    if (i > 0 && r.pictureNumber <= lastNumber) ++descending;
    lastNumber = r.pictureNumber;
  }
  // A valid record just past the counted ones means the header was not
  // brought up to date: the writer did not close the recording.
  if (recordFollows(file, h, count, size))
    problem("record " + std::to_string(count) +
            " follows the counted ones: the recording was not closed (try: seqtool recover)");
  if (count > 0 && problems == 0 && lastNumber - count + 1 != h.firstPictureNumber)
    problem("first picture number " + std::to_string(h.firstPictureNumber) + ", expected " +
            std::to_string(lastNumber - count + 1));
  if (descending > 0)
    std::printf("note: %d picture number(s) not above the one before\n", descending);
  if (problems > 10) std::printf("... %d problems in all\n", problems);
  if (problems > 0) return 1;
  std::printf("ok: %d records of %d x %d, %d bits\n", count, h.width, h.height, h.bitsPerPixel);
  return 0;
}

}  // namespace seqtool
