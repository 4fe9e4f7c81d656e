// Audio layer: Ogg Vorbis sounds decoded whole at load time, any number of
// overlapping plays, each on its own channel, mixed in software at 44100 Hz
// stereo 16-bit. With no device the silent output accepts every call.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A loaded sound: its whole decoded sample.
struct TSound {
  std::vector<int16_t> samples;  // interleaved
  int channels = 1;              // 1 or 2
  int rate = 44100;
  bool loops = false;
  std::string path;
  long Frames() const { return channels ? (long)samples.size() / channels : 0; }
};

// One play of a sound: a small handle into the mixer's channel table. A
// default handle is "none"; a stale handle (its play ended and the slot was
// reused) is recognised by its generation and every operation ignores it.
struct TChannel {
  int slot = -1;
  uint32_t gen = 0;
  bool Exists() const { return slot >= 0; }
};

// Decodes a whole Ogg Vorbis file (flags 1: the sound loops). Null when the
// file cannot be read, is damaged, or is longer than the game holds (2^26
// samples), *why then saying why; a sound that loads but looks cut short
// comes with a *warning (empty otherwise).
TSound* LoadSound(const std::string& path, int flags, std::string* why = nullptr,
                  std::string* warning = nullptr);
// Decodes Ogg Vorbis bytes already in memory just as a file.
TSound* LoadSoundFromMemory(const uint8_t* data, size_t size, int flags, const std::string& name,
                            std::string* why = nullptr, std::string* warning = nullptr);
// Starts from the beginning with its volume and pan already set, so the
// mixer never hears the play before its settings.
TChannel PlaySound(TSound* sound, float volume = 1, float pan = 0);
void StopChannel(TChannel ch);
void SetChannelPaused(TChannel ch, int paused);
void SetChannelVolume(TChannel ch, float volume);
void SetChannelPan(TChannel ch, float pan);
void SetChannelDepth(TChannel ch, float depth);
int ChannelPlaying(TChannel ch);  // 1 while the play has not ended

// Output choice at start-up: the real device (SDL) or the silent output.
void OpenAudio(bool wantdevice);
void CloseAudio();
bool AudioDeviceOpen();

// Pulls `frames` stereo frames (interleaved left, right) straight from the
// mixer without a device: tests, tools and the device callback use it.
void MixAudio(int16_t* out, int frames);
// Ends every play at once.
void StopAllChannels();
// Slots in the channel table; it grows only when every slot is busy.
int ChannelTableSize();
