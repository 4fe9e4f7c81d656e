// The audio layer's game-facing calls: loading Ogg Vorbis sounds, starting
// plays on channel handles, changing their settings, and choosing between
// the device output and the silent one.
#include "platform/audio.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/audio_mixer.h"
#include "platform/codecs.h"
#include "platform/clock.h"
#include "platform/files.h"

// Which output is in use: none chosen yet, the device, or the silent one.
enum class Output { None, Device, Silent };
static Output output = Output::None;
// The silent output lets the millisecond clock play the channels along, so
// one-shot plays end on time and free their slots just as on a device.
static uint32_t silentlast = 0;
static uint32_t silentremainder = 0;  // tenths of a frame carried over

// On the silent output, advances the channels by the time since the last call.
static void SilentCatchUp() {
  if (output != Output::Silent) return;
  uint32_t now = (uint32_t)ClockMs();
  uint32_t ms = now - silentlast;
  silentlast = now;
  if (ms == 0) return;
  if (ms > 60000) ms = 60000;
  uint64_t tenths = (uint64_t)ms * (MIXRATE / 100) + silentremainder;  // 441 frames per 10 ms
  silentremainder = (uint32_t)(tenths % 10);
  MixerSkip(TheMixer(), (long)(tenths / 10));
}

// The largest Ogg file read for one sound.
static constexpr size_t kMaxSoundFileBytes = size_t(64) << 20;

// Decodes a whole Ogg Vorbis file to 16-bit PCM; null when the file cannot
// be read or decoded, or holds no sound. Safe to call from several threads.
TSound* LoadSound(const std::string& path, int flags, std::string* why, std::string* warning) {
  if (warning) warning->clear();
  std::vector<uint8_t> bytes;
  try {
    if (!ReadFileBytes(path, kMaxSoundFileBytes, bytes, nullptr, why)) return nullptr;
  } catch (const std::exception&) {
    if (why) *why = "there is not enough memory to read it";
    return nullptr;
  }
  return DecodeOgg(bytes.data(), bytes.size(), flags, path, why, warning);
}

// Decodes Ogg Vorbis bytes already in memory just as a file.
TSound* LoadSoundFromMemory(const uint8_t* data, size_t size, int flags, const std::string& name,
                            std::string* why, std::string* warning) {
  if (warning) warning->clear();
  return DecodeOgg(data, size, flags, name, why, warning);
}

// The slot of a handle if it still names a play in progress, else null.
// The mixer lock must be held.
static MixSlot* Live(Mixer& m, TChannel ch) {
  if (ch.slot < 0 || ch.slot >= (int)m.slots.size()) return nullptr;
  MixSlot& s = m.slots[ch.slot];
  return s.busy && s.gen == ch.gen ? &s : nullptr;
}

// Starts a sound from its beginning on a free channel with its volume and
// pan (depth 0), all under one lock; the table grows only when every slot is
// busy. No sound gives no channel.
TChannel PlaySound(TSound* sound, float volume, float pan) {
  if (!sound || sound->Frames() == 0 || sound->rate <= 0) return TChannel{};
  SilentCatchUp();
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  size_t i = 0;
  while (i < m.slots.size() && m.slots[i].busy) i++;
  if (i == m.slots.size()) m.slots.resize(m.slots.size() * 2);
  MixSlot& s = m.slots[i];
  s.gen++;
  if (s.gen == 0) s.gen = 1;  // 0 stays the generation of "none"
  s.sound = sound;
  s.busy = true;
  s.paused = false;
  s.volume = volume;
  s.pan = pan;
  s.depth = 0;
  s.pos = 0;
  s.step = ((uint64_t)sound->rate << 32) / MIXRATE;
  return TChannel{(int)i, s.gen};
}

// Ends a play at once; a finished or stale channel is left alone.
void StopChannel(TChannel ch) {
  SilentCatchUp();
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  if (MixSlot* s = Live(m, ch)) {
    s->busy = false;
    s->sound = nullptr;
  }
}

// Pauses (1) or resumes (0) a play; it keeps its place while paused.
void SetChannelPaused(TChannel ch, int paused) {
  SilentCatchUp();
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  if (MixSlot* s = Live(m, ch)) s->paused = paused != 0;
}

// Sets a play's gain; the mixer clamps it to 0..1.
void SetChannelVolume(TChannel ch, float volume) {
  SilentCatchUp();
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  if (MixSlot* s = Live(m, ch)) s->volume = volume;
}

// Sets a play's pan (-1 left .. 1 right; beyond counts as the nearest end).
void SetChannelPan(TChannel ch, float pan) {
  SilentCatchUp();
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  if (MixSlot* s = Live(m, ch)) s->pan = pan;
}

// Sets a play's depth; kept, but a stereo output has no front or back.
void SetChannelDepth(TChannel ch, float depth) {
  SilentCatchUp();
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  if (MixSlot* s = Live(m, ch)) s->depth = depth;
}

// 1 while the play has not ended (paused counts as playing).
int ChannelPlaying(TChannel ch) {
  SilentCatchUp();
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  return Live(m, ch) ? 1 : 0;
}

// Ends every play (tests, and the orderly close of the output); with
// nothing left to hold down, the limiter starts again at full gain.
void StopAllChannels() {
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  for (MixSlot& s : m.slots) {
    s.busy = false;
    s.sound = nullptr;
  }
  m.limitgain = 1;
}

// Number of slots in the channel table (grows only when all are busy).
int ChannelTableSize() {
  Mixer& m = TheMixer();
  std::lock_guard<std::mutex> hold(m.lock);
  return (int)m.slots.size();
}

// Pulls frames straight from the mixer, without a device.
void MixAudio(int16_t* out, int frames) {
  if (out && frames > 0) MixerRender(TheMixer(), out, frames);
}

// Chooses the output at start-up: the device when wanted and available,
// otherwise the silent output. Either way every call works afterwards.
void OpenAudio(bool wantdevice) {
  CloseAudio();
  if (wantdevice && OpenAudioDevice()) {
    output = Output::Device;
    static bool registered = false;
    if (!registered) {
      registered = true;
      std::atexit(CloseAudio);  // stop the device thread before the process unwinds
    }
    return;
  }
  output = Output::Silent;
  silentlast = (uint32_t)ClockMs();
  silentremainder = 0;
}

// Closes the device (if open) and returns to no output chosen; plays stay
// in the table but nothing advances them until an output is chosen again.
void CloseAudio() {
  if (output == Output::Device) CloseAudioDevice();
  output = Output::None;
}

bool AudioDeviceOpen() { return output == Output::Device; }
