// Ogg Vorbis sounds decoded through vorbisfile (the desktop build).
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "platform/audio.h"
#include "platform/codecs.h"
#include "platform/media_checks.h"

// An Ogg file held in memory, read by vorbisfile through MemoryRead. It is
// read as a stream, front to back: vorbisfile never seeks about looking for
// lengths, and what the file claims is checked by WalkOgg instead.
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

// Decodes an Ogg Vorbis file held in memory. The length the file claims is
// never trusted: samples are kept as they are decoded, up to the bound.
TSound* DecodeOgg(const uint8_t* data, size_t size, int flags, const std::string& path,
                         std::string* why, std::string* warning) {
  auto fail = [&](const std::string& text) -> TSound* {
    if (why) *why = text;
    return nullptr;
  };
  // vorbisfile reads only the whole pages our own walk has passed.
  OggWalk pages;
  if (!WalkOgg(data, size, pages, why)) return nullptr;
  if (!VorbisHeadersSound(data, pages.wholebytes)) return fail("it is not an Ogg Vorbis sound");
  MemoryOgg source{data, pages.wholebytes, 0};
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

