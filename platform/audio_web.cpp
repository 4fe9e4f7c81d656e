// The browser's sound output: Web Audio pulls every block from the software
// mixer through pulsefield_mix, at the mixer's 44100 Hz. The browser lets a
// page sound only after a key or a click; until then the plays go on in
// silence, in time, as on the silent output.
#include <emscripten.h>

#include "platform/audio_mixer.h"
#include "platform/clock.h"

// Frames of one block the page asks for (about 23 ms): short enough to keep
// effects near their tick, long enough for a busy page not to run dry.
static constexpr int kBlockFrames = 1024;

static bool opened = false;
static uint32_t idlelast = 0;
static uint32_t idleremainder = 0;  // tenths of a frame carried over

// The page's sound output asks for the next block: mix it.
extern "C" EMSCRIPTEN_KEEPALIVE void pulsefield_mix(int16_t* out, int frames) {
  MixerRender(TheMixer(), out, frames);
}

bool OpenAudioDevice() {
  if (opened) return true;
  opened = EM_ASM_INT({ return Module["openSound"] ? Module["openSound"]($0, $1) : 0; }, MIXRATE, kBlockFrames);
  idlelast = (uint32_t)ClockMs();
  idleremainder = 0;
  return opened;
}

void CloseAudioDevice() {
  if (!opened) return;
  EM_ASM({ if (Module["closeSound"]) Module["closeSound"](); });
  opened = false;
}

// Once a frame: while the browser holds the sound back, the plays advance
// by the time passed, so that sounds started before the first key end on time.
void KeepSoundInTime() {
  uint32_t now = (uint32_t)ClockMs();
  uint32_t ms = now - idlelast;
  idlelast = now;
  if (!opened || EM_ASM_INT({ return Module["soundRunning"] && Module["soundRunning"]() ? 1 : 0; })) return;
  constexpr uint32_t kMaxCatchUpMs = 60000, kTenthsPer10Ms = MIXRATE / 100;
  if (ms == 0) return;
  if (ms > kMaxCatchUpMs) ms = kMaxCatchUpMs;
  uint64_t tenths = (uint64_t)ms * kTenthsPer10Ms + idleremainder;  // 441 frames per 10 ms
  idleremainder = (uint32_t)(tenths % 10);
  MixerSkip(TheMixer(), (long)(tenths / 10));
}
