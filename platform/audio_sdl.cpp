// The audio device: SDL's default output at 44100 Hz, stereo, 16-bit,
// whose callback pulls every buffer from the software mixer.
#include <SDL.h>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "platform/audio_mixer.h"

static SDL_AudioDeviceID device = 0;
static bool ownsubsystem = false;

// The device thread asks for the next buffer: mix it.
static void FillBuffer(void*, Uint8* stream, int len) {
  MixerRender(TheMixer(), reinterpret_cast<int16_t*>(stream), len / 4);
}

// Holds the standard error stream shut while it lives: the sound system
// libraries print their own complaints when a machine has no sound card,
// and a missing device is a normal, silent case for the game.
struct QuietStderr {
  int saved = -1;
  QuietStderr() {
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    std::fflush(stderr);
    saved = dup(2);
    dup2(null, 2);
    close(null);
  }
  ~QuietStderr() {
    if (saved < 0) return;
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
  }
};

// Opens the default output; 512-frame buffers keep effects within a tick
// of the game. SDL converts if the hardware wants another format.
bool OpenAudioDevice() {
  if (device) return true;
  QuietStderr quiet;
  if (!SDL_WasInit(SDL_INIT_AUDIO)) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    ownsubsystem = true;
  }
  SDL_AudioSpec want, have;
  SDL_zero(want);
  SDL_zero(have);
  want.freq = MIXRATE;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 512;
  want.callback = FillBuffer;
  device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device) {
    if (ownsubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    ownsubsystem = false;
    return false;
  }
  SDL_PauseAudioDevice(device, 0);
  return true;
}

// Stops the device thread and closes the output.
void CloseAudioDevice() {
  if (!device) return;
  SDL_CloseAudioDevice(device);
  device = 0;
  if (ownsubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  ownsubsystem = false;
}
