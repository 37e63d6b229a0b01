// Writes and reads files through nimbrix for checks by readers and writers
// that are not ours (tests/nimbrix/check_*.sh).
//   bmp-write <file.bmp> <expected.bgr> <width> <height> <bits>
//       writes a test picture; expected.bgr gets its pixels as blue-green-red
//       rows top to bottom (grey levels tripled)
//   bmp-read <file.bmp> <pixels.out>
//       reads a file and dumps its pixels; prints "width height bits"
//   tiff-write <file.tif> <width> <height> <bits> <samples> [value]
//       writes a test picture (every byte `value` when given)
//   tiff-read <file.tif> <pixels.out>
//       reads a file and dumps its pixels; prints "width height bits samples"
//   avi-write <file.avi> <width> <height> <bits> <fps> <frames>
//       writes frames of a known pattern
//   avi-check <width> <height> <bits> <frames>
//       reads decoded frames (blue-green-red, rows top to bottom) from
//       standard input and checks each against what avi-write wrote
//   avi-index <file.avi>
//       checks that every index entry (the first list's idx1 and the
//       standard indexes of a larger file) names a frame chunk of its size,
//       as a reader that seeks by the index finds it; prints
//       "index <idx1 entries> <standard index entries>"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <quorlex/nimbrix.h>
#include "nimbrix_test_util.h"

namespace {

bool dump(const char* name, const unsigned char* p, std::size_t n) {
  std::FILE* f = std::fopen(name, "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(p, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

int bmpWrite(char** argv) {
  const int w = std::atoi(argv[4]), h = std::atoi(argv[5]), bits = std::atoi(argv[6]);
  auto px = nimbrix_test::pattern(static_cast<std::size_t>(w) * h * (bits / 8), w * 7 + h);
  std::vector<unsigned char> bgr;
  for (std::size_t i = 0; i < px.size(); ++i) {
    bgr.push_back(px[i]);
    if (bits == 8) bgr.insert(bgr.end(), 2, px[i]);
  }
  if (IoWriteBmp(argv[2], px.data(), w, h, bits) != 0) return 1;
  return dump(argv[3], bgr.data(), bgr.size()) ? 0 : 1;
}

int bmpRead(char** argv) {
  unsigned char* px = nullptr;
  int w = 0, h = 0, bits = 0;
  BmpImage* image = IoReadBmp(argv[2], &px, &w, &h, &bits);
  if (px == nullptr) return 1;
  const bool ok = dump(argv[3], px, static_cast<std::size_t>(w) * h * (bits / 8));
  std::printf("%d %d %d\n", w, h, bits);
  IoCloseBmp(image);
  return ok ? 0 : 1;
}

int tiffWrite(char** argv) {
  const int w = std::atoi(argv[3]), h = std::atoi(argv[4]);
  const int bits = std::atoi(argv[5]), samples = std::atoi(argv[6]);
  auto px = nimbrix_test::pattern(static_cast<std::size_t>(w) * h * samples * (bits / 8));
  if (argv[7] != nullptr) std::fill(px.begin(), px.end(), std::atoi(argv[7]));
  return IoWriteTiff(argv[2], px.data(), w, h, bits, samples) == 0 ? 0 : 1;
}

int tiffRead(char** argv) {
  void* px = nullptr;
  int w = 0, h = 0, bits = 0, samples = 0;
  const int read = IoReadTiff(argv[2], &px, &w, &h, &bits, &samples);
  const bool ok = read != 0 && dump(argv[3], static_cast<unsigned char*>(px),
                                    static_cast<std::size_t>(w) * h * samples * (bits / 8));
  IoFreeTiff(px);
  if (!ok) return 1;
  std::printf("%d %d %d %d\n", w, h, bits, samples);
  return 0;
}

// Byte `b` of row `r`, column byte `c` of frame `i`: cheap to make and check.
unsigned char frameByte(int i, int r, int c) {
  return static_cast<unsigned char>(i * 31 + r * 7 + c * 3);
}

int aviWrite(char** argv) {
  const int w = std::atoi(argv[3]), h = std::atoi(argv[4]), bits = std::atoi(argv[5]);
  const double fps = std::atof(argv[6]);
  const int frames = std::atoi(argv[7]);
  const int row = w * bits / 8;
  std::vector<unsigned char> frame(static_cast<std::size_t>(row) * h);
  AviWriter* avi = nullptr;
  const int created = bits == 8 ? IoCreateAVIGray(&avi, argv[2], w, h, fps)
                                : IoCreateAVIColor(&avi, argv[2], w, h, fps);
  int result = created;
  for (int i = 0; result == 0 && i < frames; ++i) {
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < row; ++c)
        frame[static_cast<std::size_t>(r) * row + c] = frameByte(i, r, c);
    result = IoWriteAVIPicture(avi, i, frame.data());
  }
  IoCloseAVI(avi);
  if (result != 0) std::fprintf(stderr, "avi-write: %d\n", result);
  return result == 0 ? 0 : 1;
}

int aviCheck(char** argv) {
  const int w = std::atoi(argv[2]), h = std::atoi(argv[3]), bits = std::atoi(argv[4]);
  const int frames = std::atoi(argv[5]);
  const std::size_t size = static_cast<std::size_t>(w) * h * 3;
  std::vector<unsigned char> got(size);
  int i = 0;
  while (std::fread(got.data(), 1, size, stdin) == size) {
    // The frame's first row is the picture's bottom row.
    for (int r = 0; r < h; ++r)
      for (int x = 0; x < w; ++x)
        for (int k = 0; k < 3; ++k) {
          const int c = bits == 8 ? x : 3 * x + k;
          if (got[(static_cast<std::size_t>(h - 1 - r) * w + x) * 3 + k] != frameByte(i, r, c)) {
            std::printf("frame %d differs at row %d, column %d\n", i, r, x);
            return 1;
          }
        }
    ++i;
  }
  std::printf("%d frames\n", i);
  return i == frames ? 0 : 1;
}

// The bytes at a 64-bit offset; fewer at the end of the file.
std::string readAt(std::FILE* f, std::uint64_t at, std::size_t n) {
  std::string out(n, '\0');
#if defined(_WIN32)
  if (_fseeki64(f, static_cast<__int64>(at), SEEK_SET) != 0) return "";
#else
  if (fseeko(f, static_cast<off_t>(at), SEEK_SET) != 0) return "";
#endif
  out.resize(std::fread(&out[0], 1, n, f));
  return out;
}

// Whether a "00db" chunk of `size` bytes starts at `at`.
bool frameChunkAt(std::FILE* f, std::uint64_t at, std::uint32_t size) {
  const std::string h = readAt(f, at, 8);
  return h.size() == 8 && h.compare(0, 4, "00db") == 0 && nimbrix_test::le32(h, 4) == size;
}

int aviIndex(char** argv) {
  using nimbrix_test::le16;
  using nimbrix_test::le32;
  std::FILE* f = std::fopen(argv[2], "rb");
  if (f == nullptr) return 1;
  int failures = 0;
  auto fail = [&](const char* what, std::size_t i, std::uint64_t at) {
    if (++failures <= 5)
      std::printf("%s entry %zu names %llu: no frame chunk of its size\n", what, i,
                  static_cast<unsigned long long>(at));
  };
  // The first list's chunks: the frame list and its idx1.
  const std::string riff = readAt(f, 0, 12);
  const std::uint64_t end = riff.size() == 12 ? 8 + static_cast<std::uint64_t>(le32(riff, 4)) : 0;
  std::uint64_t movi = 0, idx1 = 0, at = 12;
  while (at + 8 <= end) {
    const std::string h = readAt(f, at, 12);
    if (h.size() < 8) break;
    if (h.compare(0, 4, "LIST") == 0 && h.size() == 12 && h.compare(8, 4, "movi") == 0)
      movi = at + 8;
    if (h.compare(0, 4, "idx1") == 0) idx1 = at;
    const std::uint64_t size = le32(h, 4);
    at += 8 + size + (size & 1);
  }
  std::size_t idx1Entries = 0, standardEntries = 0;
  if (idx1 != 0 && movi != 0) {
    idx1Entries = le32(readAt(f, idx1, 8), 4) / 16;
    const std::string e = readAt(f, idx1 + 8, 16 * idx1Entries);
    // Offsets count from the frame list's "movi" (or from the file's start,
    // as some writers have it: taken when the first entry only fits so).
    const std::uint64_t from =
        e.size() >= 16 && frameChunkAt(f, le32(e, 8), le32(e, 12)) ? 0 : movi;
    for (std::size_t i = 0; i < idx1Entries && e.size() == 16 * idx1Entries; ++i) {
      const std::uint64_t chunk = from + le32(e, 16 * i + 8);
      if (!frameChunkAt(f, chunk, le32(e, 16 * i + 12))) fail("idx1", i, chunk);
    }
  }
  // A larger file's super index (in the stream header list) names standard
  // indexes, whose entries give each frame's data: its header lies 8 bytes
  // before.
  const std::string head = readAt(f, 0, 65536);
  const std::size_t indx = head.find("indx");
  if (indx != std::string::npos && indx + 32 <= head.size() && le16(head, indx + 8) == 4) {
    const std::size_t supers = le32(head, indx + 12);
    for (std::size_t s = 0; s < supers && indx + 32 + 16 * s + 16 <= head.size(); ++s) {
      const std::size_t ref = indx + 32 + 16 * s;
      const std::uint64_t ix = le32(head, ref) | static_cast<std::uint64_t>(le32(head, ref + 4))
                                                     << 32;
      const std::string h = readAt(f, ix, 32);
      if (h.size() != 32 || h.compare(0, 4, "ix00") != 0) {
        fail("super index", s, ix);
        continue;
      }
      const std::size_t n = le32(h, 12);
      const std::uint64_t base = le32(h, 20) | static_cast<std::uint64_t>(le32(h, 24)) << 32;
      const std::string e = readAt(f, ix + 32, 8 * n);
      for (std::size_t i = 0; i < n && e.size() == 8 * n; ++i, ++standardEntries) {
        const std::uint64_t data = base + le32(e, 8 * i);
        if (!frameChunkAt(f, data - 8, le32(e, 8 * i + 4) & 0x7FFFFFFFu))
          fail("standard index", standardEntries, data);
      }
    }
  }
  std::fclose(f);
  std::printf("index %zu %zu\n", idx1Entries, standardEntries);
  return failures == 0 && idx1Entries > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "bmp-write" && argc == 7) return bmpWrite(argv);
  if (mode == "bmp-read" && argc == 4) return bmpRead(argv);
  if (mode == "tiff-write" && (argc == 7 || argc == 8)) return tiffWrite(argv);
  if (mode == "tiff-read" && argc == 4) return tiffRead(argv);
  if (mode == "avi-write" && argc == 8) return aviWrite(argv);
  if (mode == "avi-check" && argc == 6) return aviCheck(argv);
  if (mode == "avi-index" && argc == 3) return aviIndex(argv);
  std::fprintf(stderr, "usage: nimbrix_sample bmp-write|bmp-read ...\n");
  return 2;
}
