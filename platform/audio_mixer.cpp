// The software mixer: sums every busy, unpaused channel into one stereo
// stream, resampling each sound from its own rate by linear interpolation,
// and holds the sum under a ceiling just below full scale.
#include "platform/audio_mixer.h"

#include <algorithm>
#include <cmath>

// The program's one mixer, made on first use and kept to the very end.
Mixer& TheMixer() {
  static Mixer* m = [] {
    Mixer* mx = new Mixer;
    mx->slots.resize(64);
    mx->accum.resize(4096 * 2);
    return mx;
  }();
  return *m;
}

// The balance pan law: the far side fades linearly to silence while the
// near side stays at full gain, so a centred sound plays at unit gain on
// both sides and pan 1 is the right side alone. Beyond the ends counts as
// the nearest end; NaN counts as centre.
void PanGains(float pan, float* left, float* right) {
  if (std::isnan(pan)) pan = 0;
  pan = std::clamp(pan, -1.0f, 1.0f);
  *left = pan > 0 ? 1 - pan : 1;
  *right = pan < 0 ? 1 + pan : 1;
}

// Volumes are used clamped to 0..1; NaN is silence.
float ClampVolume(float volume) {
  if (std::isnan(volume)) return 0;
  return std::clamp(volume, 0.0f, 1.0f);
}

// Adds one slot's next `frames` output frames into acc; returns false when
// a one-shot play ran out (the caller frees the slot).
template <int CH>
static bool MixSlotInto(MixSlot& s, float* acc, int frames) {
  const TSound& snd = *s.sound;
  const int16_t* data = snd.samples.data();
  const uint64_t n = (uint64_t)snd.Frames();
  const uint64_t end = n << 32;
  float gl, gr;
  PanGains(s.pan, &gl, &gr);
  const float vol = ClampVolume(s.volume) * (1.0f / 32768.0f);
  gl *= vol;
  gr *= vol;
  uint64_t pos = s.pos;
  const uint64_t step = s.step;
  for (int i = 0; i < frames; i++) {
    uint64_t idx = pos >> 32;
    uint64_t nxt = idx + 1;
    if (nxt >= n) nxt = snd.loops ? 0 : idx;  // a loop blends into its start
    float t = (float)(uint32_t)pos * (1.0f / 4294967296.0f);
    if constexpr (CH == 1) {
      float a = data[idx], b = data[nxt];
      float v = a + (b - a) * t;
      acc[2 * i] += v * gl;
      acc[2 * i + 1] += v * gr;
    } else {
      float al = data[2 * idx], bl = data[2 * nxt];
      float ar = data[2 * idx + 1], br = data[2 * nxt + 1];
      acc[2 * i] += (al + (bl - al) * t) * gl;
      acc[2 * i + 1] += (ar + (br - ar) * t) * gr;
    }
    pos += step;
    if (pos >= end) {
      if (!snd.loops) {
        s.pos = pos;
        return false;
      }
      pos %= end;
    }
  }
  s.pos = pos;
  return true;
}

// Ends a play: the slot is free for the next Play.
static void FreeSlot(MixSlot& s) {
  s.busy = false;
  s.sound = nullptr;
}

// Brings the stereo sum under the ceiling and writes it as 16-bit frames.
// The gain, shared by both sides so the picture stays put, drops at once to
// whatever keeps the loudest frame at the ceiling and recovers
// exponentially; when it is all but back it is exactly 1 again, so a mix
// that never reaches the ceiling comes out sample for sample as summed. A
// pile of sounds (a dozen explosions over the music) is turned down as a
// whole rather than having its peaks sheared off at full scale.
static void LimitInto(float& gain, const float* acc, int16_t* out, int frames) {
  static const float recover = 1.0f - std::exp(-1.0f / (kLimitRelease * MIXRATE));
  float g = gain;
  for (int i = 0; i < frames; i++) {
    float l = acc[2 * i], r = acc[2 * i + 1];
    if (g < 1) {
      g += (1 - g) * recover;
      if (g > 0.999f) g = 1;
    }
    float peak = std::max(std::fabs(l), std::fabs(r));
    if (peak * g > kLimitCeiling) g = kLimitCeiling / peak;
    float vl = std::nearbyint(l * g * 32768.0f), vr = std::nearbyint(r * g * 32768.0f);
    out[2 * i] = (int16_t)std::clamp(vl, -32768.0f, 32767.0f);
    out[2 * i + 1] = (int16_t)std::clamp(vr, -32768.0f, 32767.0f);
  }
  gain = g;
}

// Mixes `frames` frames of every playing channel into out, through the
// limiter. Called by the device thread, or directly by tests and tools.
void MixerRender(Mixer& m, int16_t* out, int frames) {
  std::lock_guard<std::mutex> hold(m.lock);
  while (frames > 0) {
    int chunk = std::min(frames, (int)m.accum.size() / 2);
    float* acc = m.accum.data();
    std::fill(acc, acc + 2 * chunk, 0.0f);
    for (MixSlot& s : m.slots) {
      if (!s.busy || s.paused) continue;
      if (!s.sound || s.sound->Frames() == 0) {
        FreeSlot(s);
        continue;
      }
      bool more = s.sound->channels == 2 ? MixSlotInto<2>(s, acc, chunk) : MixSlotInto<1>(s, acc, chunk);
      if (!more) FreeSlot(s);
    }
    LimitInto(m.limitgain, acc, out, chunk);
    out += 2 * chunk;
    frames -= chunk;
  }
}

// Lets `frames` output frames pass for every playing channel without
// making sound: what the silent output does with time.
void MixerSkip(Mixer& m, long frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> hold(m.lock);
  for (MixSlot& s : m.slots) {
    if (!s.busy || s.paused) continue;
    uint64_t n = s.sound ? (uint64_t)s.sound->Frames() : 0;
    if (n == 0) {
      FreeSlot(s);
      continue;
    }
    uint64_t end = n << 32;
    // 32.32 positions: frames * step stays far below 2^64 for any sane rate.
    uint64_t pos = s.pos + s.step * (uint64_t)frames;
    if (pos >= end) {
      if (!s.sound->loops) {
        FreeSlot(s);
        continue;
      }
      pos %= end;
    }
    s.pos = pos;
  }
}
