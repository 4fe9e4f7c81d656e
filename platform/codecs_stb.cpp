// The browser build's codecs: PNG pictures in and out, the deflate packing
// of the game's files and Ogg Vorbis sounds, all through the stb decoders,
// reading and writing the very files the desktop's libraries do.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>
// stb_vorbis leaves its short macro names defined.
#undef L
#undef C
#undef R

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/audio.h"
#include "platform/codecs.h"
#include "platform/compress.h"
#include "platform/files.h"
#include "platform/media_checks.h"

// zlib's Adler-32 check is four bytes.
static constexpr size_t kZlibCheckBytes = 4;
static constexpr uint32_t kAdlerModulus = 65521;

// The numbers zlib stores most significant byte first.
static uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// A PNG for stb made of just what stb reads of a checked one: the signature,
// IHDR, PLTE and tRNS as they were, the image data in a single IDAT chunk,
// and IEND. stb then never meets an empty IDAT chunk (it would copy it to a
// buffer it has not yet made) nor chunks it reads otherwise than libpng.
static std::vector<uint8_t> PNGForStb(const uint8_t* data, const PNGLayout& layout) {
  static constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  constexpr size_t kTypeBytes = 4, kChunkOverhead = 12;
  std::vector<uint8_t> out(kSignature, kSignature + sizeof kSignature);
  auto copy = [&](const PNGChunkSpan& c) {
    out.insert(out.end(), data + c.at, data + c.at + kChunkOverhead + c.length);
  };
  auto put32 = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(v >> shift));
  };
  auto write = [&](const char* type, const std::vector<uint8_t>& body) {
    put32((uint32_t)body.size());
    const size_t typeat = out.size();
    out.insert(out.end(), type, type + kTypeBytes);
    out.insert(out.end(), body.begin(), body.end());
    put32(PNGCrc(out.data() + typeat, kTypeBytes + body.size()));
  };
  copy(layout.header);
  if (layout.haspalette) copy(layout.palette);
  if (layout.hastransparency) copy(layout.transparency);
  write("IDAT", layout.compressed);
  write("IEND", {});
  return out;
}

bool DecodePNGBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& rgba, int& w, int& h,
                    bool& hasalpha, std::string* why) {
  PNGLayout layout;
  if (!CheckPNG(data, size, layout, why)) return false;
  const std::vector<uint8_t> png = PNGForStb(data, layout);
  if (png.size() > (size_t)INT32_MAX) {
    if (why) *why = kPixelsDoNotDecode;
    return false;
  }
  int iw = 0, ih = 0, comp = 0;
  stbi_uc* px = stbi_load_from_memory(png.data(), (int)png.size(), &iw, &ih, &comp, 4);
  if (!px) {
    if (why) *why = kPixelsDoNotDecode;
    return false;
  }
  w = iw;
  h = ih;
  hasalpha = comp == 2 || comp == 4 || layout.hastransparency;
  try {
    rgba.assign(px, px + (size_t)iw * ih * 4);
  } catch (const std::bad_alloc&) {
    stbi_image_free(px);
    if (why) *why = "there is not enough memory for its " + std::to_string(w) + "x" + std::to_string(h) + " pixels";
    return false;
  }
  stbi_image_free(px);
  return true;
}

bool DecodePNGFile(const std::string& path, std::vector<uint8_t>& rgba, int& w, int& h, bool& hasalpha,
                   std::string* why) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxPictureFileBytes, bytes, nullptr, why)) return false;
  return DecodePNGBytes(bytes.data(), bytes.size(), rgba, w, h, hasalpha, why);
}

bool EncodePNG(const std::vector<uint8_t>& rgba, int width, int height, std::vector<uint8_t>& out,
               std::string* why) {
  int length = 0;
  unsigned char* png = stbi_write_png_to_mem(rgba.data(), width * 4, width, height, 4, &length);
  if (!png) {
    if (why) *why = "cannot encode the picture";
    return false;
  }
  out.assign(png, png + length);
  STBIW_FREE(png);
  return true;
}

// Deflate at stb's strongest setting, in zlib's wrapping.
bool CompressBytes(const uint8_t* data, size_t n, std::vector<uint8_t>& out) {
  constexpr int kBestQuality = 9;
  int length = 0;
  unsigned char* packed =
      n > (size_t)INT32_MAX ? nullptr : stbi_zlib_compress(const_cast<uint8_t*>(data), (int)n, &length, kBestQuality);
  if (!packed) {
    out.clear();
    return false;
  }
  out.assign(packed, packed + length);
  STBIW_FREE(packed);
  return true;
}

static uint32_t Adler32(const uint8_t* data, size_t n) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < n; i++) {
    a = (a + data[i]) % kAdlerModulus;
    b = (b + a) % kAdlerModulus;
  }
  return b << 16 | a;
}

// Unpacks a zlib stream that must give exactly `expected` bytes: longer,
// shorter, damaged, cut short or followed by stray bytes is refused, as the
// desktop's zlib refuses it.
bool UncompressBytes(const uint8_t* data, size_t n, size_t expected, std::vector<uint8_t>& out,
                     std::string* why) {
  auto fail = [&](const char* reason) {
    if (why) *why = reason;
    out.clear();
    return false;
  };
  if (n > (size_t)INT32_MAX || expected >= (size_t)INT32_MAX) return fail("the compressed data is too large");
  // One byte of room past the end tells a longer stream from an exact one.
  out.assign(expected + 1, 0);
  stbi__zbuf z;
  z.zbuffer = const_cast<stbi_uc*>(data);
  z.zbuffer_end = const_cast<stbi_uc*>(data) + n;
  if (!stbi__do_zlib(&z, reinterpret_cast<char*>(out.data()), (int)out.size(), 0, 1)) {
    const char* reason = stbi_failure_reason();
    if (reason && std::strcmp(reason, "output buffer limit") == 0)
      return fail("the compressed data unpacks to more bytes than its header says");
    if (z.zbuffer >= z.zbuffer_end) return fail("the compressed data ends early (the file is cut short)");
    return fail("the compressed data is damaged");
  }
  size_t got = (size_t)(z.zout - z.zout_start);
  if (got > expected) return fail("the compressed data unpacks to more bytes than its header says");
  if (got != expected) return fail("the compressed data unpacks to fewer bytes than its header says");
  out.resize(expected);
  // The whole bytes still waiting in the bit buffer were read ahead of the
  // deflate data's end; the check follows that end.
  size_t taken = (size_t)(z.zbuffer - data), ahead = (size_t)z.num_bits / 8;
  size_t end = taken > ahead ? taken - ahead : 0;
  if (end + kZlibCheckBytes > n) return fail("the compressed data ends early (the file is cut short)");
  const uint8_t* c = data + end;
  uint32_t stored = BigEndian32(c);
  if (stored != Adler32(out.data(), out.size())) return fail("the compressed data is damaged");
  if (end + kZlibCheckBytes != n) return fail("there are stray bytes after the compressed data");
  return true;
}

// A decoded sample as a 16-bit one, rounded just as stb's own conversion
// rounds it (adding a magic number puts the scaled sample in a float's low
// bits), but with the difference taken in 64 bits: stb's 32-bit one
// overflows on the wild samples a damaged file can decode to.
static int16_t SampleToShort(float x) {
  constexpr int kShift = 15, kMantissaBits = 23, kExponentBias = 127, kIntegerExponent = kExponentBias + kMantissaBits;
  const float magic = 1.5f * (1 << (kMantissaBits - kShift)) + 0.5f / (1 << kShift);
  const int64_t addend = ((int64_t)(kIntegerExponent - kShift) << kMantissaBits) + (int64_t(1) << (kMantissaBits - 1));
  const float shifted = x + magic;
  int32_t bits = 0;
  std::memcpy(&bits, &shifted, sizeof bits);
  return (int16_t)std::clamp<int64_t>((int64_t)bits - addend, INT16_MIN, INT16_MAX);
}

// The room stb_vorbis first gets for a sound's set-up and decoding, and the
// most it gets (a sound the game's encoder makes needs a few hundred KiB).
static constexpr int kFirstArenaBytes = 256 << 10, kMaxArenaBytes = 64 << 20;

// Decodes a whole Ogg Vorbis file held in memory, a block of frames at a
// time. The length the file claims is never trusted: samples are kept as
// they are decoded, up to the bound.
TSound* DecodeOgg(const uint8_t* data, size_t size, int flags, const std::string& path, std::string* why,
                  std::string* warning) {
  auto fail = [&](const std::string& text) -> TSound* {
    if (why) *why = text;
    return nullptr;
  };
  if (size > (size_t)INT32_MAX) return fail("it is too large to be a sound");
  // stb reads only the whole pages our own walk has passed.
  OggWalk walk;
  if (!WalkOgg(data, size, walk, why)) return nullptr;
  size = walk.wholebytes;
  if (!VorbisHeadersSound(data, size)) return fail("it is not an Ogg Vorbis sound");
  // stb frees some of what its set-up takes only when the set-up succeeds
  // (a codebook's lengths, up to megabytes), so it works in an arena of
  // ours, doubled until the set-up and its decoding fit, and freed here
  // whatever stb made of the file.
  std::unique_ptr<char[]> arena;
  stb_vorbis* v = nullptr;
  for (int bytes = kFirstArenaBytes;; bytes *= 2) {
    arena.reset(new (std::nothrow) char[bytes]);
    if (!arena) return fail("there is not enough memory to decode it");
    const stb_vorbis_alloc alloc{arena.get(), bytes};
    int error = 0;
    v = stb_vorbis_open_memory(data, (int)size, &error, &alloc);
    if (v || error != VORBIS_outofmem || bytes >= kMaxArenaBytes) break;
  }
  if (!v) return fail("it is not an Ogg Vorbis sound");
  std::unique_ptr<stb_vorbis, void (*)(stb_vorbis*)> hold(v, stb_vorbis_close);
  stb_vorbis_info info = stb_vorbis_get_info(v);
  const int channels = info.channels;
  const long rate = (long)info.sample_rate;
  if (channels < 1 || channels > 2 || rate < kMinSoundRate || rate > kMaxSoundRate)
    return fail("it has " + std::to_string(channels) + " channels at " + std::to_string(rate) +
                " Hz; the game plays mono or stereo at 1000 to 192000 Hz");
  if (walk.claimed > (int64_t)(kMaxSoundSamples / channels))
    return fail("it claims " + std::to_string(walk.claimed) + " frames, more than the game holds (" +
                std::to_string(kMaxSoundSamples / channels) + "); it is damaged or too long");
  std::unique_ptr<TSound> s(new TSound);
  s->channels = channels;
  s->rate = (int)rate;
  s->loops = (flags & 1) != 0;
  s->path = path;
  std::string problem;
  try {
    for (;;) {
      float** block = nullptr;
      const int frames = stb_vorbis_get_frame_float(v, nullptr, &block);
      if (frames <= 0) break;
      size_t got = (size_t)frames * channels;
      if (s->samples.size() + got > kMaxSoundSamples) {
        problem = "it is longer than the game holds (" + std::to_string(kMaxSoundSamples / channels) + " frames)";
        break;
      }
      for (int i = 0; i < frames; i++)
        for (int c = 0; c < channels; c++) s->samples.push_back(SampleToShort(block[c][i]));
    }
  } catch (const std::exception&) {  // out of memory on the way
    problem = "there is not enough memory to decode it";
  }
  if (problem.empty() && s->samples.size() < (size_t)channels) problem = "it holds no sound";
  if (!problem.empty()) return fail(problem);
  // More than an eighth of the room left spare is handed back.
  constexpr size_t kSpareShare = 8;
  if (s->samples.capacity() - s->samples.size() > s->samples.size() / kSpareShare) s->samples.shrink_to_fit();
  if (warning) {
    const long frames = s->Frames();
    warning->clear();
    if (!walk.endsclean) *warning = "it seems cut short (its last page does not end the stream)";
    else if (walk.claimed > frames)
      *warning = "it holds " + std::to_string(frames) + " of the " + std::to_string(walk.claimed) + " frames it claims";
  }
  return s.release();
}
