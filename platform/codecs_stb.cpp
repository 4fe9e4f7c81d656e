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

// The largest picture file read.
static constexpr size_t kMaxPictureFileBytes = size_t(64) << 20;
// zlib's header is two bytes, its Adler-32 check four.
static constexpr size_t kZlibCheckBytes = 4;
static constexpr uint32_t kAdlerModulus = 65521;

// The numbers PNG and zlib store most significant byte first.
static uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// Whether a PNG's chunks before its pixels give it transparency of its own
// (a tRNS chunk), which counts as alpha just as an alpha channel does.
static bool HasTransparencyChunk(const uint8_t* data, size_t size) {
  constexpr size_t kSignature = 8, kChunkHead = 8, kChunkCrc = 4;
  size_t at = kSignature;
  while (at + kChunkHead <= size) {
    uint32_t length = BigEndian32(data + at);
    const uint8_t* type = data + at + 4;
    if (std::memcmp(type, "tRNS", 4) == 0) return true;
    if (std::memcmp(type, "IDAT", 4) == 0) return false;
    if (length > size - at - kChunkHead) return false;
    at += kChunkHead + length + kChunkCrc;
  }
  return false;
}

// A PNG's size as its IHDR chunk (the first, right after the signature)
// declares it, read before stb is asked: stb refuses a large picture with a
// reason of its own, where the game names the size it refuses.
static bool DeclaredPictureSize(const uint8_t* data, size_t size, unsigned& w, unsigned& h) {
  static constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  constexpr size_t kChunkLengthBytes = 4, kChunkTypeBytes = 4, kSideBytes = 4;
  constexpr size_t kTypeAt = sizeof kSignature + kChunkLengthBytes, kWidthAt = kTypeAt + kChunkTypeBytes;
  constexpr size_t kHeightAt = kWidthAt + kSideBytes;
  if (size < kHeightAt + kSideBytes || std::memcmp(data, kSignature, sizeof kSignature) != 0 ||
      std::memcmp(data + kTypeAt, "IHDR", kChunkTypeBytes) != 0)
    return false;
  w = BigEndian32(data + kWidthAt);
  h = BigEndian32(data + kHeightAt);
  return true;
}

bool DecodePNGBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& rgba, int& w, int& h,
                    bool& hasalpha, std::string* why) {
  unsigned declaredw = 0, declaredh = 0;
  if (DeclaredPictureSize(data, size, declaredw, declaredh) && declaredw > 0 && declaredh > 0 &&
      (declaredw > kMaxPictureSide || declaredh > kMaxPictureSide)) {
    if (why) *why = PictureTooLarge(declaredw, declaredh);
    return false;
  }
  int iw = 0, ih = 0, comp = 0;
  if (size > (size_t)INT32_MAX || !stbi_info_from_memory(data, (int)size, &iw, &ih, &comp)) {
    if (why) *why = std::string("it is not a PNG picture (") + (stbi_failure_reason() ? stbi_failure_reason() : "unreadable") + ")";
    return false;
  }
  if (iw <= 0 || ih <= 0 || (unsigned)iw > kMaxPictureSide || (unsigned)ih > kMaxPictureSide) {
    if (why) *why = PictureTooLarge((unsigned)iw, (unsigned)ih);
    return false;
  }
  stbi_uc* px = stbi_load_from_memory(data, (int)size, &iw, &ih, &comp, 4);
  if (!px) {
    if (why) *why = std::string("it is damaged (") + (stbi_failure_reason() ? stbi_failure_reason() : "unreadable") + ")";
    return false;
  }
  w = iw;
  h = ih;
  hasalpha = comp == 2 || comp == 4 || HasTransparencyChunk(data, size);
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

// An Ogg page: the capture pattern "OggS", a version byte, header flags, the
// granule position (frames decoded by the page's end; -1 when no packet ends
// on it), the stream's serial number, the page's sequence number, its CRC-32,
// and a table of segment lengths that add up to the body.
static constexpr size_t kOggCaptureBytes = 4;
static constexpr size_t kOggFlagsAt = 5, kOggGranuleAt = 6, kOggSerialAt = 14, kOggCrcAt = 22;
static constexpr size_t kOggCrcBytes = 4, kOggSegmentCountAt = 26, kOggHeaderBytes = 27;
// The flags: a page that opens its stream, and one that ends it.
static constexpr uint8_t kOggOpensStream = 2, kOggEndsStream = 4;
// A segment this long carries its packet on into the next.
static constexpr uint8_t kOggFullSegment = 255;
// Ogg's CRC-32: this polynomial, most significant bit first, from zero, no
// final inversion, over the page with its CRC field taken as zeros.
static constexpr uint32_t kOggCrcPolynomial = 0x04c11db7;
static constexpr uint32_t kTopBit = 0x80000000u;
static constexpr int kBitsPerByte = 8, kCrcShift = 24;
static constexpr size_t kByteValues = 256;
static constexpr uint32_t kByteMask = 0xff;

static constexpr std::array<uint32_t, kByteValues> OggCrcTable() {
  std::array<uint32_t, kByteValues> table{};
  for (uint32_t byte = 0; byte < kByteValues; byte++) {
    uint32_t r = byte << kCrcShift;
    for (int bit = 0; bit < kBitsPerByte; bit++) r = (r & kTopBit) ? (r << 1) ^ kOggCrcPolynomial : r << 1;
    table[byte] = r;
  }
  return table;
}
static constexpr std::array<uint32_t, kByteValues> kOggCrcTable = OggCrcTable();

static uint32_t OggCrc(uint32_t crc, const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; i++) crc = crc << kBitsPerByte ^ kOggCrcTable[(crc >> kCrcShift ^ p[i]) & kByteMask];
  return crc;
}

// The numbers Ogg and Vorbis store least significant byte first.
static uint32_t LittleEndian32(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
static int64_t LittleEndian64(const uint8_t* p) {
  constexpr int kHalf = 32;
  return (int64_t)((uint64_t)LittleEndian32(p) | (uint64_t)LittleEndian32(p + sizeof(uint32_t)) << kHalf);
}

// What lies at a place in an Ogg file: a whole page with a good CRC, bytes
// that are none (skipped up to the next 'O' that may start one, as Ogg's own
// reader skips them), or a piece of a page the file's end cuts off.
enum class OggFound { kPage, kNoPage, kPiece };

static OggFound FindOggPage(const uint8_t* data, size_t size, size_t at, size_t& length) {
  const uint8_t* p = data + at;
  const size_t left = size - at;
  auto nopage = [&] {
    const void* next = left > 1 ? std::memchr(p + 1, 'O', left - 1) : nullptr;
    length = next ? (size_t)(static_cast<const uint8_t*>(next) - p) : left;
    return OggFound::kNoPage;
  };
  if (left < kOggHeaderBytes) return OggFound::kPiece;
  if (std::memcmp(p, "OggS", kOggCaptureBytes) != 0) return nopage();
  const size_t headerbytes = kOggHeaderBytes + p[kOggSegmentCountAt];
  if (left < headerbytes) return OggFound::kPiece;
  size_t bodybytes = 0;
  for (size_t i = kOggHeaderBytes; i < headerbytes; i++) bodybytes += p[i];
  if (left < headerbytes + bodybytes) return OggFound::kPiece;
  static constexpr uint8_t kZeroCrc[kOggCrcBytes] = {};
  uint32_t crc = OggCrc(0, p, kOggCrcAt);
  crc = OggCrc(crc, kZeroCrc, kOggCrcBytes);
  crc = OggCrc(crc, p + kOggCrcAt + kOggCrcBytes, headerbytes + bodybytes - kOggCrcAt - kOggCrcBytes);
  if (crc != LittleEndian32(p + kOggCrcAt)) return nopage();
  length = headerbytes + bodybytes;
  return OggFound::kPage;
}

// Vorbis's identification header, the first packet of a stream: its type,
// "vorbis", the version, then the channels and the sample rate.
static constexpr uint8_t kVorbisIdentification = 1;
static constexpr size_t kVorbisNameAt = 1, kVorbisNameBytes = 6, kVorbisChannelsAt = 11, kVorbisRateAt = 12;
static constexpr size_t kVorbisLayoutBytes = 16;

// Whether the page that opens a stream starts with an identification header
// that gives another layout than channels at rate.
static bool OpensAnotherLayout(const uint8_t* page, int channels, long rate) {
  const size_t segments = page[kOggSegmentCountAt];
  const uint8_t* body = page + kOggHeaderBytes + segments;
  size_t packet = 0;
  for (size_t i = 0; i < segments; i++) {
    const uint8_t lace = page[kOggHeaderBytes + i];
    packet += lace;
    if (lace != kOggFullSegment) break;
  }
  if (packet < kVorbisLayoutBytes || body[0] != kVorbisIdentification ||
      std::memcmp(body + kVorbisNameAt, "vorbis", kVorbisNameBytes) != 0)
    return false;
  return body[kVorbisChannelsAt] != channels || (long)LittleEndian32(body + kVorbisRateAt) != rate;
}

// Vorbis's comment header, the second packet: its type, "vorbis", then a
// vendor string and a count of comments, each string led by its length.
// The setup header follows it.
static constexpr uint8_t kVorbisComments = 3;
static constexpr size_t kVorbisLengthBytes = 4;
static constexpr int kVorbisCommentPacket = 1, kVorbisHeaderPackets = 3;  // counting from zero

// The comment header, read as stb reads the headers: pages back to back
// from the file's start, segment after segment. stb does not check the
// pages' CRCs; the desktop's Ogg skips a damaged page, which loses a header.
// False when a header page is damaged or missing.
static bool CommentPacket(const uint8_t* data, size_t size, std::vector<uint8_t>& packet) {
  packet.clear();
  int packetno = 0;  // the packet the next segment belongs to
  for (size_t at = 0, length = 0; at < size && FindOggPage(data, size, at, length) == OggFound::kPage;) {
    const size_t segments = data[at + kOggSegmentCountAt];
    size_t body = at + kOggHeaderBytes + segments;
    for (size_t i = 0; i < segments; i++) {
      const uint8_t lace = data[at + kOggHeaderBytes + i];
      if (packetno == kVorbisCommentPacket) packet.insert(packet.end(), data + body, data + body + lace);
      body += lace;
      if (lace != kOggFullSegment && ++packetno == kVorbisHeaderPackets) return true;
    }
    at += length;
  }
  return false;
}

// Whether the header pages are whole and sound, and the comment header holds
// its vendor string and every comment it counts within itself. stb takes
// those lengths on trust and, when they run past the packet, frees pointers
// it never set; the desktop's Vorbis refuses such a header, and so does this
// build, before stb sees it.
static bool HeadersSound(const uint8_t* data, size_t size) {
  std::vector<uint8_t> packet;
  if (!CommentPacket(data, size, packet)) return false;
  size_t at = kVorbisNameAt + kVorbisNameBytes;
  auto skipstring = [&](uint32_t* count) {
    if (packet.size() < at || packet.size() - at < kVorbisLengthBytes) return false;
    const uint32_t length = LittleEndian32(packet.data() + at);
    at += kVorbisLengthBytes;
    if (count) {
      *count = length;
      return true;
    }
    if (length > packet.size() - at) return false;
    at += length;
    return true;
  };
  uint32_t count = 0;
  if (packet.empty() || packet[0] != kVorbisComments || !skipstring(nullptr) || !skipstring(&count)) return false;
  for (uint32_t i = 0; i < count; i++)  // each comment takes at least its length's bytes, so this ends soon
    if (!skipstring(nullptr)) return false;
  return at < packet.size();  // the framing byte follows
}

// What the Ogg pages of a file say about it.
struct OggPages {
  int64_t claimed = 0;      // frames the pages' positions claim, summed over chained streams
  bool endsclean = false;   // the last page ends its stream, and no piece of a page trails it
  bool otherlayout = false; // a chained stream has other channels or another rate
};

// Walks the pages. A new stream (an opening page with another serial) starts
// a link of the chain; a link's length is the position on its last page. A
// file cut short has no end-of-stream mark on its last page, or a piece of a
// page after it. Pages of other serials within a link are passed over.
static OggPages WalkOggPages(const uint8_t* data, size_t size, int channels, long rate) {
  OggPages out;
  bool lastends = false, inlink = false, piece = false;
  uint32_t linkserial = 0;
  int64_t linkend = 0;
  auto endlink = [&] {
    out.claimed = linkend > INT64_MAX - out.claimed ? INT64_MAX : out.claimed + linkend;
    linkend = 0;
  };
  for (size_t at = 0; at < size;) {
    size_t length = 0;
    const OggFound found = FindOggPage(data, size, at, length);
    if (found == OggFound::kPiece) {
      piece = true;
      break;
    }
    const uint8_t* page = data + at;
    at += length;
    if (found == OggFound::kNoPage) continue;
    const uint8_t flags = page[kOggFlagsAt];
    const uint32_t serial = LittleEndian32(page + kOggSerialAt);
    if ((flags & kOggOpensStream) && !(inlink && serial == linkserial)) {
      if (inlink) endlink();
      inlink = true;
      linkserial = serial;
      if (OpensAnotherLayout(page, channels, rate)) out.otherlayout = true;
    }
    if (serial != linkserial) continue;
    const int64_t position = LittleEndian64(page + kOggGranuleAt);
    if (position >= 0) linkend = position;
    lastends = (flags & kOggEndsStream) != 0;
  }
  if (inlink) endlink();
  out.endsclean = lastends && !piece;
  return out;
}

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
  if (!HeadersSound(data, size)) return fail("it is not an Ogg Vorbis sound");
  int error = 0;
  stb_vorbis* v = stb_vorbis_open_memory(data, (int)size, &error, nullptr);
  if (!v) return fail("it is not an Ogg Vorbis sound");
  std::unique_ptr<stb_vorbis, void (*)(stb_vorbis*)> hold(v, stb_vorbis_close);
  stb_vorbis_info info = stb_vorbis_get_info(v);
  const int channels = info.channels;
  const long rate = (long)info.sample_rate;
  if (channels < 1 || channels > 2 || rate < kMinSoundRate || rate > kMaxSoundRate)
    return fail("it has " + std::to_string(channels) + " channels at " + std::to_string(rate) +
                " Hz; the game plays mono or stereo at 1000 to 192000 Hz");
  const OggPages pages = WalkOggPages(data, size, channels, rate);
  if (pages.claimed > (int64_t)(kMaxSoundSamples / channels))
    return fail("it claims " + std::to_string(pages.claimed) + " frames, more than the game holds (" +
                std::to_string(kMaxSoundSamples / channels) + "); it is damaged or too long");
  // stb decodes one stream's layout only; the desktop refuses a chain that
  // changes it, so this build does too.
  if (pages.otherlayout) return fail("its chained streams differ in channels or sample rate");
  std::unique_ptr<TSound> s(new TSound);
  s->channels = channels;
  s->rate = (int)rate;
  s->loops = (flags & 1) != 0;
  s->path = path;
  std::string problem;
  constexpr int kChunkSamples = 4096;
  int16_t chunk[kChunkSamples];
  try {
    for (;;) {
      int frames = stb_vorbis_get_frame_short_interleaved(v, channels, chunk, kChunkSamples);
      if (frames <= 0) break;
      size_t got = (size_t)frames * channels;
      if (s->samples.size() + got > kMaxSoundSamples) {
        problem = "it is longer than the game holds (" + std::to_string(kMaxSoundSamples / channels) + " frames)";
        break;
      }
      s->samples.insert(s->samples.end(), chunk, chunk + got);
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
    if (!pages.endsclean) *warning = "it seems cut short (its last page does not end the stream)";
    else if (pages.claimed > frames)
      *warning = "it holds " + std::to_string(frames) + " of the " + std::to_string(pages.claimed) + " frames it claims";
  }
  return s.release();
}
