#include "grab.h"

#include <quorlex/nimbrix.h>
#include <quorlex/oculon.h>
#include <quorlex/pictordyn.h>
#include "acqsim.h"
#include "repair.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

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

// Displays are created and closed one at a time, whichever port's thread
// does it.
std::mutex displayLife;

// The display of one port, drawn by a thread of its own so that drawing
// never holds the recording up: the recording offers each picture it kept,
// and the display takes a copy only while it is idle. Pictures offered while
// it draws are skipped on screen. A window that cannot be opened leaves the
// run headless rather than ending it.
class Display {
 public:
  Display(const Options& o, int port)
      : width_(o.width), height_(o.height), channels_(o.bits / 8), bits_(o.bits) {
    if (!o.display) return;
    std::snprintf(title_, sizeof title_, "%dx%d %s %d/s", o.width, o.height,
                  o.bits == 8 ? "grey" : "colour", o.rate);
    if (o.ports.size() > 1)
      std::snprintf(title_ + std::strlen(title_), sizeof title_ - std::strlen(title_), " port %d",
                    port);
    // The display reads rows that start on 4-byte boundaries: pictures
    // whose rows are not a multiple of 4 bytes long are copied with padded
    // rows, else each row would be shown shifted. It reads whole groups of
    // 8 pixels a row.
    const size_t row = static_cast<size_t>(width_) * channels_;
    stride_ = (row + 3) / 4 * 4;
    const size_t read = (static_cast<size_t>(width_) + 7) / 8 * 8 * channels_ * height_;
    frame_.assign(std::max(read, stride_ * height_), 0);
    shown_ = 0;
    thread_ = std::thread([this] { run(); });
  }
  ~Display() { finish(); }
  // Waits for the last picture handed over to be drawn and closes the
  // display; the pictures shown, -1 without a display.
  int finish() {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
      }
      wake_.notify_one();
      thread_.join();
    }
    return shown_;
  }
  // True when the display waits for a picture: `take` then copies one.
  bool idle() const { return thread_.joinable() && !busy_.load(std::memory_order_acquire); }
  // Copies the picture; only while idle().
  void take(const unsigned char* pixels) {
    const size_t row = static_cast<size_t>(width_) * channels_;
    if (stride_ == row) {
      std::memcpy(frame_.data(), pixels, row * height_);
    } else {
      for (int y = 0; y < height_; ++y) std::memcpy(&frame_[y * stride_], pixels + y * row, row);
    }
  }
  // Has the copy taken last drawn as picture `number`.
  void draw(int number) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      pending_ = number;
      busy_.store(true, std::memory_order_release);
    }
    wake_.notify_one();
  }

 private:
  void run() {
    busy_.store(true);
    int index;
    {
      std::lock_guard<std::mutex> hold(displayLife);
      index = CreateDisplay(bits_, width_, height_);
      if (index >= 0) SetBufferWidth(index, width_, height_);
    }
    if (index < 0) {
      std::fprintf(stderr, "grab: no display window could be opened; running without\n");
      shown_ = -1;
      return;  // stays busy: nothing is offered any more
    }
    busy_.store(false, std::memory_order_release);
    for (;;) {
      int number;
      {
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait(hold, [this] { return stop_ || pending_ != 0; });
        if (pending_ == 0) break;
        number = pending_;
        pending_ = 0;
      }
      const int drawn = DrawBuffer(index, frame_.data(), number, title_);
      if (drawn != 0) {
        // Said once; the run goes on without showing pictures.
        std::fprintf(stderr,
                     "grab: the display refused picture %d (DrawBuffer returned %d); "
                     "pictures are no longer shown\n",
                     number, drawn);
        break;
      }
      ++shown_;
      busy_.store(false, std::memory_order_release);
    }
    std::lock_guard<std::mutex> hold(displayLife);
    CloseDisplay(index);
  }

  int width_, height_, channels_, bits_;
  char title_[96] = "";
  size_t stride_ = 0;
  std::vector<unsigned char> frame_;
  std::thread thread_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  int pending_ = 0;
  std::atomic<bool> busy_{true};
  std::atomic<int> shown_{-1};
};

void noteNumber(int& count, std::vector<int>& numbers, int number) {
  ++count;
  if (numbers.size() < 20) numbers.push_back(number);
}

// One port's recording, from setting the port up to the closed recording.
class PortRun {
 public:
  PortRun(Px_Struct* grabber, const Options& o, int port, int index, const std::string& file,
          RunResult& result)
      : grabber_(grabber), o_(o), port_(port), index_(index), file_(file), result_(result) {}

  // Geometry, ring memory, recording file and the acquisition's start.
  bool start() {
    if (o_.setGeometry) {
      if (!setParameter(grabber_, ACQSIM_PARAM_WIDTH, o_.width, port_, "width") ||
          !setParameter(grabber_, ACQSIM_PARAM_HEIGHT, o_.height, port_, "height") ||
          !setParameter(grabber_, ACQSIM_PARAM_FORMAT, o_.bits, port_, "format") ||
          !setParameter(grabber_, ACQSIM_PARAM_RATE, o_.rate, port_, "rate"))
        return false;
    }
    if (Px_AllocMem(grabber_, pictureSize(o_), o_.buffers, port_) == nullptr) {
      reportPx(grabber_, "Px_AllocMem", Px_getLastErrorNumber(grabber_));
      return false;
    }
    allocated_ = true;
    errno = 0;
    if (IoCreateSeq(&sequence_, file_.c_str(), o_.width, o_.height, o_.bits) != 0) {
      const int reason = errno;
      std::fprintf(stderr, "grab: cannot create the recording %s: %s\n", file_.c_str(),
                   reason != 0 ? std::strerror(reason) : "refused by the file library");
      sequence_ = nullptr;
      return false;
    }
    const int started = Px_Acquire(grabber_, port_, o_.count);
    if (started < 0) {
      reportPx(grabber_, "Px_Acquire", started);
      return false;
    }
    acquiring_ = true;
    return true;
  }

  void record(Progress& progress) { recorded_ = loop(progress); }

  // Stops the port, frees its memory and closes the recording; the result
  // counts what is on disk.
  bool end() {
    bool ok = recorded_;
    if (acquiring_) {
      const int stopped = Px_stopAcquire(grabber_, port_);
      if (stopped < 0) {
        reportPx(grabber_, "Px_stopAcquire", stopped);
        ok = false;
      }
    }
    if (allocated_) {
      const int freed = Px_FreeMem(grabber_, port_);
      if (freed < 0) {
        reportPx(grabber_, "Px_FreeMem", freed);
        ok = false;
      }
    }
    if (sequence_ == nullptr) return false;
    RunResult& result = result_;
    if (IoCloseSeq(sequence_) != 0) result.recordingFailed = true;
    if (!result.recordingFailed) {
      result.recorded = result.handed;
      readLast();
      return ok;
    }
    // Some writes did not reach the disk: the recording is brought to what
    // lies whole in the file, so that it verifies and the count is exact.
    const seqtool::Repair repaired = seqtool::repairRecording(file_);
    if (result.writeFailedAt > 0)
      std::fprintf(stderr, "grab: writing to the recording %s failed at picture %d; stopped\n",
                   file_.c_str(), result.writeFailedAt);
    else
      std::fprintf(stderr, "grab: closing the recording %s failed\n", file_.c_str());
    if (!repaired.ok) {
      std::fprintf(stderr, "grab: the recording cannot be completed: %s\n",
                   repaired.problem.c_str());
      result.recorded = 0;
      return false;
    }
    std::fprintf(stderr, "grab: %d of the %d pictures handed to the recording reached the disk\n",
                 repaired.count, result.handed);
    result.recorded = repaired.count;
    result.lastNumber = repaired.lastNumber;
    readLast();
    return false;
  }

 private:
  // The ring buffer of picture k still holds it: its stamp names k and the
  // grabber has not begun the picture that reuses the buffer.
  bool holds(const unsigned char* pixels, int k) {
    return stampOf(pixels) == static_cast<unsigned>(k) &&
           Px_getLastPicNumber(grabber_, port_) <= k + o_.buffers - 2;
  }

  // Waits for every picture in turn and hands those that are still whole
  // straight from the grabber's ring to the recording's writer, whose copy
  // into its transfer buffers is the only one. A picture counts as lost
  // when its buffer was overwritten before it could be handed over: the
  // stamp then names a later picture, or the grabber had already started on
  // the picture that reuses the buffer.
  bool loop(Progress& progress) {
    const int size = pictureSize(o_);
    const int timeoutMs = std::max(2000, 3000 / o_.rate + 1000);
    Display display(o_, port_);
    std::vector<unsigned char> safe(static_cast<size_t>(size));
    const Clock::time_point start = Clock::now();
    double bytes = 0;
    RunResult& r = result_;
    bool ok = true;
    for (int k = 1; k <= o_.count; ++k) {
      // Ctrl-C or SIGTERM: the pictures so far are kept.
      if (stopSignal() != 0) break;
      const int last = Px_getLastPicNumberBlocking(grabber_, k, port_, timeoutMs);
      if (last < 0) {
        progress.finish();
        reportPx(grabber_, ("waiting for picture " + std::to_string(k) + on()).c_str(), last);
        ok = false;
        break;
      }
      unsigned char* pixels = static_cast<unsigned char*>(Px_getImagePtr(grabber_, k, port_));
      if (pixels == nullptr) {
        progress.finish();
        reportPx(grabber_, ("getting picture " + std::to_string(k) + on()).c_str(), 0);
        ok = false;
        break;
      }
      // While the grabber is less than half a ring ahead the picture goes
      // to the writer straight from the ring. Further ahead, the recording
      // is falling behind and a write that waits for the disk could outlast
      // the picture's buffer: the picture is then copied first and checked
      // on the copy.
      bool whole = last <= k + o_.buffers - 2 && holds(pixels, k);
      unsigned char* handed = pixels;
      if (whole && last - k >= o_.buffers / 2) {
        std::memcpy(safe.data(), pixels, safe.size());
        whole = stampOf(safe.data()) == static_cast<unsigned>(k) && holds(pixels, k);
        handed = safe.data();
      }
      if (!whole) {
        noteNumber(r.lost, r.lostNumbers, k);
      } else {
        // The writer reports a failed transfer (a full disk) at a later
        // call: the pictures handed over until then need not all be on
        // disk. The recording is closed and counted afterwards.
        if (IoWriteSeqPicture(sequence_, k, handed) != 0) {
          progress.finish();
          r.writeFailedAt = k;
          r.recordingFailed = true;
          break;
        }
        ++r.handed;
        r.lastNumber = k;
        bytes += size;
        const bool fromRing = handed == pixels;
        if (!fromRing) ++r.copied;
        // Checked again once the writer has its copy: a buffer the grabber
        // began to refill meanwhile may have been copied partly refilled.
        // The writer gives no look at its copy, so the picture stays in the
        // recording and is reported.
        if (fromRing && !holds(pixels, k)) {
          noteNumber(r.damaged, r.damagedNumbers, k);
        } else if (display.idle()) {
          display.take(handed);
          if (!fromRing || holds(pixels, k)) display.draw(k);
        }
      }
      r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
      progress.update(index_, k, r.lost, r.seconds, bytes);
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    progress.finish();
    r.shown = display.finish();
    return ok;
  }

  std::string on() const {
    return o_.ports.size() > 1 ? " on port " + std::to_string(port_) : std::string();
  }

  // The last picture on disk, for the picture files.
  void readLast() {
    result_.last.clear();
    if (result_.recorded <= 0) return;
    SequenceFile* reread = nullptr;
    int width = 0, height = 0, bits = 0;
    if (IoOpenSeq(&reread, file_.c_str(), &width, &height, &bits) == 0) {
      std::vector<unsigned char> last(static_cast<size_t>(pictureSize(o_)));
      if (IoReadSeqPicture(reread, result_.recorded - 1, last.data()) == 0) result_.last.swap(last);
    }
    if (reread != nullptr) IoCloseSeq(reread);
  }

  Px_Struct* grabber_;
  const Options& o_;
  int port_, index_;
  std::string file_;
  RunResult& result_;
  SequenceFile* sequence_ = nullptr;
  bool allocated_ = false, acquiring_ = false, recorded_ = false;
};

}  // namespace

bool acquire(Px_Struct* grabber, const Options& o, const std::vector<OutputNames>& names,
             std::vector<RunResult>& results) {
  results.assign(o.ports.size(), RunResult());
  std::vector<std::unique_ptr<PortRun>> runs;
  bool started = true;
  for (size_t i = 0; i < o.ports.size() && started; ++i) {
    runs.emplace_back(
        new PortRun(grabber, o, o.ports[i], static_cast<int>(i), names[i].sequence, results[i]));
    started = runs.back()->start();
  }
  if (started) {
    // Each port records in a thread of its own; the first in this one.
    Progress progress(o.count, o.ports);
    std::vector<std::thread> others;
    for (size_t i = 1; i < runs.size(); ++i)
      others.emplace_back([&progress, &runs, i] { runs[i]->record(progress); });
    runs[0]->record(progress);
    for (std::thread& t : others) t.join();
  }
  bool ok = started;
  for (auto& run : runs) ok = run->end() && ok;
  return ok;
}

}  // namespace grab
