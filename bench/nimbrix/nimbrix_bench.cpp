// nimbrix throughput against peers measured in the same run, on the same
// file system:
//   - a sequence recording of 1-megapixel grey pictures against fio writing
//     4,000,000-byte blocks with 4 in flight and O_DSYNC (io_uring engine);
//   - BMP write and read of a 2048 x 2048 grey picture against a plain write
//     and read of the same number of bytes.
// Usage: nimbrix_bench [folder] [megabytes to record]  (default: ., 1000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "nimbrix.h"

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
double fioWrite(const std::string& name, long long bytes) {
  const long long blocks = bytes / 4000000 + 1;
  const std::string cmd = "fio --name=seqwrite --filename=" + name +
                          " --rw=write --bs=4000000 --iodepth=4 --ioengine=io_uring"
                          " --sync=dsync --size=" +
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
    std::printf("  fio      %8.1f MB/s (bs 4000000, iodepth 4, io_uring, O_DSYNC)\n",
                best(fio) / 1e6);
    std::printf("  ratio    %8.3f (target >= 0.9)\n", best(ours) / best(fio));
  } else {
    std::printf("  fio not available: no ratio\n");
  }
}

void bmpBench(const std::string& dir) {
  const int w = 2048, h = 2048, rounds = 15;
  std::vector<unsigned char> px(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<unsigned char>(i * 13);
  const std::string bmp = dir + "/bench.bmp", plain = dir + "/bench.bin";
  const std::size_t fileBytes = 1078 + px.size();
  std::vector<unsigned char> same(fileBytes, 1);
  std::vector<double> ourWrite, plainWrite, ourRead, plainRead;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = Clock::now();
    if (IoWriteBmp(bmp.c_str(), px.data(), w, h, 8) != 0) return;
    ourWrite.push_back(fileBytes / seconds(t0, Clock::now()));

    t0 = Clock::now();
    std::FILE* f = std::fopen(plain.c_str(), "wb");
    std::fwrite(same.data(), 1, same.size(), f);
    std::fclose(f);
    plainWrite.push_back(fileBytes / seconds(t0, Clock::now()));

    t0 = Clock::now();
    unsigned char* p = nullptr;
    int rw, rh, bits;
    BmpImage* image = IoReadBmp(bmp.c_str(), &p, &rw, &rh, &bits);
    const bool ok = p != nullptr;
    IoCloseBmp(image);
    if (!ok) return;
    ourRead.push_back(fileBytes / seconds(t0, Clock::now()));

    t0 = Clock::now();
    f = std::fopen(plain.c_str(), "rb");
    unsigned char* block = static_cast<unsigned char*>(std::malloc(fileBytes));
    const std::size_t got = std::fread(block, 1, fileBytes, f);
    std::fclose(f);
    std::free(block);
    if (got != fileBytes) return;
    plainRead.push_back(fileBytes / seconds(t0, Clock::now()));
  }
  std::remove(bmp.c_str());
  std::remove(plain.c_str());
  std::printf("BMP 2048x2048 grey, best of %d\n", rounds);
  std::printf("  write  nimbrix %8.1f MB/s  plain %8.1f MB/s  ratio %.3f (target >= 0.8)\n",
              best(ourWrite) / 1e6, best(plainWrite) / 1e6, best(ourWrite) / best(plainWrite));
  std::printf("  read   nimbrix %8.1f MB/s  plain %8.1f MB/s  ratio %.3f (target >= 0.8)\n",
              best(ourRead) / 1e6, best(plainRead) / 1e6, best(ourRead) / best(plainRead));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 1000;
  bmpBench(dir);
  sequenceBench(dir, megabytes);
  return 0;
}
