// seqtool export: a range of records to picture files or a video.
#include "commands.h"

#include <quorlex/nimbrix.h>

#include <cstdio>
#include <vector>

namespace seqtool {

namespace {

std::string pictureName(const std::string& folder, int number, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "picture_%06d.%s", number, extension);
  const char end = folder.empty() ? '/' : folder.back();
  return end == '/' || end == '\\' ? folder + name : folder + "/" + name;
}

}  // namespace

int exportRange(const std::string& name, const std::string& format, const std::string& output,
                int first, int end, double rate) {
  if (format != "tiff" && format != "bmp" && format != "avi") {
    std::fprintf(stderr, "seqtool: unknown format %s (tiff, bmp or avi)\n", format.c_str());
    return 2;
  }
  SequenceFile* seq = nullptr;
  int width = 0, height = 0, bits = 0, count = 0, firstNumber = 0;
  if (IoOpenSeq(&seq, name.c_str(), &width, &height, &bits) != 0) {
    std::fprintf(stderr, "seqtool: cannot open %s\n", name.c_str());
    return 1;
  }
  IoGetSeqInfo(seq, &count, &firstNumber);
  if (end < 0 || end > count) end = count;
  const int bytesPerPixel = (bits + 7) / 8;
  int status = 0;
  if (first < 0 || first >= end) {
    std::fprintf(stderr, "seqtool: records %d to %d: the recording holds records 0 to %d\n", first,
                 end - 1, count - 1);
    status = 1;
  } else if (format != "tiff" && bits != 8 && bits != 24) {
    std::fprintf(stderr, "seqtool: %d-bit pictures go to TIFF only\n", bits);
    status = 1;
  }
  AviWriter* avi = nullptr;
  if (status == 0 && format == "avi") {
    const int made = bits == 8 ? IoCreateAVIGray(&avi, output.c_str(), width, height, rate)
                               : IoCreateAVIColor(&avi, output.c_str(), width, height, rate);
    if (made != 0) {
      std::fprintf(stderr, "seqtool: cannot create %s\n", output.c_str());
      status = 1;
    }
  }
  std::vector<unsigned char> pixels(static_cast<size_t>(bytesPerPixel) * width * height);
  // Reading the record before the range positions the following reads at
  // its start; each then brings its picture number along.
  if (status == 0 && first > 0 && IoReadSeqPicture(seq, first - 1, pixels.data()) != 0) {
    std::fprintf(stderr, "seqtool: record %d cannot be read\n", first - 1);
    status = 1;
  }
  for (int i = first; status == 0 && i < end; ++i) {
    int number = 0;
    const bool read =
        IoReadNextSeqPicture(seq, &number, pixels.data()) == static_cast<int>(pixels.size());
    if (!read) {
      std::fprintf(stderr, "seqtool: record %d cannot be read\n", i);
      status = 1;
      break;
    }
    int written = 0;
    if (format == "avi") {
      written = IoWriteAVIPicture(avi, i - first, pixels.data());
    } else if (format == "bmp") {
      written = IoWriteBmp(pictureName(output, number, "bmp").c_str(), pixels.data(), width, height,
                           bits);
    } else {
      const int samples = bits == 24 ? 3 : bits == 32 ? 4 : 1;
      const int sampleBits = bytesPerPixel / samples * 8;
      written = IoWriteTiff(pictureName(output, number, "tif").c_str(), pixels.data(), width,
                            height, sampleBits, samples);
    }
    if (written != 0) {
      std::fprintf(stderr, "seqtool: writing record %d (picture %d) failed\n", i, number);
      status = 1;
    }
  }
  if (avi != nullptr && IoCloseAVI(avi) != 0 && status == 0) {
    std::fprintf(stderr, "seqtool: completing %s failed\n", output.c_str());
    status = 1;
  }
  IoCloseSeq(seq);
  if (status == 0) std::printf("exported records %d to %d to %s\n", first, end - 1, output.c_str());
  return status;
}

}  // namespace seqtool
