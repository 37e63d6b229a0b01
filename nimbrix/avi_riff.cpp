// Our own RIFF AVI writer, for systems without Video for Windows. It writes
// what Video for Windows writes for one uncompressed video stream: the stream
// header and format, one '00db' chunk per frame, an 'idx1' index. A recording
// that would take the file past the 1 GiB that AVI 1.0 readers rely on goes
// on in OpenDML form: further 'AVIX' RIFF lists, a standard index ('ix00')
// per list, and a super index ('indx') and total frame count ('dmlh') in the
// header, written into space reserved for them from the start. Files of any
// length thus play.
#include <stdio.h>

#include <cstring>
#include <vector>

#include "avi_output.h"
#include "exported.h"
#include "le_bytes.h"
#include "platform/wide_name.h"

namespace nimbrix {
namespace {

constexpr std::uint64_t kRiffLimit = 1ull << 30;
constexpr std::size_t kMaxRiffs = 256;  // super index entries: 256 GiB of frames
constexpr std::size_t kSuperIndexSize = 24 + 16 * kMaxRiffs;
constexpr std::size_t kOdmlSize = 4 + 8 + 248;
constexpr std::uint32_t kKeyFrame = 0x10;
constexpr std::uint32_t kHasIndex = 0x10;

class Bytes {
 public:
  Bytes& fourcc(const char* c) {
    b_.insert(b_.end(), c, c + 4);
    return *this;
  }
  Bytes& u16(std::uint32_t v) {
    unsigned char p[2];
    putLe16(p, v);
    b_.insert(b_.end(), p, p + 2);
    return *this;
  }
  Bytes& u32(std::uint32_t v) {
    unsigned char p[4];
    putLe32(p, v);
    b_.insert(b_.end(), p, p + 4);
    return *this;
  }
  Bytes& u64(std::uint64_t v) { return u32(static_cast<std::uint32_t>(v)).u32(v >> 32); }
  Bytes& zeros(std::size_t n) {
    b_.insert(b_.end(), n, 0);
    return *this;
  }
  Bytes& raw(const unsigned char* p, std::size_t n) {
    b_.insert(b_.end(), p, p + n);
    return *this;
  }
  const std::vector<unsigned char>& data() const { return b_; }

 private:
  std::vector<unsigned char> b_;
};

class RiffOutput final : public AviOutput {
 public:
  RiffOutput(std::FILE* f, const AviStreamSetup& setup, const unsigned char* format,
             std::size_t formatLength)
      : f_(f), setup_(setup), format_(format, format + formatLength) {}
  ~RiffOutput() override { close(); }

  bool start() {
    riffAt_ = 0;
    Bytes h;
    h.fourcc("RIFF").u32(0).fourcc("AVI ");
    const std::size_t strl = 4 + (8 + 56) + (8 + format_.size()) + (8 + kSuperIndexSize);
    const std::size_t hdrl = 4 + (8 + 56) + (8 + strl) + (8 + kOdmlSize);
    h.fourcc("LIST").u32(static_cast<std::uint32_t>(hdrl)).fourcc("hdrl");
    avihAt_ = h.data().size();
    h.fourcc("avih").u32(56).zeros(56);
    h.fourcc("LIST").u32(static_cast<std::uint32_t>(strl)).fourcc("strl");
    strhAt_ = h.data().size();
    h.fourcc("strh").u32(56).zeros(56);
    h.fourcc("strf").u32(static_cast<std::uint32_t>(format_.size()));
    h.raw(format_.data(), format_.size());
    superIndexAt_ = h.data().size();
    h.fourcc("JUNK").u32(kSuperIndexSize).zeros(kSuperIndexSize);
    odmlAt_ = h.data().size();
    h.fourcc("JUNK").u32(kOdmlSize).zeros(kOdmlSize);
    moviAt_ = h.data().size();
    h.fourcc("LIST").u32(0).fourcc("movi");
    put(h);
    position_ = h.data().size();
    patchHeaders(true);  // a complete description from the start
    return !failed_;
  }

  int writeFrame(int index, const void* data, std::size_t size) override {
    if (f_ == nullptr) return kAviErrorBadHandle;
    if (index < 0 || static_cast<std::uint64_t>(index) < totalFrames_) return kAviErrorBadParam;
    // Frames skipped by the caller's numbering are empty chunks (dropped
    // frames), as players expect.
    while (!failed_ && totalFrames_ < static_cast<std::uint64_t>(index))
      if (!chunk(nullptr, 0)) return kAviErrorFileWrite;
    return chunk(data, size) ? 0 : kAviErrorFileWrite;
  }

  bool close() override {
    if (f_ == nullptr) return !failed_;
    // A file whose index finds no memory is closed all the same, as failed
    // (the frames stay readable, as on a full disk).
    if (!qx::platform::guarded([this] { return complete(), true; }, false)) failed_ = true;
    if (std::fclose(f_) != 0) failed_ = true;
    f_ = nullptr;
    return !failed_;
  }

 private:
  struct Entry {
    std::uint64_t dataAt;
    std::uint32_t size;
  };
  struct IndexRef {
    std::uint64_t at;
    std::uint32_t size;
    std::uint32_t frames;
  };

  void put(const Bytes& b) { write(b.data().data(), b.data().size()); }
  void write(const void* p, std::size_t n) {
    if (!failed_ && n != 0 && std::fwrite(p, 1, n, f_) != n) failed_ = true;
    position_ += n;
  }
  void putAt(std::uint64_t at, const Bytes& b) {
    if (failed_) return;
    if (fseeko(f_, static_cast<off_t>(at), SEEK_SET) != 0) failed_ = true;
    put(b);
    position_ -= b.data().size();
    if (fseeko(f_, static_cast<off_t>(position_), SEEK_SET) != 0) failed_ = true;
  }

  bool chunk(const void* data, std::size_t size) {
    if (failed_) return false;
    const std::uint64_t total = 8 + size + (size & 1);
    const std::uint64_t n = current_.size() + 1;
    const std::uint64_t indexes = (8 + 24 + 8 * n) + (superIndex_.empty() ? 8 + 16 * n : 0);
    if (position_ - riffAt_ + total + indexes > kRiffLimit) {
      // A RIFF list holds at least one frame; past that, a frame starts the
      // next list, as long as the super index has room for it.
      if (!current_.empty() && superIndex_.size() + 1 < kMaxRiffs)
        nextRiff();
      else if (!current_.empty() || total + 64 + 8 * n > 0xFFFFFFF0u)
        return false;
    }
    Bytes head;
    head.fourcc("00db").u32(static_cast<std::uint32_t>(size));
    put(head);
    current_.push_back({position_, static_cast<std::uint32_t>(size)});
    write(data, size);
    if (size & 1) write("", 1);
    ++totalFrames_;
    if (size > maxChunk_) maxChunk_ = static_cast<std::uint32_t>(size);
    return !failed_;
  }

  void nextRiff() {
    writeStandardIndex();
    endMovi();
    if (superIndex_.size() == 1) {
      writeIdx1();
      firstRiffFrames_ = current_.size();
    }
    endRiff();
    current_.clear();
    riffAt_ = position_;
    moviAt_ = position_ + 12;
    Bytes b;
    b.fourcc("RIFF").u32(0).fourcc("AVIX").fourcc("LIST").u32(0).fourcc("movi");
    put(b);
  }

  // Sizes of the open lists and the headers for the frames written so far,
  // without an index; also after a failed write, since they overwrite bytes
  // the file already holds.
  void describeFrames(bool hasIndex) {
    failedBefore_ = failed_;
    failed_ = false;
    endMovi();
    endRiff();
    if (superIndex_.empty()) firstRiffFrames_ = totalFrames_;
    patchHeaders(hasIndex);
    if (std::fflush(f_) != 0) failed_ = true;
    failed_ = failed_ || failedBefore_;
  }

  void complete() {
    // The sizes and headers go out first: they take no new space, so that
    // when the index cannot be written (a full disk) the file still holds
    // every frame in a complete RIFF list that readers can walk.
    describeFrames(false);
    if (superIndex_.empty()) {
      writeIdx1();
    } else {
      writeStandardIndex();
      endMovi();
    }
    endRiff();
    if (!superIndex_.empty()) writeOpenDmlHeaders();
    patchHeaders(true);
  }

  void writeStandardIndex() {
    const std::uint64_t base = moviAt_;
    Bytes ix;
    const std::uint32_t n = static_cast<std::uint32_t>(current_.size());
    ix.fourcc("ix00").u32(24 + 8 * n);
    ix.u16(2).raw(reinterpret_cast<const unsigned char*>("\0\1"), 2).u32(n).fourcc("00db");
    ix.u64(base).u32(0);
    for (const Entry& e : current_)
      ix.u32(static_cast<std::uint32_t>(e.dataAt - base)).u32(e.size == 0 ? 0x80000000u : e.size);
    superIndex_.push_back({position_, 8 + 24 + 8 * n, n});
    put(ix);
  }

  void writeIdx1() {
    Bytes idx;
    idx.fourcc("idx1").u32(static_cast<std::uint32_t>(16 * current_.size()));
    for (const Entry& e : current_)
      idx.fourcc("00db")
          .u32(e.size == 0 ? 0 : kKeyFrame)
          .u32(static_cast<std::uint32_t>(e.dataAt - 8 - (moviAt_ + 8)))
          .u32(e.size);
    put(idx);
  }

  void endMovi() {
    Bytes size;
    size.u32(static_cast<std::uint32_t>(position_ - moviAt_ - 8));
    putAt(moviAt_ + 4, size);
  }
  void endRiff() {
    Bytes size;
    size.u32(static_cast<std::uint32_t>(position_ - riffAt_ - 8));
    putAt(riffAt_ + 4, size);
  }

  void writeOpenDmlHeaders() {
    Bytes indx;
    indx.fourcc("indx").u32(kSuperIndexSize);
    indx.u16(4).raw(reinterpret_cast<const unsigned char*>("\0\0"), 2);
    indx.u32(static_cast<std::uint32_t>(superIndex_.size())).fourcc("00db").zeros(12);
    for (const IndexRef& r : superIndex_) indx.u64(r.at).u32(r.size).u32(r.frames);
    indx.zeros(16 * (kMaxRiffs - superIndex_.size()));
    putAt(superIndexAt_, indx);
    Bytes odml;
    odml.fourcc("LIST").u32(kOdmlSize).fourcc("odml").fourcc("dmlh").u32(248);
    odml.u32(static_cast<std::uint32_t>(totalFrames_)).zeros(244);
    putAt(odmlAt_, odml);
  }

  void patchHeaders(bool hasIndex) {
    const double perFrame = 1e6 * setup_.scale / setup_.rate;
    const double perSecond = static_cast<double>(maxChunk_) * setup_.rate / setup_.scale;
    Bytes avih;
    avih.fourcc("avih").u32(56);
    avih.u32(static_cast<std::uint32_t>(perFrame + 0.5));
    avih.u32(perSecond > 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(perSecond));
    avih.u32(0)
        .u32(hasIndex ? kHasIndex : 0)
        .u32(static_cast<std::uint32_t>(firstRiffFrames_))
        .u32(0)
        .u32(1);
    avih.u32(maxChunk_).u32(static_cast<std::uint32_t>(setup_.width));
    avih.u32(static_cast<std::uint32_t>(setup_.height)).zeros(16);
    putAt(avihAt_, avih);
    Bytes strh;
    strh.fourcc("strh").u32(56).fourcc("vids").u32(0).u32(0).u16(0).u16(0).u32(0);
    strh.u32(setup_.scale).u32(setup_.rate).u32(0).u32(static_cast<std::uint32_t>(totalFrames_));
    strh.u32(maxChunk_).u32(0).u32(0);
    strh.u16(0).u16(0).u16(static_cast<std::uint32_t>(setup_.width));
    strh.u16(static_cast<std::uint32_t>(setup_.height));
    putAt(strhAt_, strh);
  }

  std::FILE* f_;
  AviStreamSetup setup_;
  std::vector<unsigned char> format_;
  bool failed_ = false;
  bool failedBefore_ = false;
  std::uint64_t position_ = 0;
  std::uint64_t riffAt_ = 0, moviAt_ = 0;
  std::uint64_t avihAt_ = 0, strhAt_ = 0, superIndexAt_ = 0, odmlAt_ = 0;
  std::vector<Entry> current_;
  std::vector<IndexRef> superIndex_;
  std::uint64_t totalFrames_ = 0, firstRiffFrames_ = 0;
  std::uint32_t maxChunk_ = 0;
};

std::unique_ptr<AviOutput> open(std::FILE* f, const AviStreamSetup& setup,
                                const unsigned char* format, std::size_t formatLength) {
  if (f == nullptr) return nullptr;
  // The stream is the output's once it exists; until then, ours to close.
  Stream owner(f);
  auto out = std::make_unique<RiffOutput>(f, setup, format, formatLength);
  owner.release();
  if (!out->start()) return nullptr;
  return out;
}

}  // namespace

std::unique_ptr<AviOutput> createAviOutput(const char* name, const AviStreamSetup& setup,
                                           const unsigned char* format, std::size_t formatLength) {
  if (name == nullptr) return nullptr;
  return open(std::fopen(name, "w+b"), setup, format, formatLength);
}

std::unique_ptr<AviOutput> createAviOutputW(const wchar_t* name, const AviStreamSetup& setup,
                                            const unsigned char* format, std::size_t formatLength) {
  return open(qx::platform::openFileWide(name, "w+b"), setup, format, formatLength);
}

}  // namespace nimbrix
