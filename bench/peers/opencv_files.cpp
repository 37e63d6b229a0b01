// BMP and TIFF pictures through OpenCV's imwrite and imread (TIFF without
// compression, as the kit writes it), on the protocol of file_contest.h.
//
//   opencv_files <folder> [rounds]
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <vector>

#include "file_contest.h"

namespace {

using contest::Picture;

cv::Mat wrap(const Picture& p) {
  return cv::Mat(p.height, p.width, p.bytesPerPixel == 1 ? CV_8UC1 : CV_8UC3,
                 const_cast<unsigned char*>(p.pixels.data()));
}

std::size_t readBack(const std::string& file) {
  const cv::Mat m = cv::imread(file, cv::IMREAD_UNCHANGED);
  return m.empty() ? 0 : m.total() * m.elemSize();
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  int rounds = 0;
  if (!contest::parseArguments(argc, argv, folder, rounds)) {
    std::fprintf(stderr, "usage: opencv_files <folder> [rounds]\n");
    return 2;
  }
  const std::vector<int> noCompression = {cv::IMWRITE_TIFF_COMPRESSION, 1};
  bool ok = true;
  for (int bytes : {1, 3}) {
    const Picture p = contest::makePicture(bytes);
    ok = contest::measure(
             "bmp", p, "opencv", folder + "/opencv.bmp", rounds,
             [](const std::string& f, const Picture& q) { return cv::imwrite(f, wrap(q)); },
             readBack) &&
         ok;
    ok = contest::measure(
             "tiff", p, "opencv", folder + "/opencv.tif", rounds,
             [&](const std::string& f, const Picture& q) {
               return cv::imwrite(f, wrap(q), noCompression);
             },
             readBack) &&
         ok;
  }
  return ok ? 0 : 1;
}
