// Back-end selection in the browser build: the page's canvas, its keyboard,
// mouse and gamepads, Web Audio and the page's clock; or headless, as
// anywhere. The browser owns the loop: it calls one round a frame.
#include <emscripten.h>

#include "platform/audio.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/render.h"

#include <string>

static PlatformKind current = PlatformKind::Headless;

// Points every platform service at the chosen back end.
void PlatformInit(PlatformKind kind) {
  current = kind;
  if (kind == PlatformKind::Real) {
    SetRenderBackend(GLESRenderBackend());
    SetInputBackend(WebInputBackend());
    UseHeadlessClock(false);
  } else {
    SetRenderBackend(HeadlessRenderBackend());
    SetInputBackend(HeadlessInputBackend());
    UseHeadlessClock(true);
  }
}

PlatformKind CurrentPlatform() { return current; }

// The page has no program folder: the media sit in the packed /data.
std::string ProgramFolder() { return ""; }

// The browser build runs on the page's one thread.
bool PlatformThreads() { return false; }

// The page mirrors the small files at once and copies every save to the
// browser's lasting storage (page.js; absent under node, whose files are real).
void SaveLanded(const std::string& path) {
  EM_ASM({ if (Module["savedFile"]) Module["savedFile"](UTF8ToString($0)); }, path.c_str());
}

static bool (*hostedround)() = nullptr;
static int (*hostedfinish)() = nullptr;
static void (*hostedsave)() = nullptr;

// The page was hidden or is being closed (page.js): the game saves what it
// saves at its end, and the page copies it to the browser's storage.
extern "C" EMSCRIPTEN_KEEPALIVE void pulsefield_page_hidden() {
  if (hostedround && hostedsave) hostedsave();
}

// One animation frame: a round of the loop; when the game ends, the frames
// stop, the game saves and the page says so.
static void HostedFrame() {
  KeepSoundInTime();
  if (hostedround()) return;
  emscripten_cancel_main_loop();
  hostedsave = nullptr;  // the end saves; a hidden page then has nothing new
  int code = hostedfinish();
  CloseAudio();
  EM_ASM({ if (Module["gameEnded"]) Module["gameEnded"]($0); }, code);
}

// A browser tab hosts the loop of a game that shows (a headless run, as
// under node, keeps its own loop: it never waits).
bool PlatformHostsLoop(bool (*round)(), int (*finished)(), void (*savenow)()) {
  if (current == PlatformKind::Headless) return false;
  hostedround = round;
  hostedfinish = finished;
  hostedsave = savenow;
  constexpr int kEveryAnimationFrame = 0;
  emscripten_set_main_loop(HostedFrame, kEveryAnimationFrame, 0);
  return true;
}
