#include "grab.h"

#include "acqsim.h"
#include "nimbrix.h"
#include "oculon.h"
#include "pictordyn.h"
#include "repair.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace grab {

namespace {

using Clock = std::chrono::steady_clock;

void reportPx(Px_Struct* grabber, const char* what, int result) {
  std::fprintf(stderr, "grab: %s failed (%d): %s\n", what, result,
               Px_getLastErrorDescription(grabber));
}

bool setParameter(Px_Struct* grabber, int parameter, int value, int port, const char* name) {
  const int result = Px_setParameter(grabber, parameter, &value, port);
  if (result < 0) {
    std::string what = std::string("setting the ") + name + " to " + std::to_string(value);
    reportPx(grabber, what.c_str(), result);
    return false;
  }
  return true;
}

unsigned stampOf(const unsigned char* picture) {
  return static_cast<unsigned>(picture[0]) | static_cast<unsigned>(picture[1]) << 8 |
         static_cast<unsigned>(picture[2]) << 16 | static_cast<unsigned>(picture[3]) << 24;
}

// The display, when there is one; a window that cannot be opened leaves the
// run headless rather than ending it.
class Display {
 public:
  Display(const Options& o) : width_(o.width), height_(o.height), channels_(o.bits / 8) {
    if (!o.display) return;
    index_ = CreateDisplay(o.bits, o.width, o.height);
    if (index_ < 0) {
      std::fprintf(stderr, "grab: no display window could be opened; running without\n");
      return;
    }
    SetBufferWidth(index_, o.width, o.height);
    // The display reads rows that start on 4-byte boundaries: pictures
    // whose rows are not a multiple of 4 bytes long are shown from a copy
    // with padded rows, else each row would be shown shifted.
    const size_t row = static_cast<size_t>(width_) * channels_;
    if (row % 4 != 0) {
      stride_ = (row + 3) / 4 * 4;
      // What DrawBuffer copies: whole groups of 8 pixels a row.
      padded_.assign((static_cast<size_t>(width_) + 7) / 8 * 8 * channels_ * height_, 0);
    }
  }
  ~Display() {
    if (index_ >= 0) CloseDisplay(index_);
  }
  void show(const unsigned char* pixels, int number, const char* text) {
    if (index_ < 0) return;
    const unsigned char* shown = pixels;
    if (!padded_.empty()) {
      const size_t row = static_cast<size_t>(width_) * channels_;
      for (int y = 0; y < height_; ++y) std::memcpy(&padded_[y * stride_], pixels + y * row, row);
      shown = padded_.data();
    }
    const int drawn = DrawBuffer(index_, shown, number, text);
    if (drawn != 0) {
      // Said once; the run goes on without showing pictures.
      std::fprintf(stderr,
                   "grab: the display refused picture %d (DrawBuffer returned %d); "
                   "pictures are no longer shown\n",
                   number, drawn);
      CloseDisplay(index_);
      index_ = -1;
    }
  }

 private:
  int index_ = -1;
  int width_, height_, channels_;
  size_t stride_ = 0;
  std::vector<unsigned char> padded_;
};

struct Run {
  Px_Struct* grabber;
  const Options& o;
  SequenceFile* sequence;
  RunResult& result;
};

void noteLost(RunResult& r, int number) {
  ++r.lost;
  if (r.lostNumbers.size() < 20) r.lostNumbers.push_back(number);
}

// Waits for every picture in turn, keeps those that are still whole and
// records them. A picture counts as lost when its buffer was overwritten
// before it could be copied: the stamp then names a later picture, or the
// grabber had already started on the picture that reuses the buffer.
bool loop(Run& run) {
  const Options& o = run.o;
  const int size = pictureSize(o);
  const int timeoutMs = std::max(2000, 3000 / o.rate + 1000);
  std::vector<unsigned char> copy(static_cast<size_t>(size));
  Display display(o);
  Progress progress(o.count);
  const Clock::time_point start = Clock::now();
  double bytes = 0;
  char title[96];
  std::snprintf(title, sizeof title, "%dx%d %s %d/s", o.width, o.height,
                o.bits == 8 ? "grey" : "colour", o.rate);
  for (int k = 1; k <= o.count; ++k) {
    // Ctrl-C or SIGTERM: the pictures so far are kept.
    if (stopSignal() != 0) break;
    const int last = Px_getLastPicNumberBlocking(run.grabber, k, o.port, timeoutMs);
    if (last < 0) {
      progress.finish();
      reportPx(run.grabber, ("waiting for picture " + std::to_string(k)).c_str(), last);
      return false;
    }
    const unsigned char* pixels =
        static_cast<const unsigned char*>(Px_getImagePtr(run.grabber, k, o.port));
    if (pixels == nullptr) {
      progress.finish();
      reportPx(run.grabber, ("getting picture " + std::to_string(k)).c_str(), 0);
      return false;
    }
    bool whole = last <= k + o.buffers - 2;
    if (whole) {
      std::memcpy(copy.data(), pixels, copy.size());
      // The grabber may have started refilling the buffer while it was
      // copied: the copy holds only if the stamp is right and the picture
      // that reuses the buffer had not yet begun.
      whole = stampOf(copy.data()) == static_cast<unsigned>(k) &&
              Px_getLastPicNumber(run.grabber, o.port) <= k + o.buffers - 2;
    }
    if (!whole) {
      noteLost(run.result, k);
    } else {
      display.show(copy.data(), k, title);
      // The writer reports a failed transfer (a full disk) at a later call:
      // the pictures handed over until then need not all be on disk. The
      // recording is closed and counted afterwards.
      if (IoWriteSeqPicture(run.sequence, k, copy.data()) != 0) {
        progress.finish();
        run.result.writeFailedAt = k;
        run.result.recordingFailed = true;
        return true;
      }
      ++run.result.handed;
      run.result.lastNumber = k;
      bytes += size;
      // The picture stays as the last one; the previous last buffer takes
      // the next copy.
      run.result.last.swap(copy);
      copy.resize(static_cast<size_t>(size));
    }
    run.result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    progress.update(k, run.result.lost, run.result.seconds, bytes);
  }
  progress.finish();
  return true;
}

}  // namespace

bool acquire(Px_Struct* grabber, const Options& o, const std::string& sequenceFile,
             RunResult& result) {
  if (o.setGeometry) {
    if (!setParameter(grabber, ACQSIM_PARAM_WIDTH, o.width, o.port, "width") ||
        !setParameter(grabber, ACQSIM_PARAM_HEIGHT, o.height, o.port, "height") ||
        !setParameter(grabber, ACQSIM_PARAM_FORMAT, o.bits, o.port, "format") ||
        !setParameter(grabber, ACQSIM_PARAM_RATE, o.rate, o.port, "rate"))
      return false;
  }
  const int size = pictureSize(o);
  if (Px_AllocMem(grabber, size, o.buffers, o.port) == nullptr) {
    reportPx(grabber, "Px_AllocMem", Px_getLastErrorNumber(grabber));
    return false;
  }
  SequenceFile* sequence = nullptr;
  errno = 0;
  if (IoCreateSeq(&sequence, sequenceFile.c_str(), o.width, o.height, o.bits) != 0) {
    const int reason = errno;
    std::fprintf(stderr, "grab: cannot create the recording %s: %s\n", sequenceFile.c_str(),
                 reason != 0 ? std::strerror(reason) : "refused by the file library");
    Px_FreeMem(grabber, o.port);
    return false;
  }
  bool ok = true;
  const int started = Px_Acquire(grabber, o.port, o.count);
  if (started < 0) {
    reportPx(grabber, "Px_Acquire", started);
    ok = false;
  } else {
    Run run{grabber, o, sequence, result};
    ok = loop(run);
    const int stopped = Px_stopAcquire(grabber, o.port);
    if (stopped < 0) {
      reportPx(grabber, "Px_stopAcquire", stopped);
      ok = false;
    }
  }
  const int freed = Px_FreeMem(grabber, o.port);
  if (freed < 0) {
    reportPx(grabber, "Px_FreeMem", freed);
    ok = false;
  }
  if (IoCloseSeq(sequence) != 0) result.recordingFailed = true;
  if (!result.recordingFailed) {
    result.recorded = result.handed;
    return ok;
  }
  // Some writes did not reach the disk: the recording is brought to what
  // lies whole in the file, so that it verifies and the count is exact.
  const seqtool::Repair repaired = seqtool::repairRecording(sequenceFile);
  if (result.writeFailedAt > 0)
    std::fprintf(stderr, "grab: writing to the recording %s failed at picture %d; stopped\n",
                 sequenceFile.c_str(), result.writeFailedAt);
  else
    std::fprintf(stderr, "grab: closing the recording %s failed\n", sequenceFile.c_str());
  if (!repaired.ok) {
    std::fprintf(stderr, "grab: the recording cannot be completed: %s\n", repaired.problem.c_str());
    result.recorded = 0;
    result.last.clear();
    return false;
  }
  std::fprintf(stderr, "grab: %d of the %d pictures handed to the recording reached the disk\n",
               repaired.count, result.handed);
  result.recorded = repaired.count;
  result.lastNumber = repaired.lastNumber;
  // The last picture on disk, for the picture files.
  result.last.clear();
  SequenceFile* reread = nullptr;
  int width = 0, height = 0, bits = 0;
  if (repaired.count > 0 && IoOpenSeq(&reread, sequenceFile.c_str(), &width, &height, &bits) == 0) {
    std::vector<unsigned char> last(static_cast<size_t>(size));
    if (IoReadSeqPicture(reread, repaired.count - 1, last.data()) == 0) result.last.swap(last);
  }
  if (reread != nullptr) IoCloseSeq(reread);
  return false;
}

}  // namespace grab
