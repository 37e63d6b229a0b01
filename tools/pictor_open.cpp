// Opens a grabber with Px_Init, shows the trace it left and releases it:
//   pictor_open [applet-library [board-index]]
#include <quorlex/pictordyn.h>

#include <cstdio>
#include <cstdlib>

namespace {

void printTrace() {
  std::FILE* f = std::fopen("pictor.log", "rb");
  if (f == nullptr) {
    std::printf("(no pictor.log)\n");
    return;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) std::fwrite(buffer, 1, n, stdout);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
  const char* applet = argc > 1 ? argv[1] : "applet_acqsim.dll";
#else
  const char* applet = argc > 1 ? argv[1] : "applet_acqsim.so";
#endif
  const int board = argc > 2 ? std::atoi(argv[2]) : 0;

  Px_Struct* grabber = Px_Init(applet, board);
  if (grabber == nullptr) {
    std::printf("Px_Init(%s, %d) failed: %d %s\n", applet, board, getLastErrorNumber(),
                Px_getLastErrorDescription(nullptr));
    printTrace();
    return 1;
  }
  std::printf("Px_Init(%s, %d): grabber open\n", applet, board);
  const int freed = Px_FreeGrabber(grabber);
  std::printf("Px_FreeGrabber: %d\n\n-- pictor.log --\n", freed);
  printTrace();
  return 0;
}
