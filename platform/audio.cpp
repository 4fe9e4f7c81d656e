// The audio layer's game-facing calls: loading Ogg Vorbis sounds, starting
// plays on channel handles, changing their settings, and choosing between
// the device output and the silent one.
#include "platform/audio.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/audio_mixer.h"
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

// The most samples one sound may hold (128 MiB decoded: over twelve
// minutes of stereo at 44.1 kHz), and the largest Ogg file read for one.
static constexpr size_t kMaxSoundSamples = size_t(1) << 26;
static constexpr size_t kMaxSoundFileBytes = size_t(64) << 20;
// The sample rates a sound may have.
static constexpr long kMinSoundRate = 1000, kMaxSoundRate = 192000;

// An Ogg file held in memory, read by vorbisfile through MemoryRead. It is
// read as a stream, front to back: vorbisfile never seeks about looking for
// lengths, and what the file claims is checked by WalkPages instead.
struct MemoryOgg {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

static size_t MemoryRead(void* ptr, size_t size, size_t nmemb, void* source) {
  MemoryOgg* m = static_cast<MemoryOgg*>(source);
  if (size == 0) return 0;
  size_t items = std::min(nmemb, (m->size - m->pos) / size);
  if (items) std::memcpy(ptr, m->data + m->pos, items * size);
  m->pos += items * size;
  return items;
}

// What the Ogg pages of a file say about it.
struct OggPages {
  int64_t claimed = 0;     // frames the pages' positions claim, summed over chained streams
  bool endsclean = false;  // the last page ends its stream, and no piece of a page trails it
};

// Walks the pages. A chained stream's length is the position on its last page; a
// file cut short has no end-of-stream mark on its last page, or a piece of
// a page after it.
static OggPages WalkPages(const uint8_t* data, size_t size) {
  OggPages out;
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  bool lasteos = false, inlink = false;
  int linkserial = 0;
  int64_t linkend = 0;
  auto endlink = [&] {
    out.claimed = linkend > INT64_MAX - out.claimed ? INT64_MAX : out.claimed + linkend;
    linkend = 0;
  };
  for (size_t fed = 0; fed < size;) {
    size_t n = std::min(size - fed, (size_t)65536);
    char* buf = ogg_sync_buffer(&sync, (long)n);
    if (!buf) break;
    std::memcpy(buf, data + fed, n);
    ogg_sync_wrote(&sync, (long)n);
    fed += n;
    ogg_page page;
    int r;
    while ((r = ogg_sync_pageout(&sync, &page)) != 0) {
      if (r < 0) continue;  // bytes skipped to find the next page
      if (ogg_page_bos(&page) && !(inlink && ogg_page_serialno(&page) == linkserial)) {
        if (inlink) endlink();
        inlink = true;
        linkserial = ogg_page_serialno(&page);
      }
      if (ogg_page_serialno(&page) != linkserial) continue;
      int64_t at = ogg_page_granulepos(&page);
      if (at >= 0) linkend = at;
      lasteos = ogg_page_eos(&page) != 0;
    }
  }
  if (inlink) endlink();
  out.endsclean = lasteos && sync.fill == sync.returned;
  ogg_sync_clear(&sync);
  return out;
}

// Decodes an Ogg Vorbis file held in memory. The length the file claims is
// never trusted: samples are kept as they are decoded, up to the bound.
static TSound* DecodeOgg(const uint8_t* data, size_t size, int flags, const std::string& path,
                         std::string* why, std::string* warning) {
  auto fail = [&](const std::string& text) -> TSound* {
    if (why) *why = text;
    return nullptr;
  };
  MemoryOgg source{data, size, 0};
  OggVorbis_File vf;
  const ov_callbacks callbacks = {MemoryRead, nullptr, nullptr, nullptr};
  if (ov_open_callbacks(&source, &vf, nullptr, 0, callbacks) != 0) return fail("it is not an Ogg Vorbis sound");
  vorbis_info* vi = ov_info(&vf, -1);
  if (!vi || vi->channels < 1 || vi->channels > 2 || vi->rate < kMinSoundRate || vi->rate > kMaxSoundRate) {
    std::string text = vi ? "it has " + std::to_string(vi->channels) + " channels at " + std::to_string(vi->rate) +
                                " Hz; the game plays mono or stereo at 1000 to 192000 Hz"
                          : "it is not an Ogg Vorbis sound";
    ov_clear(&vf);
    return fail(text);
  }
  const int channels = vi->channels;
  const long rate = vi->rate;
  const OggPages pages = WalkPages(data, size);
  if (pages.claimed > (int64_t)(kMaxSoundSamples / channels)) {
    ov_clear(&vf);
    return fail("it claims " + std::to_string(pages.claimed) + " frames, more than the game holds (" +
                std::to_string(kMaxSoundSamples / channels) + "); it is damaged or too long");
  }
  std::unique_ptr<TSound> s(new TSound);
  s->channels = channels;
  s->rate = (int)rate;
  s->loops = (flags & 1) != 0;
  s->path = path;
  const int bigendian = std::endian::native == std::endian::big ? 1 : 0;
  std::string problem;
  int holes = 0;
  int16_t chunk[4096];
  try {
    for (;;) {
      int link = 0;
      long got = ov_read(&vf, reinterpret_cast<char*>(chunk), (int)sizeof chunk, bigendian, 2, 1, &link);
      if (got == 0) break;
      if (got == OV_HOLE) {  // a gap in the data: keep what follows
        holes++;
        continue;
      }
      if (got < 0) {
        problem = "it is damaged (the decoder stopped with error " + std::to_string(got) + ")";
        break;
      }
      vorbis_info* li = ov_info(&vf, link);
      if (!li || li->channels != channels || li->rate != rate) {  // a chained file that changes layout
        problem = "its chained streams differ in channels or sample rate";
        break;
      }
      if (s->samples.size() + (size_t)got / 2 > kMaxSoundSamples) {
        problem = "it is longer than the game holds (" + std::to_string(kMaxSoundSamples / channels) + " frames)";
        break;
      }
      s->samples.insert(s->samples.end(), chunk, chunk + got / 2);
    }
  } catch (const std::exception&) {  // out of memory on the way
    problem = "there is not enough memory to decode it";
  }
  ov_clear(&vf);
  if (problem.empty() && s->samples.size() < (size_t)channels) problem = "it holds no sound";
  if (!problem.empty()) return fail(problem);
  s->samples.resize(s->samples.size() - s->samples.size() % channels);
  if (s->samples.capacity() - s->samples.size() > s->samples.size() / 8) s->samples.shrink_to_fit();
  if (warning) {
    std::string w;
    long frames = s->Frames();
    if (!pages.endsclean) w = "it seems cut short (its last page does not end the stream)";
    else if (pages.claimed > frames)
      w = "it holds " + std::to_string(frames) + " of the " + std::to_string(pages.claimed) + " frames it claims";
    if (holes) w += (w.empty() ? "" : "; ") + std::string("it has gaps in its data");
    *warning = w;
  }
  return s.release();
}

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
