// The ground floor, the only code that meets SDL, OpenGL or the browser:
// rendering, audio, input, files and the clock. Here: back-end selection.
#include "platform/platform.h"

#include <SDL.h>
#include <unistd.h>

#include <climits>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/render.h"

static PlatformKind current = PlatformKind::Headless;

// Points every platform service at the chosen back end.
void PlatformInit(PlatformKind kind) {
  current = kind;
  if (kind == PlatformKind::Real && GLRenderBackend() && SDLInputBackend()) {
    // Before any SDL subsystem starts: SDL must not take over SIGINT and
    // SIGTERM, which end the game in order (the close button is swallowed).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SetRenderBackend(GLRenderBackend());
    SetInputBackend(SDLInputBackend());
    UseHeadlessClock(false);
  } else {
    current = PlatformKind::Headless;
    SetRenderBackend(HeadlessRenderBackend());
    SetInputBackend(HeadlessInputBackend());
    UseHeadlessClock(true);
  }
}

PlatformKind CurrentPlatform() { return current; }

// The running program's folder, from /proc/self/exe.
std::string ProgramFolder() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  buf[n] = 0;
  std::string p(buf);
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

// The desktop starts threads freely and runs its own loop.
bool PlatformThreads() { return true; }

// The rename and the folder's fsync put it on the disk already.
void SaveLanded(const std::string&) {}
bool PlatformHostsLoop(bool (*)(), int (*)(), void (*)()) { return false; }
