// The grab application: sets the camera up over Camera Link, acquires a
// number of pictures on a board, shows them and records them, then exports
// the recording.
#ifndef QX_TOOLS_GRAB_H
#define QX_TOOLS_GRAB_H

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

struct Px_Struct;

namespace grab {

struct Options {
  std::string applet;         // applet library name or path
  int board = 0;              // board index
  std::vector<int> ports{0};  // camera ports of the board (0 = A, 1 = B), each recorded
  int count = 100;            // pictures to acquire
  int width = 640;
  int height = 480;
  int bits = 8;              // 8 grey, 24 colour
  int rate = 25;             // pictures per second
  int buffers = 0;           // pictures in the grabber's ring; 0: defaultBuffers()
  bool setGeometry = true;   // send width/height/format/rate to the applet
  std::string output = ".";  // folder for the outputs
  bool display = false;
  bool camera = true;  // set the camera up over Camera Link
  std::string cameraName = "GAIN";
  std::string cameraValue = "3";
};

// Parses the command line into `options`; false (after printing the reason
// and the usage to standard error) when it cannot. `exitNow` is set for
// --help.
bool parseOptions(int argc, char** argv, Options& options, bool& exitNow);
void printUsage(std::FILE* to);

// Identifies the camera, sets one value and reads it back. False, with the
// Camera Link library's own text on standard error, on any failure.
bool setUpCamera(const Options& options, int port);

// What an acquisition run on one port brought.
struct RunResult {
  int recorded = 0;              // pictures in the recording, on disk
  int handed = 0;                // pictures handed to the recording's writer
  int writeFailedAt = 0;         // picture whose write failed, 0: none did
  bool recordingFailed = false;  // a write or the close of the recording failed
  int lost = 0;                  // pictures missing from the recording
  std::vector<int> lostNumbers;  // the first missing picture numbers (up to 20)
  // Pictures whose ring buffer the grabber began to refill while the writer
  // copied them: they are in the recording, possibly mixed with a later one.
  int damaged = 0;
  std::vector<int> damagedNumbers;  // the first of them (up to 20)
  std::vector<unsigned char> last;  // the last recorded picture
  int lastNumber = 0;
  double seconds = 0;
  int shown = -1;  // pictures drawn on the display; -1: no display
  int copied = 0;  // pictures copied before they were handed to the writer
};

// The files a port's run writes.
struct OutputNames {
  std::string sequence, video, tiff, bmp;
};
// grab.seq, grab.avi, last.tif and last.bmp in the output folder for a run
// on one port; with more ports each name carries its port (grab_port1.seq).
OutputNames outputNames(const Options& options, int port);

class Progress;

// Acquires options.count pictures on every port of options.ports at once,
// each into its own recording (`names[i].sequence` for ports[i]); results[i]
// tells what port i brought. False, with the libraries' own texts on
// standard error, when any port failed. The grabber is released by the
// caller.
bool acquire(Px_Struct* grabber, const Options& options, const std::vector<OutputNames>& names,
             std::vector<RunResult>& results);

// The recording as AVI, the last picture as TIFF and BMP.
bool exportOutputs(const Options& options, const OutputNames& names, const RunResult& result);

// Bytes per picture.
inline int pictureSize(const Options& o) {
  return o.width * o.height * (o.bits / 8);
}

// The ring when --buffers is not given: a quarter of a second of pictures,
// so that the disk may stall that long without a picture lost, at least 16
// and at most 1024 pictures or 512 MiB (256 MiB in a 32-bit process), but
// never fewer than 16.
int defaultBuffers(const Options& o);

// Joins a folder and a file name.
std::string inFolder(const std::string& folder, const std::string& name);

// Progress line, shown only on a terminal: one part for each port, updated
// from each port's own thread.
class Progress {
 public:
  Progress(int total, const std::vector<int>& ports);
  void update(int index, int done, int lost, double seconds, double bytes);
  void finish();

 private:
  struct Port {
    int done = 0, lost = 0;
    double seconds = 0, bytes = 0;
  };
  int total_;
  std::vector<int> ports_;
  std::vector<Port> state_;
  bool terminal_;
  double lastShown_ = -1;
  bool shown_ = false;
  std::mutex lock_;
};

bool standardOutputIsTerminal();
bool displayAvailable();
// Creates the folder and the folders above it that are missing, and makes
// sure a file can be written there. False with the system's reason on
// standard error.
bool prepareFolder(const std::string& folder);
// From now on SIGINT and SIGTERM ask the run to stop; a second one ends the
// program at once.
void catchStopSignals();
// The signal that asked the run to stop, 0 while none did.
int stopSignal();

}  // namespace grab

#endif
