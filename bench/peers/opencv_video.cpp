// Uncompressed AVI writing through OpenCV's VideoWriter: the same grey
// 1024 x 1024 frames that nimbrix_bench writes, as frames per second from
// opening the file to closing it. One line for scripts/bench:
//
//   avi grey opencv <frames/s>
//
//   opencv_video <folder> [frames, default 300] [runs, default 3]
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: opencv_video <folder> [frames] [runs]\n");
    return 2;
  }
  const std::string file = std::string(argv[1]) + "/opencv.avi";
  const int frames = argc > 2 ? std::atoi(argv[2]) : 300;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
  const int side = 1024;
  cv::Mat frame(side, side, CV_8UC1);
  for (int i = 0; i < side * side; ++i) frame.data[i] = static_cast<unsigned char>(i * 5);
  double best = 0;
  for (int r = 0; r < runs; ++r) {
    std::remove(file.c_str());
    const auto t0 = std::chrono::steady_clock::now();
    // A fourcc of 0 asks for raw frames: no compression, as the kit writes.
    cv::VideoWriter writer(file, cv::CAP_FFMPEG, 0, 25.0, cv::Size(side, side), false);
    if (!writer.isOpened()) {
      std::fprintf(stderr, "opencv_video: cannot open an uncompressed AVI writer\n");
      return 1;
    }
    for (int i = 0; i < frames; ++i) writer.write(frame);
    writer.release();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    best = std::max(best, frames / s);
  }
  std::remove(file.c_str());
  std::printf("avi grey opencv %.1f\n", best);
  return 0;
}
