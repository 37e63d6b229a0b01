// Pictures per second that an SDL2 window shows through a streaming
// texture, 1024 x 1024 grey and colour: the way an application without the
// kit would put camera pictures on the screen. Grey pictures go into the
// luminance plane of a YUV texture whose colour planes stay neutral (SDL
// has no grey texture); colour pictures into a blue-green-red texture. Two
// pictures alternate, as in oculon_bench. One line per picture for
// scripts/bench:
//
//   display sdl <grey|colour> <pictures/s> <renderer>
//
//   sdl_display [seconds per picture, default 3]
#include <SDL2/SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kSide = 1024;

std::vector<unsigned char> picture(int bytes, int shift) {
  std::vector<unsigned char> p(static_cast<std::size_t>(kSide) * kSide * bytes);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide * bytes; ++x)
      p[static_cast<std::size_t>(y) * kSide * bytes + x] =
          static_cast<unsigned char>(x + y + shift);
  return p;
}

bool run(SDL_Renderer* renderer, int bytes, double seconds) {
  const Uint32 format = bytes == 1 ? SDL_PIXELFORMAT_IYUV : SDL_PIXELFORMAT_BGR24;
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, kSide, kSide);
  if (texture == nullptr) {
    std::fprintf(stderr, "sdl_display: %s\n", SDL_GetError());
    return false;
  }
  const std::vector<unsigned char> pictures[2] = {picture(bytes, 0), picture(bytes, 128)};
  const std::vector<unsigned char> neutral(static_cast<std::size_t>(kSide / 2) * (kSide / 2), 128);
  auto show = [&](long n) {
    const unsigned char* p = pictures[n & 1].data();
    if (bytes == 1)
      SDL_UpdateYUVTexture(texture, nullptr, p, kSide, neutral.data(), kSide / 2, neutral.data(),
                           kSide / 2);
    else
      SDL_UpdateTexture(texture, nullptr, p, kSide * 3);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
  };
  for (long n = 0; n < 10; ++n) show(n);
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  long n = 0;
  auto now = start;
  do {
    show(n++);
    now = Clock::now();
  } while (now < end);
  SDL_RendererInfo info;
  SDL_GetRendererInfo(renderer, &info);
  std::printf("display sdl %s %.1f %s\n", bytes == 1 ? "grey" : "colour",
              n / std::chrono::duration<double>(now - start).count(), info.name);
  std::fflush(stdout);
  SDL_DestroyTexture(texture);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  if (seconds <= 0 || SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "sdl_display: %s\n", seconds <= 0 ? "bad seconds" : SDL_GetError());
    return 2;
  }
  SDL_Window* window = SDL_CreateWindow("sdl_display", SDL_WINDOWPOS_UNDEFINED,
                                        SDL_WINDOWPOS_UNDEFINED, kSide, kSide, 0);
  SDL_Renderer* renderer = window != nullptr ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (renderer == nullptr) {
    std::fprintf(stderr, "sdl_display: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  bool ok = run(renderer, 1, seconds);
  ok = run(renderer, 3, seconds) && ok;
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return ok ? 0 : 1;
}
