// The game window: an SDL2 window with the GL context the chosen renderer
// asked for, its title and icon, presentation with or without the retrace,
// and the mapping of window points onto the picture.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cmath>
#include <cstring>

#include "platform/render.h"
#include "platform/sdl_display.h"

namespace {

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
std::string title = "Pulsefield";
bool vsyncwanted = false;
int refreshhz = 60;
int swapinterval = -1;        // what we last asked of SDL (-1 unknown)
uint32_t lastpacedflip = 0;   // for Flip(-1) without a working swap interval

// Full screen is the window manager's to grant. On a bare X server nobody
// resizes the window, yet SDL takes it for the whole screen and the picture
// would be fitted to a screen the window does not cover: zoomed and cut
// off. The context's first viewport is the window's real size; when it is
// not what SDL believes, the game stays whole in a plain window instead.
void KeepWholeWithoutWindowManager() {
  GLint real[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, real);
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(window, &dw, &dh);
  if (real[2] == dw && real[3] == dh) return;
  SDL_SetWindowFullscreen(window, 0);
  SDL_SetWindowSize(window, PICTURE_W, PICTURE_H);
}

void SetSwapInterval(int interval) {
  if (interval == swapinterval) return;
  swapinterval = interval;
  SDL_GL_SetSwapInterval(interval);
}

// Starts SDL's video on a real display: the X server, Wayland or the console.
// SDL would otherwise fall back to drawing off screen, and the player would
// see nothing; SDL_VIDEODRIVER set by hand is still obeyed.
bool StartVideo(std::string* why) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  const char* forced = SDL_getenv("SDL_VIDEODRIVER");
  if (forced && *forced) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    if (why) *why = std::string("no display could be opened (") + forced + ": " + SDL_GetError() + ")";
    return false;
  }
  std::string errors;
  const char* xdisplay = SDL_getenv("DISPLAY");
  bool wayland = SDL_getenv("WAYLAND_DISPLAY") || SDL_getenv("XDG_RUNTIME_DIR");
  for (const char* driver : {"x11", "wayland", "KMSDRM"}) {
    if (!std::strcmp(driver, "wayland") && !wayland) continue;  // no compositor to ask
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    errors += std::string(errors.empty() ? "" : "; ") + driver + ": " + SDL_GetError();
    if (!std::strcmp(driver, "x11"))
      errors += xdisplay ? std::string(" at DISPLAY=") + xdisplay : std::string(", DISPLAY not set");
  }
  if (why) *why = "no display could be opened (" + errors + ")";
  return false;
}

}  // namespace

// Opens the window and its GL context and makes it current.
bool OpenGLWindow(int width, int height, int depth, int hertz, GLContextKind kind, std::string* why) {
  auto fail = [&](const char* what) {
    if (why) *why = std::string(what) + ": " + SDL_GetError();
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    context = nullptr;
    window = nullptr;
    return false;
  };
  if (!StartVideo(why)) return false;
  SDL_DisableScreenSaver();
  SDL_GL_ResetAttributes();
  bool es = kind == GLContextKind::ES2;
  if (es) SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, es ? 0 : 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  Uint32 wflags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  bool fullscreen = depth == 16 || depth == 24 || depth == 32;
  if (fullscreen) wflags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                            width > 0 ? width : PICTURE_W, height > 0 ? height : PICTURE_H, wflags);
  if (!window) return fail("cannot open the window");
  ApplyWindowIcon(window);
  context = SDL_GL_CreateContext(window);
  if (!context) return fail(es ? "cannot create the OpenGL ES 2.0 context" : "cannot create the OpenGL context");
  if (SDL_GL_MakeCurrent(window, context) != 0) return fail("cannot use the OpenGL context");
  if (fullscreen) KeepWholeWithoutWindowManager();
  refreshhz = hertz > 0 ? hertz : 60;
  swapinterval = -1;
  SetSwapInterval(vsyncwanted ? 1 : 0);
  if (fullscreen) {
    int ww, wh;
    SDL_GetWindowSize(window, &ww, &wh);
    SDL_WarpMouseInWindow(window, ww / 2, wh / 2);
  }
  return true;
}

// Destroys the context and the window; texture names die with the context.
void CloseGLWindow() {
  SDL_CaptureMouse(SDL_FALSE);
  if (context) SDL_GL_DeleteContext(context);
  if (window) SDL_DestroyWindow(window);
  context = nullptr;
  window = nullptr;
}

void GLDrawableSize(int* w, int* h) { SDL_GL_GetDrawableSize(window, w, h); }

void PresentGLWindow(int sync) {
  bool paced = sync != 0;
  SetSwapInterval(paced || vsyncwanted ? 1 : 0);
  SDL_GL_SwapWindow(window);
  if (paced) {
    // The swap interval may be refused or ignored: sleep to the next frame.
    uint32_t period = 1000u / (uint32_t)refreshhz;
    uint32_t now = SDL_GetTicks();
    uint32_t since = now - lastpacedflip;
    if (since < period) SDL_Delay(period - since);
    lastpacedflip = SDL_GetTicks();
  }
}

void ShowPointerOverWindow(int visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

SDL_Window* SDLGameWindow() { return window; }

// Maps window points to picture pixels through the same letterbox.
void SDLWindowToPicture(int wx, int wy, int* px, int* py) {
  int ww = PICTURE_W, wh = PICTURE_H;
  if (window) SDL_GetWindowSize(window, &ww, &wh);
  Letterbox lb = ComputeLetterbox(ww, wh);
  *px = (int)std::floor((wx - lb.x) * (double)PICTURE_W / lb.w);
  *py = (int)std::floor((wy - lb.y) * (double)PICTURE_H / lb.h);
}

// Sets the window's title now and for later openings.
void SetWindowTitle(const std::string& t) {
  title = t;
  if (window) SDL_SetWindowTitle(window, title.c_str());
}

// --vsync: Flip(0) waits for the retrace too.
void SetVSync(bool on) {
  vsyncwanted = on;
  if (context) SetSwapInterval(on ? 1 : 0);
}
