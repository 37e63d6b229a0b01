// nimbrix throughput against peers measured in the same run, on the same
// file system:
//   - a sequence recording of 1-megapixel grey pictures against fio writing
//     4,000,000-byte blocks with 4 in flight and O_DSYNC (io_uring engine);
//   - BMP write and read of a 2048 x 2048 grey picture against a plain write
//     and read of the same number of bytes.
//   - TIFF write and read of a 2048 x 2048 grey and colour picture against a
//     bare libtiff scanline loop with the same tags;
//   - AVI frames per second against ffmpeg muxing the same raw frames into an
//     uncompressed AVI.
// Usage: nimbrix_bench [folder] [megabytes to record] [bmp|tiff|avi|seq]
// (default: ., 1000, all)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <tiffio.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

#include <quorlex/nimbrix.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

double recordSequence(const std::string& name, int pictures) {
  const int w = 1024, h = 1024;
  std::vector<unsigned char> px(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<unsigned char>(i * 7);
  const auto t0 = Clock::now();
  SequenceFile* s = nullptr;
  if (IoCreateSeq(&s, name.c_str(), w, h, 8) != 0) return -1;
  for (int i = 0; i < pictures; ++i) {
    px[0] = static_cast<unsigned char>(i);
    if (IoWriteSeqPicture(s, i, px.data()) != 0) return -1;
  }
  if (IoCloseSeq(s) != 0) return -1;
  const double t = seconds(t0, Clock::now());
  std::remove(name.c_str());
  return static_cast<double>(pictures) * (24.0 + w * h) / t;
}

// fio's write bandwidth in bytes per second, or -1 when fio is not there.
// Like the recording, fio grows the file as it writes: with its default
// preallocation every write-through write would also convert extents.
double fioWrite(const std::string& name, long long bytes) {
  const long long blocks = bytes / 4000000 + 1;
  const std::string cmd = "fio --name=seqwrite --filename=" + name +
                          " --rw=write --bs=4000000 --iodepth=4 --ioengine=io_uring"
                          " --sync=dsync --fallocate=none --size=" +
                          std::to_string(blocks * 4000000) +
                          " --output-format=terse --terse-version=3 2>/dev/null";
  std::FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return -1;
  std::string out;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  const int rc = pclose(p);
  std::remove(name.c_str());
  if (rc != 0 || out.empty()) return -1;
  // Terse v3: field 48 is the write bandwidth in KiB/s (1-based, ';'-separated).
  int field = 1;
  std::size_t at = 0;
  while (field < 48 && at != std::string::npos) {
    at = out.find(';', at);
    if (at != std::string::npos) ++at;
    ++field;
  }
  if (at == std::string::npos) return -1;
  return std::atof(out.c_str() + at) * 1024.0;
}

double best(std::vector<double> v) {
  return *std::max_element(v.begin(), v.end());
}

void sequenceBench(const std::string& dir, long long megabytes) {
  const int pictures = static_cast<int>(megabytes * 1000000 / (1024 * 1024 + 24));
  const long long bytes = 40 + static_cast<long long>(pictures) * (1024 * 1024 + 24);
  std::vector<double> ours, fio;
  for (int round = 0; round < 3; ++round) {
    ours.push_back(recordSequence(dir + "/bench.seq", pictures));
    fio.push_back(fioWrite(dir + "/bench.fio", bytes));
  }
  std::printf("sequence: %d pictures of 1024x1024 (%.0f MB), best of 3\n", pictures, bytes / 1e6);
  std::printf("  nimbrix  %8.1f MB/s\n", best(ours) / 1e6);
  if (best(fio) > 0) {
    std::printf(
        "  fio      %8.1f MB/s (bs 4000000, iodepth 4, io_uring, O_DSYNC, no preallocation)\n",
        best(fio) / 1e6);
    std::printf("  ratio    %8.3f (target >= 0.9)\n", best(ours) / best(fio));
    // Every round, in the order run: the shared disk's speed moves between
    // rounds, and a reader of the ratio needs to see by how much.
    std::printf("  rounds   nimbrix");
    for (double v : ours) std::printf(" %.1f", v / 1e6);
    std::printf("; fio");
    for (double v : fio) std::printf(" %.1f", v / 1e6);
    std::printf(" MB/s\n");
  } else {
    std::printf("  fio not available: no ratio\n");
  }
}

#ifndef _WIN32
// The system's own cost of moving the rows of a bottom-up file one by one:
// the headers and the rows gathered into one positioned write per 1024
// pieces, and the rows scattered to their places by positioned reads. Any
// BMP writer or reader that keeps the caller's rows in place and copies
// each byte once pays this.
std::vector<iovec> reversedRows(unsigned char* rows, std::size_t width, std::size_t height) {
  std::vector<iovec> v;
  for (std::size_t r = height; r-- > 0;) v.push_back({rows + r * width, width});
  return v;
}

bool movePieces(int fd, std::vector<iovec>& v, off_t at, bool write) {
  for (std::size_t i = 0; i < v.size(); i += 1024) {
    const int n = static_cast<int>(std::min<std::size_t>(1024, v.size() - i));
    std::size_t want = 0;
    for (int k = 0; k < n; ++k) want += v[i + k].iov_len;
    const ssize_t done = write ? pwritev(fd, &v[i], n, at) : preadv(fd, &v[i], n, at);
    if (done != static_cast<ssize_t>(want)) return false;
    at += done;
  }
  return true;
}

double gatheredWrite(const std::string& name, std::vector<unsigned char>& px, std::size_t w,
                     std::size_t h) {
  static unsigned char head[1078] = {};
  std::remove(name.c_str());
  const auto t0 = Clock::now();
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<iovec> v = reversedRows(px.data(), w, h);
  v.insert(v.begin(), iovec{head, sizeof head});
  const bool ok = fd >= 0 && movePieces(fd, v, 0, true);
  if (fd >= 0) close(fd);
  return ok ? (sizeof head + w * h) / seconds(t0, Clock::now()) : -1;
}

double scatteredRead(const std::string& name, std::size_t w, std::size_t h) {
  const auto t0 = Clock::now();
  const int fd = open(name.c_str(), O_RDONLY);
  unsigned char* block = static_cast<unsigned char*>(std::malloc(1078 + w * h));
  std::vector<iovec> v = reversedRows(block + 1078, w, h);
  const bool ok = fd >= 0 && pread(fd, block, 1078, 0) == 1078 && movePieces(fd, v, 1078, false);
  if (fd >= 0) close(fd);
  std::free(block);
  return ok ? (1078 + w * h) / seconds(t0, Clock::now()) : -1;
}
#endif

void bmpBench(const std::string& dir) {
  const int w = 2048, h = 2048, rounds = 40;
  std::vector<unsigned char> px(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<unsigned char>(i * 13);
  const std::string bmp = dir + "/bench.bmp", plain = dir + "/bench.bin";
  const std::size_t fileBytes = 1078 + px.size();
  std::vector<unsigned char> same(fileBytes, 1);
  std::vector<double> ourWrite, plainWrite, ourRead, plainRead, rowsWrite, rowsRead;
  // Writes first, each into a fresh file (no truncation of the last one's
  // pages inside the timing), alternating; then reads, alternating.
  for (int r = 0; r < rounds; ++r) {
    std::remove(bmp.c_str());
    auto t0 = Clock::now();
    if (IoWriteBmp(bmp.c_str(), px.data(), w, h, 8) != 0) return;
    ourWrite.push_back(fileBytes / seconds(t0, Clock::now()));

    std::remove(plain.c_str());
    t0 = Clock::now();
    std::FILE* f = std::fopen(plain.c_str(), "wb");
    std::fwrite(same.data(), 1, same.size(), f);
    std::fclose(f);
    plainWrite.push_back(fileBytes / seconds(t0, Clock::now()));
#ifndef _WIN32
    rowsWrite.push_back(gatheredWrite(dir + "/bench.rows", px, w, h));
#endif
  }
  for (int r = 0; r < rounds; ++r) {
    auto t0 = Clock::now();
    unsigned char* p = nullptr;
    int rw, rh, bits;
    BmpImage* image = IoReadBmp(bmp.c_str(), &p, &rw, &rh, &bits);
    const bool ok = p != nullptr;
    IoCloseBmp(image);
    if (!ok) return;
    ourRead.push_back(fileBytes / seconds(t0, Clock::now()));

    t0 = Clock::now();
    std::FILE* f = std::fopen(plain.c_str(), "rb");
    unsigned char* block = static_cast<unsigned char*>(std::malloc(fileBytes));
    const std::size_t got = std::fread(block, 1, fileBytes, f);
    std::fclose(f);
    std::free(block);
    if (got != fileBytes) return;
    plainRead.push_back(fileBytes / seconds(t0, Clock::now()));
#ifndef _WIN32
    rowsRead.push_back(scatteredRead(dir + "/bench.rows", w, h));
#endif
  }
  std::remove((dir + "/bench.rows").c_str());
  std::remove(bmp.c_str());
  std::remove(plain.c_str());
  std::printf("BMP 2048x2048 grey, best of %d\n", rounds);
  std::printf("  write  nimbrix %8.1f MB/s  plain %8.1f MB/s  ratio %.3f (target >= 0.8)\n",
              best(ourWrite) / 1e6, best(plainWrite) / 1e6, best(ourWrite) / best(plainWrite));
  std::printf("  read   nimbrix %8.1f MB/s  plain %8.1f MB/s  ratio %.3f (target >= 0.8)\n",
              best(ourRead) / 1e6, best(plainRead) / 1e6, best(ourRead) / best(plainRead));
  if (!rowsWrite.empty() && best(rowsWrite) > 0 && best(rowsRead) > 0) {
    std::printf("  the system's limit for rows one by one (pwritev/preadv of the same pieces):\n");
    std::printf("  write  %8.1f MB/s  ratio to plain %.3f;  nimbrix to it %.3f\n",
                best(rowsWrite) / 1e6, best(rowsWrite) / best(plainWrite),
                best(ourWrite) / best(rowsWrite));
    std::printf("  read   %8.1f MB/s  ratio to plain %.3f;  nimbrix to it %.3f\n",
                best(rowsRead) / 1e6, best(rowsRead) / best(plainRead),
                best(ourRead) / best(rowsRead));
  }
}

void bareTags(TIFF* t, int w, int h, int samples) {
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_XRESOLUTION, 150.0);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, 150.0);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
}

void tiffBench(const std::string& dir) {
  const int w = 2048, h = 2048, rounds = 40;
  for (int samples : {1, 3}) {
    const std::size_t row = static_cast<std::size_t>(w) * samples;
    std::vector<unsigned char> px(row * h);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<unsigned char>(i * 11);
    const std::string ours = dir + "/bench.tif", bare = dir + "/bare.tif";
    std::vector<double> ourWrite, bareWrite, ourRead, bareRead;
    // Writes first, each into a fresh file, alternating; then reads of the
    // files last written,
    // alternating, so that neither side reads while the other's writes are
    // still being flushed.
    for (int r = 0; r < rounds; ++r) {
      std::remove(ours.c_str());
      auto t0 = Clock::now();
      if (IoWriteTiff(ours.c_str(), px.data(), w, h, 8, samples) != 0) return;
      ourWrite.push_back(px.size() / seconds(t0, Clock::now()));

      std::remove(bare.c_str());
      t0 = Clock::now();
      TIFF* t = TIFFOpen(bare.c_str(), "w");
      bareTags(t, w, h, samples);
      for (int y = 0; y < h; ++y) TIFFWriteScanline(t, px.data() + y * row, y, 0);
      TIFFClose(t);
      bareWrite.push_back(px.size() / seconds(t0, Clock::now()));
    }
    for (int r = 0; r < rounds; ++r) {
      auto t0 = Clock::now();
      void* block = nullptr;
      int rw, rh, rb, rs;
      if (IoReadTiff(ours.c_str(), &block, &rw, &rh, &rb, &rs) == 0) return;
      IoFreeTiff(block);
      ourRead.push_back(px.size() / seconds(t0, Clock::now()));

      t0 = Clock::now();
      TIFF* t = TIFFOpen(bare.c_str(), "r");
      unsigned char* out = static_cast<unsigned char*>(std::malloc(px.size()));
      for (int y = 0; y < h; ++y) TIFFReadScanline(t, out + y * row, y, 0);
      TIFFClose(t);
      std::free(out);
      bareRead.push_back(px.size() / seconds(t0, Clock::now()));
    }
    std::remove(ours.c_str());
    std::remove(bare.c_str());
    std::printf("TIFF 2048x2048 %s, best of %d\n", samples == 1 ? "grey" : "colour", rounds);
    std::printf(
        "  write  nimbrix %8.1f MB/s  bare libtiff %8.1f MB/s  ratio %.3f (target >= 0.9)\n",
        best(ourWrite) / 1e6, best(bareWrite) / 1e6, best(ourWrite) / best(bareWrite));
    std::printf(
        "  read   nimbrix %8.1f MB/s  bare libtiff %8.1f MB/s  ratio %.3f (target >= 0.9)\n",
        best(ourRead) / 1e6, best(bareRead) / 1e6, best(ourRead) / best(bareRead));
  }
}

double ourAvi(const std::string& name, const std::vector<unsigned char>& frame, int w, int h,
              int frames) {
  const auto t0 = Clock::now();
  AviWriter* avi = nullptr;
  if (IoCreateAVIGray(&avi, name.c_str(), w, h, 25.0) != 0) {
    IoCloseAVI(avi);
    return -1;
  }
  for (int i = 0; i < frames; ++i)
    if (IoWriteAVIPicture(avi, i, const_cast<unsigned char*>(frame.data())) != 0) return -1;
  IoCloseAVI(avi);
  const double t = seconds(t0, Clock::now());
  std::remove(name.c_str());
  return frames / t;
}

double ffmpegAvi(const std::string& raw, const std::string& name, int w, int h, int frames) {
  const std::string cmd = "ffmpeg -v error -y -f rawvideo -pix_fmt gray -s " + std::to_string(w) +
                          "x" + std::to_string(h) + " -r 25 -i " + raw +
                          " -c:v rawvideo -pix_fmt gray -f avi " + name + " 2>/dev/null";
  const auto t0 = Clock::now();
  const int rc = std::system(cmd.c_str());
  const double t = seconds(t0, Clock::now());
  std::remove(name.c_str());
  return rc == 0 ? frames / t : -1;
}

void aviBench(const std::string& dir) {
  const int w = 1024, h = 1024, frames = 300;
  std::vector<unsigned char> frame(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<unsigned char>(i * 5);
  const std::string raw = dir + "/frames.raw";
  std::FILE* f = std::fopen(raw.c_str(), "wb");
  for (int i = 0; i < frames; ++i) std::fwrite(frame.data(), 1, frame.size(), f);
  std::fclose(f);
  std::vector<double> ours, theirs;
  for (int r = 0; r < 3; ++r) {
    ours.push_back(ourAvi(dir + "/bench.avi", frame, w, h, frames));
    theirs.push_back(ffmpegAvi(raw, dir + "/ffmpeg.avi", w, h, frames));
  }
  std::remove(raw.c_str());
  std::printf("AVI %d grey frames of %dx%d, best of 3\n", frames, w, h);
  std::printf("  nimbrix  %8.1f frames/s\n", best(ours));
  if (best(theirs) > 0)
    std::printf("  ffmpeg   %8.1f frames/s (rawvideo into avi)  ratio %.3f (target > 1)\n",
                best(theirs), best(ours) / best(theirs));
  else
    std::printf("  ffmpeg not available: no ratio\n");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 1000;
  const std::string only = argc > 3 ? argv[3] : "";
  if (only.empty() || only == "bmp") bmpBench(dir);
  if (only.empty() || only == "tiff") tiffBench(dir);
  if (only.empty() || only == "avi") aviBench(dir);
  if (only.empty() || only == "seq") sequenceBench(dir, megabytes);
  return 0;
}
