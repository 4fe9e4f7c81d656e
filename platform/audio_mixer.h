// The software mixer behind the audio layer: a table of channel slots, each
// one play of a decoded sound, summed into 44100 Hz stereo 16-bit frames.
// Everything the game changes and everything the mixer reads sits behind
// one mutex, so a channel is never mixed with half-applied settings.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio.h"

constexpr int MIXRATE = 44100;

// One slot of the channel table. A slot is busy from Play until its play
// ends (a one-shot sound runs out, or Stop); the generation counts its plays,
// so an old handle to a reused slot no longer matches.
struct MixSlot {
  const TSound* sound = nullptr;
  uint32_t gen = 0;
  bool busy = false;
  bool paused = false;
  float volume = 1, pan = 0, depth = 0;
  uint64_t pos = 0;   // source frame position, 32.32 fixed point
  uint64_t step = 0;  // source frames per output frame, 32.32 fixed point
};

struct Mixer {
  std::mutex lock;
  std::vector<MixSlot> slots;
  std::vector<float> accum;  // scratch: interleaved stereo sum
  float limitgain = 1;       // the output limiter's gain: 1 while the mix stays under its ceiling
};

// The output limiter's ceiling (-1 dBFS, as a share of full scale) and the
// time constant in seconds of its gain recovering once the mix falls below it.
constexpr float kLimitCeiling = 0.891f;
constexpr float kLimitRelease = 0.12f;

// The one mixer of the program (never destroyed, so a device thread still
// running at exit never sees it torn down).
Mixer& TheMixer();

// Left and right gains for a pan value: -1 full left, 0 centre, 1 full
// right; values beyond the ends (and NaN, taken as centre) are clamped.
void PanGains(float pan, float* left, float* right);
// A volume as the mixer uses it: clamped to 0..1, NaN silent.
float ClampVolume(float volume);

// Mixes the busy, unpaused slots into `frames` stereo frames and advances
// them; one-shot plays that run out free their slots. A mix that would pass
// the limiter's ceiling is turned down just enough, and comes back up
// smoothly; below it the sum is passed on untouched. Locks the mixer.
void MixerRender(Mixer& m, int16_t* out, int frames);
// Advances every busy, unpaused slot by `frames` output frames without
// producing sound (the silent output's passing of time). Locks the mixer.
void MixerSkip(Mixer& m, long frames);

// The device back end (SDL): opens the default output at 44100 Hz stereo
// 16-bit pulling MixAudio; false when no device could be opened.
bool OpenAudioDevice();
void CloseAudioDevice();
// The browser's output, once a frame: plays go on in time while the page may
// not sound yet.
void KeepSoundInTime();
