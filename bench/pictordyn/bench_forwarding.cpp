// What forwarding a call through the grabber library costs:
//  - with the trace open, against a bare formatted write and flush of the
//    same line to a file in the same folder (the physical cost of a line);
//  - with no trace open, against calling the applet's entry directly.
#include <quorlex/pictordyn.h>
#include "applet_entries.h"
#include "applet_table.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* kApplet = "applet_quiet.so";

// Runs a benchmark in a folder of its own, so trace files do not meet.
struct Folder {
  std::string previous;
  std::string path;
  Folder() {
    char cwd[4096];
    previous = getcwd(cwd, sizeof cwd) ? cwd : ".";
    char tmpl[] = "/tmp/qx-bench-XXXXXX";
    path = mkdtemp(tmpl);
    if (chdir(path.c_str()) != 0) std::abort();
  }
  ~Folder() {
    if (chdir(previous.c_str()) != 0) std::abort();
    std::system(("rm -rf " + path).c_str());
  }
};

void TracedForwardedCall(benchmark::State& state) {
  Folder folder;
  Px_Struct* h = Px_Init(kApplet, 0);
  if (h == nullptr) return state.SkipWithError("applet not found");
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Px_setExsync(h, ++i, 2));
  Px_FreeGrabber(h);
}

void BareTracedLine(benchmark::State& state) {
  Folder folder;
  std::FILE* f = std::fopen("bare.log", "w");
  int i = 0;
  const void* h = &i;
  for (auto _ : state) {
    std::fprintf(f, "%d : ", i);
    std::fprintf(f, "Px_setExsync(%lx,%d,%d) : %d\n", reinterpret_cast<unsigned long>(h), ++i, 2,
                 0);
    std::fflush(f);
  }
  std::fclose(f);
}

void UntracedForwardedCall(benchmark::State& state) {
  Folder folder;
  // A folder in the trace file's place: the trace cannot open and stays off.
  mkdir("pictor.log", 0755);
  Px_Struct* h = Px_Init(kApplet, 0);
  if (h == nullptr) return state.SkipWithError("applet not found");
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Px_setExsync(h, ++i, 2));
  Px_FreeGrabber(h);
}

// The same with many other grabbers open, so the call's handle lookup
// searches a grown table of open handles.
void UntracedForwardedCallAmongManyHandles(benchmark::State& state) {
  Folder folder;
  mkdir("pictor.log", 0755);
  std::vector<Px_Struct*> others;
  for (int i = 0; i < 100; ++i) others.push_back(Px_InitCamera(kApplet, 1));
  Px_Struct* h = Px_Init(kApplet, 0);
  if (h == nullptr) return state.SkipWithError("applet not found");
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Px_setExsync(h, ++i, 2));
  Px_FreeGrabber(h);
  for (Px_Struct* o : others) Px_FreeGrabber(o);
}

void DirectEntryCall(benchmark::State& state) {
  Folder folder;
  mkdir("pictor.log", 0755);
  Px_Struct* h = Px_Init(kApplet, 0);
  if (h == nullptr) return state.SkipWithError("applet not found");
  auto entry = reinterpret_cast<PxSetExsyncFn>(h->word[qx::contracts::wordOfEntry("Px_setExsync")]);
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(h);
    benchmark::DoNotOptimize(entry(h, ++i, 2));
  }
  Px_FreeGrabber(h);
}

}  // namespace

BENCHMARK(TracedForwardedCall);
BENCHMARK(BareTracedLine);
BENCHMARK(UntracedForwardedCall);
BENCHMARK(UntracedForwardedCallAmongManyHandles);
BENCHMARK(DirectEntryCall);
BENCHMARK_MAIN();
