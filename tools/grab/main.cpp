// grab: the grab-and-keep run on a board.
//
//   grab [--count n] [--width w] [--height h] [--grey|--colour] [--rate r]
//        [--output folder] [--display|--no-display] [--applet lib] [--board i]
//        [--port 0|1|0,1]
//
// Sets the camera up over Camera Link, opens the grabber, records the
// pictures into <output>/grab.seq while showing them, then writes
// <output>/grab.avi, <output>/last.tif and <output>/last.bmp. With two ports
// both are recorded at once, each into files named after it
// (grab_port0.seq, ..., last_port1.bmp). Exit status 0, 1 on failure, 2 for
// a bad command line, 3 when pictures were lost or damaged, 128 + the
// signal (130, 143) when SIGINT or SIGTERM stopped the run.
#include "grab.h"

#include <quorlex/pictordyn.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void printNumbers(const char* what, const std::vector<int>& numbers, int count,
                  const std::string& prefix) {
  if (numbers.empty()) return;
  std::printf("%s%s:", prefix.c_str(), what);
  for (int n : numbers) std::printf(" %d", n);
  std::printf(count > static_cast<int>(numbers.size()) ? " ...\n" : "\n");
}

}  // namespace

int main(int argc, char** argv) {
  grab::Options o;
  bool exitNow = false;
  if (!grab::parseOptions(argc, argv, o, exitNow)) return 2;
  if (exitNow) return 0;
  // The folder is checked before the camera and the grabber are touched.
  if (!grab::prepareFolder(o.output)) return 1;
  grab::catchStopSignals();
  if (o.camera) {
    for (int port : o.ports) {
      if (!grab::setUpCamera(o, port)) return 1;
    }
  }

  Px_Struct* grabber = Px_Init(o.applet.c_str(), o.board);
  if (grabber == nullptr) {
    std::fprintf(stderr, "grab: Px_Init(%s, %d) failed (%d): %s\n", o.applet.c_str(), o.board,
                 getLastErrorNumber(), Px_getLastErrorDescription(nullptr));
    return 1;
  }
  const bool several = o.ports.size() > 1;
  std::string portList;
  for (int port : o.ports) portList += (portList.empty() ? "" : ",") + std::to_string(port);
  std::printf(
      "grabber open: %s on board %d, port%s %s; %d pictures of %dx%d %s at %d/s%s, "
      "ring of %d%s\n",
      o.applet.c_str(), o.board, several ? "s" : "", portList.c_str(), o.count, o.width, o.height,
      o.bits == 8 ? "grey" : "colour", o.rate, several ? " on each" : "", o.buffers,
      o.display ? "" : " (no display)");
  std::fflush(stdout);
  std::vector<grab::OutputNames> names;
  for (int port : o.ports) names.push_back(grab::outputNames(o, port));
  std::vector<grab::RunResult> results;
  bool ok = grab::acquire(grabber, o, names, results);
  const int freed = Px_FreeGrabber(grabber);
  if (freed < 0) {
    std::fprintf(stderr, "grab: Px_FreeGrabber failed (%d): %s\n", freed,
                 Px_getLastErrorDescription(nullptr));
    ok = false;
  }
  const int signal = grab::stopSignal();
  int handed = 0;
  for (const grab::RunResult& r : results) handed += r.handed;
  if (signal != 0)
    std::fprintf(stderr, "grab: stopped by signal %d after %d pictures\n", signal, handed);
  for (size_t i = 0; i < results.size(); ++i) {
    if (results[i].recorded > 0) ok = grab::exportOutputs(o, names[i], results[i]) && ok;
  }

  // One block a port; a port's lines start with its name when there are
  // several.
  int recorded = 0, lost = 0, damaged = 0, shortest = 0;
  double seconds = 0;
  for (size_t i = 0; i < results.size(); ++i) {
    const grab::RunResult& r = results[i];
    const std::string prefix = several ? "port " + std::to_string(o.ports[i]) + ": " : "";
    const double bytes = static_cast<double>(r.recorded) * grab::pictureSize(o);
    // Damaged pictures are named only when there are some, so that the line
    // of a run that kept everything whole stays as it always was.
    const std::string damagedText =
        r.damaged > 0 ? ", " + std::to_string(r.damaged) + " damaged" : std::string();
    std::printf("%srecorded %d of %d pictures in %.2f s (%.1f/s, %.1f MB/s), %d lost%s\n",
                prefix.c_str(), r.recorded, o.count, r.seconds,
                r.seconds > 0 ? r.recorded / r.seconds : 0.0,
                r.seconds > 0 ? bytes / r.seconds / 1e6 : 0.0, r.lost, damagedText.c_str());
    printNumbers("lost pictures", r.lostNumbers, r.lost, prefix);
    printNumbers("pictures overwritten while they were recorded (kept damaged)", r.damagedNumbers,
                 r.damaged, prefix);
    if (r.copied > 0)
      std::printf("%scopied %d pictures before handing them to the recording, which fell behind\n",
                  prefix.c_str(), r.copied);
    if (r.shown >= 0)
      std::printf("%sshown %d of the %d recorded pictures on the display\n", prefix.c_str(),
                  r.shown, r.handed);
    if (r.recorded > 0)
      std::printf("%soutputs: %s, %s, %s, %s (last picture %d)\n", prefix.c_str(),
                  names[i].sequence.c_str(), names[i].video.c_str(), names[i].tiff.c_str(),
                  names[i].bmp.c_str(), r.lastNumber);
    recorded += r.recorded;
    lost += r.lost;
    damaged += r.damaged;
    seconds = std::max(seconds, r.seconds);
    shortest = i == 0 ? r.recorded : std::min(shortest, r.recorded);
  }
  if (several) {
    const double bytes = static_cast<double>(recorded) * grab::pictureSize(o);
    std::printf("ports %s together: %d of %d pictures in %.2f s (%.1f MB/s), %d lost%s\n",
                portList.c_str(), recorded, o.count * static_cast<int>(results.size()), seconds,
                seconds > 0 ? bytes / seconds / 1e6 : 0.0, lost,
                damaged > 0 ? (", " + std::to_string(damaged) + " damaged").c_str() : "");
  }
  std::fflush(stdout);
  if (signal != 0) return 128 + signal;
  if (!ok || results.empty() || shortest == 0) return 1;
  // Everything asked for was written, but not every picture was kept whole.
  return lost > 0 || damaged > 0 ? 3 : 0;
}
