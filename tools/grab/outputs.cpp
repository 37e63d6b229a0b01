#include "grab.h"

#include <quorlex/nimbrix.h>

#include <cstdio>
#include <string>
#include <vector>

namespace grab {

namespace {

// The recording as a video at the recording's rate, frame by frame through
// the AVI writer (grey or colour), so that nothing but grab's own lines is
// printed.
bool writeVideo(const Options& o, const std::string& sequenceFile, int count,
                const std::string& name) {
  SequenceFile* sequence = nullptr;
  int width = 0, height = 0, bits = 0;
  if (IoOpenSeq(&sequence, sequenceFile.c_str(), &width, &height, &bits) != 0) {
    std::fprintf(stderr, "grab: cannot open the recording %s\n", sequenceFile.c_str());
    return false;
  }
  AviWriter* avi = nullptr;
  const int created = o.bits == 8 ? IoCreateAVIGray(&avi, name.c_str(), o.width, o.height, o.rate)
                                  : IoCreateAVIColor(&avi, name.c_str(), o.width, o.height, o.rate);
  bool ok = created == 0;
  std::vector<unsigned char> frame(static_cast<size_t>(pictureSize(o)));
  for (int i = 0; ok && i < count; ++i) {
    ok = IoReadSeqPicture(sequence, i, frame.data()) == 0 &&
         IoWriteAVIPicture(avi, i, frame.data()) == 0;
  }
  if (IoCloseAVI(avi) != 0) ok = false;
  IoCloseSeq(sequence);
  return ok;
}

// A file that could not be written whole is not left behind.
void failed(const std::string& name, const char* what) {
  std::remove(name.c_str());
  std::fprintf(stderr, "grab: writing the %s %s failed; it was not kept\n", what, name.c_str());
}

}  // namespace

OutputNames outputNames(const Options& o, int port) {
  const std::string tag = o.ports.size() > 1 ? "_port" + std::to_string(port) : std::string();
  OutputNames names;
  names.sequence = inFolder(o.output, "grab" + tag + ".seq");
  names.video = inFolder(o.output, "grab" + tag + ".avi");
  names.tiff = inFolder(o.output, "last" + tag + ".tif");
  names.bmp = inFolder(o.output, "last" + tag + ".bmp");
  return names;
}

bool exportOutputs(const Options& o, const OutputNames& names, const RunResult& r) {
  if (r.recorded == 0 || r.last.empty()) {
    std::fprintf(stderr, "grab: no picture was recorded; nothing to export\n");
    return false;
  }
  bool ok = true;
  const std::string& avi = names.video;
  if (!writeVideo(o, names.sequence, r.recorded, avi)) {
    failed(avi, "video");
    ok = false;
  }
  std::vector<unsigned char> last = r.last;  // the writers take non-const pixels
  const std::string& tiff = names.tiff;
  if (IoWriteTiff(tiff.c_str(), last.data(), o.width, o.height, 8, o.bits / 8) != 0) {
    failed(tiff, "picture");
    ok = false;
  }
  const std::string& bmp = names.bmp;
  if (IoWriteBmp(bmp.c_str(), last.data(), o.width, o.height, o.bits) != 0) {
    failed(bmp, "picture");
    ok = false;
  }
  return ok;
}

}  // namespace grab
