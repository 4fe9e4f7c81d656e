// The window's icon: the program's own icon picture, applied to every game
// window when it opens (a screen-mode change opens a new one).
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/render.h"
#include "platform/sdl_display.h"

namespace {
std::vector<uint8_t> iconpixels;  // RGBA, top row first
int iconw = 0, iconh = 0;
}  // namespace

void SetWindowIcon(const std::string& path) {
  TImage* img = LoadImage(path, 0);
  if (!img || img->FrameCount() < 1) {
    delete img;
    return;  // no icon is no reason to stop: the window system shows its own
  }
  iconpixels = img->pixmaps[0];
  iconw = img->width;
  iconh = img->height;
  delete img;
  if (SDLGameWindow()) ApplyWindowIcon(SDLGameWindow());
}

void ApplyWindowIcon(SDL_Window* window) {
  if (!window || iconpixels.empty()) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(iconpixels.data(), iconw, iconh, 32, iconw * 4,
                                                      SDL_PIXELFORMAT_RGBA32);
  if (!s) return;
  SDL_SetWindowIcon(window, s);
  SDL_FreeSurface(s);
}
