// Ogg Vorbis sounds decoded through vorbisfile (the desktop build).
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "platform/audio.h"
#include "platform/codecs.h"

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
TSound* DecodeOgg(const uint8_t* data, size_t size, int flags, const std::string& path,
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

