// grab: the grab-and-keep run on a board.
//
//   grab [--count n] [--width w] [--height h] [--grey|--colour] [--rate r]
//        [--output folder] [--display|--no-display] [--applet lib] [--board i]
//
// Sets the camera up over Camera Link, opens the grabber, records the
// pictures into <output>/grab.seq while showing them, then writes
// <output>/grab.avi, <output>/last.tif and <output>/last.bmp. Exit status 0,
// 1 on failure, 2 for a bad command line, 3 when pictures were lost, 128 +
// the signal (130, 143) when SIGINT or SIGTERM stopped the run.
#include "grab.h"

#include "pictordyn.h"

#include <cstdio>

int main(int argc, char** argv) {
  grab::Options o;
  bool exitNow = false;
  if (!grab::parseOptions(argc, argv, o, exitNow)) return 2;
  if (exitNow) return 0;
  // The folder is checked before the camera and the grabber are touched.
  if (!grab::prepareFolder(o.output)) return 1;
  grab::catchStopSignals();
  if (o.camera && !grab::setUpCamera(o)) return 1;

  Px_Struct* grabber = Px_Init(o.applet.c_str(), o.board);
  if (grabber == nullptr) {
    std::fprintf(stderr, "grab: Px_Init(%s, %d) failed (%d): %s\n", o.applet.c_str(), o.board,
                 getLastErrorNumber(), Px_getLastErrorDescription(nullptr));
    return 1;
  }
  std::printf("grabber open: %s on board %d, port %d; %d pictures of %dx%d %s at %d/s%s\n",
              o.applet.c_str(), o.board, o.port, o.count, o.width, o.height,
              o.bits == 8 ? "grey" : "colour", o.rate, o.display ? "" : " (no display)");
  std::fflush(stdout);
  const std::string sequenceFile = grab::inFolder(o.output, "grab.seq");
  grab::RunResult r;
  bool ok = grab::acquire(grabber, o, sequenceFile, r);
  const int freed = Px_FreeGrabber(grabber);
  if (freed < 0) {
    std::fprintf(stderr, "grab: Px_FreeGrabber failed (%d): %s\n", freed,
                 Px_getLastErrorDescription(nullptr));
    ok = false;
  }
  const int signal = grab::stopSignal();
  if (signal != 0)
    std::fprintf(stderr, "grab: stopped by signal %d after %d pictures\n", signal, r.handed);
  if (r.recorded > 0) ok = grab::exportOutputs(o, sequenceFile, r) && ok;

  const double bytes = static_cast<double>(r.recorded) * grab::pictureSize(o);
  std::printf("recorded %d of %d pictures in %.2f s (%.1f/s, %.1f MB/s), %d lost\n", r.recorded,
              o.count, r.seconds, r.seconds > 0 ? r.recorded / r.seconds : 0.0,
              r.seconds > 0 ? bytes / r.seconds / 1e6 : 0.0, r.lost);
  if (!r.lostNumbers.empty()) {
    std::printf("lost pictures:");
    for (int n : r.lostNumbers) std::printf(" %d", n);
    std::printf(r.lost > static_cast<int>(r.lostNumbers.size()) ? " ...\n" : "\n");
  }
  if (r.recorded > 0)
    std::printf("outputs: %s, %s, %s, %s (last picture %d)\n", sequenceFile.c_str(),
                grab::inFolder(o.output, "grab.avi").c_str(),
                grab::inFolder(o.output, "last.tif").c_str(),
                grab::inFolder(o.output, "last.bmp").c_str(), r.lastNumber);
  std::fflush(stdout);
  if (signal != 0) return 128 + signal;
  if (!ok || r.recorded == 0) return 1;
  // Everything asked for was written, but not every picture was kept.
  return r.lost > 0 ? 3 : 0;
}
