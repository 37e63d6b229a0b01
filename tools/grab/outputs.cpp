#include "grab.h"

#include "nimbrix.h"

#include <cstdio>
#include <vector>

namespace grab {

namespace {

// Colour recordings: IoSeqCreateAvi makes grey videos only, so colour
// frames go through the AVI writer one by one, at the recording's rate.
bool colourAvi(const Options& o, SequenceFile* sequence, int count, const std::string& name) {
  AviWriter* avi = nullptr;
  const int created = IoCreateAVIColor(&avi, name.c_str(), o.width, o.height, o.rate);
  bool ok = created == 0;
  std::vector<unsigned char> frame(static_cast<size_t>(pictureSize(o)));
  for (int i = 0; ok && i < count; ++i) {
    ok = IoReadSeqPicture(sequence, i, frame.data()) == 0 &&
         IoWriteAVIPicture(avi, i, frame.data()) == 0;
  }
  if (IoCloseAVI(avi) != 0) ok = false;
  return ok;
}

}  // namespace

bool exportOutputs(const Options& o, const std::string& sequenceFile, const RunResult& r) {
  if (r.recorded == 0 || r.last.empty()) {
    std::fprintf(stderr, "grab: no picture was recorded; nothing to export\n");
    return false;
  }
  bool ok = true;
  const std::string avi = inFolder(o.output, "grab.avi");
  SequenceFile* sequence = nullptr;
  int width = 0, height = 0, bits = 0;
  if (IoOpenSeq(&sequence, sequenceFile.c_str(), &width, &height, &bits) != 0) {
    std::fprintf(stderr, "grab: cannot open the recording %s\n", sequenceFile.c_str());
    ok = false;
  } else {
    std::fflush(stdout);
    const bool made = o.bits == 8 ? IoSeqCreateAvi(sequence, avi.c_str(), 0, r.recorded) == 0
                                  : colourAvi(o, sequence, r.recorded, avi);
    std::fflush(stdout);
    if (!made) {
      std::fprintf(stderr, "grab: writing the video %s failed\n", avi.c_str());
      ok = false;
    }
    IoCloseSeq(sequence);
  }
  std::vector<unsigned char> last = r.last;  // the writers take non-const pixels
  const std::string tiff = inFolder(o.output, "last.tif");
  if (IoWriteTiff(tiff.c_str(), last.data(), o.width, o.height, 8, o.bits / 8) != 0) {
    std::fprintf(stderr, "grab: writing %s failed\n", tiff.c_str());
    ok = false;
  }
  const std::string bmp = inFolder(o.output, "last.bmp");
  if (IoWriteBmp(bmp.c_str(), last.data(), o.width, o.height, o.bits) != 0) {
    std::fprintf(stderr, "grab: writing %s failed\n", bmp.c_str());
    ok = false;
  }
  return ok;
}

}  // namespace grab
