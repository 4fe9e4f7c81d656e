// Our own checks of PNG and Ogg files, shared by the desktop and browser
// builds, so that the two builds' decoders are handed only files both read.
#include "platform/media_checks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "platform/codecs.h"
#include "platform/compress.h"

// The numbers PNG stores most significant byte first, Ogg least first.
static uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}
static uint32_t LittleEndian32(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
static int64_t LittleEndian64(const uint8_t* p) {
  constexpr int kHalf = 32;
  return (int64_t)((uint64_t)LittleEndian32(p) | (uint64_t)LittleEndian32(p + sizeof(uint32_t)) << kHalf);
}

static bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

constexpr size_t kByteValues = 256;
constexpr int kBitsPerByte = 8;
constexpr uint32_t kByteMask = 0xff;

// PNG's CRC-32: zlib's, least significant bit first, from all ones, inverted
// at the end.
static constexpr uint32_t kPNGCrcPolynomial = 0xedb88320u;
static constexpr std::array<uint32_t, kByteValues> PNGCrcTable() {
  std::array<uint32_t, kByteValues> table{};
  for (uint32_t byte = 0; byte < kByteValues; byte++) {
    uint32_t r = byte;
    for (int bit = 0; bit < kBitsPerByte; bit++) r = (r & 1) ? (r >> 1) ^ kPNGCrcPolynomial : r >> 1;
    table[byte] = r;
  }
  return table;
}
static constexpr std::array<uint32_t, kByteValues> kPNGCrcTable = PNGCrcTable();

uint32_t PNGCrc(const uint8_t* data, size_t size, uint32_t crc) {
  crc = ~crc;
  for (size_t i = 0; i < size; i++) crc = kPNGCrcTable[(crc ^ data[i]) & kByteMask] ^ crc >> kBitsPerByte;
  return ~crc;
}

// A PNG: the signature, then chunks of a length, a four-letter type, the
// data and a CRC over type and data.
static constexpr uint8_t kPNGSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
static constexpr size_t kChunkLengthBytes = 4, kChunkTypeBytes = 4, kChunkCrcBytes = 4;
static constexpr size_t kChunkOverhead = kChunkLengthBytes + kChunkTypeBytes + kChunkCrcBytes;
static constexpr uint32_t kMaxChunkLength = 0x7fffffffu;
// A type's first letter in lower case marks a chunk a reader may pass over.
static constexpr uint8_t kAncillaryBit = 0x20;
// IHDR: width, height, bit depth, colour type, compression, filter and
// interlace methods.
static constexpr size_t kHeaderBytes = 13, kDepthAt = 8, kColourAt = 9, kCompressionAt = 10, kFilterAt = 11,
                        kInterlaceAt = 12;
enum PNGColour : uint8_t { kGrey = 0, kRGB = 2, kIndexed = 3, kGreyAlpha = 4, kRGBA = 6 };
static constexpr uint8_t kAdam7 = 1;
static constexpr uint8_t kLastFilter = 4;  // Paeth
static constexpr size_t kPaletteEntryBytes = 3, kMaxPaletteEntries = 256;
static constexpr size_t kGreyKeyBytes = 2, kRGBKeyBytes = 6;

// Samples per pixel of a colour type, 0 for an unknown one, and whether
// the bit depth is one PNG allows with it.
static int Channels(uint8_t colour) {
  switch (colour) {
    case kGrey: case kIndexed: return 1;
    case kGreyAlpha: return 2;
    case kRGB: return 3;
    case kRGBA: return 4;
    default: return 0;
  }
}
static bool DepthAllowed(uint8_t colour, uint8_t depth) {
  const bool small = depth == 1 || depth == 2 || depth == 4;
  if (colour == kGrey) return small || depth == 8 || depth == 16;
  if (colour == kIndexed) return small || depth == 8;
  return depth == 8 || depth == 16;
}

// A chunk's type as text when it is four letters, as PNG's types are.
static bool TypeIsLetters(const uint8_t* type) {
  for (size_t i = 0; i < kChunkTypeBytes; i++) {
    const uint8_t c = type[i] & ~kAncillaryBit;
    if (c < 'A' || c > 'Z') return false;
  }
  return true;
}

// Adam7's seven passes: the first column and row, and the steps across and down.
struct InterlacePass {
  unsigned x0, y0, dx, dy;
};
static constexpr InterlacePass kAdam7Passes[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

// The rows of filtered pixels a picture's image data unpacks to, pass by pass.
struct FilteredRows {
  size_t rows = 0, rowbytes = 0;  // each row is a filter byte and rowbytes of pixels
};
static std::vector<FilteredRows> RowsOf(unsigned w, unsigned h, uint8_t colour, uint8_t depth, bool interlaced) {
  const uint64_t bits = (uint64_t)Channels(colour) * depth;
  auto rowbytes = [&](unsigned pixels) { return (size_t)((pixels * bits + kBitsPerByte - 1) / kBitsPerByte); };
  if (!interlaced) return {{h, rowbytes(w)}};
  std::vector<FilteredRows> passes;
  for (const InterlacePass& p : kAdam7Passes) {
    const unsigned pw = w > p.x0 ? (w - p.x0 + p.dx - 1) / p.dx : 0;
    const unsigned ph = h > p.y0 ? (h - p.y0 + p.dy - 1) / p.dy : 0;
    if (pw && ph) passes.push_back({ph, rowbytes(pw)});
  }
  return passes;
}

// Checks the IHDR chunk's fields; the size is left to the caller.
static bool HeaderValid(const uint8_t* header) {
  const uint32_t w = BigEndian32(header), h = BigEndian32(header + 4);
  const uint8_t colour = header[kColourAt], depth = header[kDepthAt];
  return w > 0 && h > 0 && w <= kMaxChunkLength && h <= kMaxChunkLength && Channels(colour) > 0 &&
         DepthAllowed(colour, depth) && header[kCompressionAt] == 0 && header[kFilterAt] == 0 &&
         header[kInterlaceAt] <= kAdam7;
}

bool CheckPNG(const uint8_t* data, size_t size, PNGLayout& layout, std::string* why) {
  layout = PNGLayout{};
  if (size < sizeof kPNGSignature || std::memcmp(data, kPNGSignature, sizeof kPNGSignature) != 0)
    return Fail(why, "it is not a PNG picture (it lacks PNG's signature)");
  const std::string cutshort = "it is damaged (it is cut short before its IEND chunk)";
  uint8_t colour = 0, depth = 0;
  bool interlaced = false, seendata = false, datadone = false;
  size_t entries = 0;
  for (size_t at = sizeof kPNGSignature;;) {
    if (size - at < kChunkOverhead)
      return Fail(why, at == sizeof kPNGSignature ? "it is not a PNG picture (it has no IHDR header)" : cutshort);
    const uint32_t length = BigEndian32(data + at);
    const uint8_t* type = data + at + kChunkLengthBytes;
    const uint8_t* body = type + kChunkTypeBytes;
    const bool first = at == sizeof kPNGSignature;
    const std::string name(reinterpret_cast<const char*>(type), kChunkTypeBytes);
    auto is = [&](const char* t) { return std::memcmp(type, t, kChunkTypeBytes) == 0; };
    if (first && (!is("IHDR") || length != kHeaderBytes))
      return Fail(why, "it is not a PNG picture (it does not begin with an IHDR header)");
    if (length > kMaxChunkLength || length > size - at - kChunkOverhead) return Fail(why, cutshort);
    if (!TypeIsLetters(type))
      return Fail(why, "it is damaged (the chunk at byte " + std::to_string(at) + " has no valid type)");
    if (PNGCrc(type, kChunkTypeBytes + length) != BigEndian32(body + length))
      return Fail(why, "it is damaged (its " + name + " chunk at byte " + std::to_string(at) + " fails its CRC check)");
    const PNGChunkSpan span{at, length};
    if (is("IDAT") && datadone) return Fail(why, "it is damaged (its IDAT chunks are not all together)");
    if (!is("IDAT") && seendata) datadone = true;
    if (first) {
      if (!HeaderValid(body)) return Fail(why, "it is not a PNG picture (its IHDR header is invalid)");
      layout.header = span;
      layout.width = BigEndian32(body);
      layout.height = BigEndian32(body + 4);
      colour = body[kColourAt];
      depth = body[kDepthAt];
      interlaced = body[kInterlaceAt] == kAdam7;
      // Refused here, before anything is taken for the pixels.
      if (layout.width > kMaxPictureSide || layout.height > kMaxPictureSide)
        return Fail(why, PictureTooLarge(layout.width, layout.height));
    } else if (is("IHDR")) {
      return Fail(why, "it is damaged (it has a second IHDR header)");
    } else if (is("PLTE")) {
      entries = length / kPaletteEntryBytes;
      if (seendata || layout.haspalette || colour == kGrey || colour == kGreyAlpha || length % kPaletteEntryBytes ||
          entries == 0 || entries > kMaxPaletteEntries || (colour == kIndexed && entries > (size_t(1) << depth)))
        return Fail(why, "it is damaged (its PLTE chunk is out of place or of the wrong size)");
      layout.palette = span;
      layout.haspalette = true;
    } else if (is("tRNS")) {
      const bool fits = (colour == kGrey && length == kGreyKeyBytes) || (colour == kRGB && length == kRGBKeyBytes) ||
                        (colour == kIndexed && layout.haspalette && length <= entries);
      if (seendata || layout.hastransparency || !fits)
        return Fail(why, "it is damaged (its tRNS chunk is out of place or does not fit its colours)");
      layout.transparency = span;
      layout.hastransparency = true;
    } else if (is("IDAT")) {
      if (colour == kIndexed && !layout.haspalette)
        return Fail(why, "it is damaged (its colours are indexed but it has no PLTE chunk)");
      seendata = true;
      layout.compressed.insert(layout.compressed.end(), body, body + length);
    } else if (is("IEND")) {
      break;
    } else if (!(type[0] & kAncillaryBit)) {
      return Fail(why, "it is not a PNG picture the game reads (its " + name + " chunk is one no reader may pass over)");
    }
    at += kChunkOverhead + length;
  }
  if (layout.compressed.empty()) return Fail(why, "it is damaged (it holds no image data)");
  // The image data must unpack, its check good, to exactly the filtered rows.
  const std::vector<FilteredRows> passes = RowsOf(layout.width, layout.height, colour, depth, interlaced);
  size_t expected = 0;
  for (const FilteredRows& p : passes) expected += p.rows * (1 + p.rowbytes);
  // (zlib and stb tell the faults of deflate data apart differently, so the
  // reason is one for all of them.)
  std::vector<uint8_t> rows;
  if (!UncompressBytes(layout.compressed.data(), layout.compressed.size(), expected, rows, nullptr))
    return Fail(why, "it is damaged (its image data does not unpack, whole and checked, to its rows)");
  size_t at = 0;
  for (const FilteredRows& p : passes)
    for (size_t r = 0; r < p.rows; r++, at += 1 + p.rowbytes)
      if (rows[at] > kLastFilter) return Fail(why, "it is damaged (a row of its pixels has an unknown filter)");
  return true;
}

// An Ogg page: the capture pattern "OggS", a version byte, header flags, the
// granule position (frames decoded by the page's end; -1 when no packet ends
// on it), the stream's serial number, the page's sequence number, its CRC-32,
// and a table of segment lengths that add up to the body.
static constexpr size_t kOggCaptureBytes = 4, kOggVersionAt = 4, kOggFlagsAt = 5, kOggGranuleAt = 6;
static constexpr size_t kOggSerialAt = 14, kOggSequenceAt = 18, kOggCrcAt = 22, kOggCrcBytes = 4;
static constexpr size_t kOggSegmentCountAt = 26, kOggHeaderBytes = 27;
// The flags: a page that carries on its stream's last packet, one that
// opens its stream, and one that ends it.
static constexpr uint8_t kOggContinues = 1, kOggOpensStream = 2, kOggEndsStream = 4;
// A segment this long carries its packet on into the next.
static constexpr uint8_t kOggFullSegment = 255;
// Ogg's CRC-32: this polynomial, most significant bit first, from zero, no
// final inversion.
static constexpr uint32_t kOggCrcPolynomial = 0x04c11db7;
static constexpr uint32_t kTopBit = 0x80000000u;
static constexpr int kCrcShift = 24;

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

uint32_t OggPageCrc(const uint8_t* page, size_t size) {
  static constexpr uint8_t kZeroCrc[kOggCrcBytes] = {};
  uint32_t crc = OggCrc(0, page, kOggCrcAt);
  crc = OggCrc(crc, kZeroCrc, kOggCrcBytes);
  return OggCrc(crc, page + kOggCrcAt + kOggCrcBytes, size - kOggCrcAt - kOggCrcBytes);
}

// Vorbis's identification header, the first packet of a stream: its type,
// "vorbis", the version, then the channels and the sample rate.
static constexpr uint8_t kVorbisIdentification = 1;
static constexpr size_t kVorbisNameAt = 1, kVorbisNameBytes = 6, kVorbisChannelsAt = 11, kVorbisRateAt = 12;
static constexpr size_t kVorbisLayoutBytes = 16;

// The layout (channels and sample rate) a page that opens a stream gives in
// its identification header; false when it opens no Vorbis stream.
static bool OpeningLayout(const uint8_t* page, int& channels, long& rate) {
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
  channels = body[kVorbisChannelsAt];
  rate = (long)LittleEndian32(body + kVorbisRateAt);
  return true;
}

// Vorbis's comment header, the second packet: its type, "vorbis", then a
// vendor string and a count of comments, each string led by its length.
// The setup header follows it.
static constexpr uint8_t kVorbisComments = 3;
static constexpr size_t kVorbisLengthBytes = 4;
static constexpr int kVorbisCommentPacket = 1, kVorbisHeaderPackets = 3;  // counting from zero

// Vorbis's setup header, the third packet: its type, "vorbis", the codec's
// set-up, and a framing bit of 1 last of all.
static constexpr uint8_t kVorbisSetup = 5;
static constexpr int kVorbisSetupPacket = 2;

// The comment and setup headers, read as stb reads the headers: the whole
// pages (all checked by WalkOgg) back to back from the file's start, segment
// after segment. False when the headers do not all end within them.
static bool HeaderPackets(const uint8_t* data, size_t size, std::vector<uint8_t>& comments,
                          std::vector<uint8_t>& setup) {
  comments.clear();
  setup.clear();
  int packetno = 0;  // the packet the next segment belongs to
  for (size_t at = 0; at < size; at += OggPageBytes(data + at)) {
    const size_t segments = data[at + kOggSegmentCountAt];
    size_t body = at + kOggHeaderBytes + segments;
    for (size_t i = 0; i < segments; i++) {
      const uint8_t lace = data[at + kOggHeaderBytes + i];
      if (packetno == kVorbisCommentPacket) comments.insert(comments.end(), data + body, data + body + lace);
      if (packetno == kVorbisSetupPacket) setup.insert(setup.end(), data + body, data + body + lace);
      body += lace;
      if (lace != kOggFullSegment && ++packetno == kVorbisHeaderPackets) return true;
    }
  }
  return false;
}

// Reads a Vorbis packet's bits, least significant first; past the end it
// reads zeros and says so.
struct VorbisBits {
  const std::vector<uint8_t>& packet;
  size_t bit = 0;
  bool pastend = false;
  uint32_t Read(int count) {
    uint32_t v = 0;
    for (int i = 0; i < count; i++, bit++) {
      if (bit / kBitsPerByte >= packet.size()) {
        pastend = true;
        return 0;
      }
      v |= (uint32_t)(packet[bit / kBitsPerByte] >> (bit % kBitsPerByte) & 1) << i;
    }
    return v;
  }
};

// The bits it takes to write n.
static int BitsFor(uint32_t n) {
  int bits = 0;
  for (; n; n >>= 1) bits++;
  return bits;
}

// Whether each codebook of a setup header leaves a decoder a count of
// lookup values it can work out: for a lattice (lookup type 1), the first
// whole number past the root of its entries, raised to its dimensions, must
// fit 31 bits. stb works that number out in floats and turns it into an
// int without a check (which traps in the browser when it does not fit);
// Vorbis would build a codebook no encoder makes. Both refuse it.
static bool CodebooksSound(const std::vector<uint8_t>& setup) {
  constexpr size_t kSetupBitsAt = (kVorbisNameAt + kVorbisNameBytes) * kBitsPerByte;
  constexpr uint32_t kCodebookSync = 0x564342;
  constexpr int kCountBits = 8, kSyncBits = 24, kDimensionBits = 16, kEntryBits = 24, kLengthBits = 5;
  constexpr int kLookupTypeBits = 4, kFloatBits = 32, kValueBitsBits = 4;
  constexpr uint32_t kLattice = 1, kLastLookupType = 2;
  constexpr uint64_t kLargestCount = 0x7fffffff;
  VorbisBits in{setup, kSetupBitsAt};
  const uint32_t books = in.Read(kCountBits) + 1;
  for (uint32_t b = 0; b < books && !in.pastend; b++) {
    if (in.Read(kSyncBits) != kCodebookSync) return true;  // left to the decoders to refuse
    const uint32_t dimensions = in.Read(kDimensionBits), entries = in.Read(kEntryBits);
    if (in.Read(1)) {  // ordered: runs of entries of one length after another
      in.Read(kLengthBits);
      for (uint32_t entry = 0; entry < entries && !in.pastend;) {
        entry += in.Read(BitsFor(entries - entry));
      }
    } else {
      const bool sparse = in.Read(1) != 0;
      for (uint32_t entry = 0; entry < entries && !in.pastend; entry++)
        if (!sparse || in.Read(1)) in.Read(kLengthBits);
    }
    const uint32_t lookup = in.Read(kLookupTypeBits);
    if (lookup == 0) continue;
    if (lookup > kLastLookupType || dimensions == 0) return true;  // left to the decoders
    in.Read(kFloatBits);
    in.Read(kFloatBits);
    const uint32_t valuebits = in.Read(kValueBitsBits) + 1;
    in.Read(1);
    uint64_t values = (uint64_t)entries * dimensions;
    if (lookup == kLattice) {
      // The largest r with r^dimensions <= entries, then (r + 1)^dimensions.
      // (Found from a float estimate just below it, in a step or two.)
      const double estimate = std::floor(std::pow((double)entries, 1.0 / dimensions));
      uint64_t r = estimate > 1 ? (uint64_t)estimate - 1 : 0, next = 1;
      for (;; r++) {
        next = 1;
        for (uint32_t d = 0; d < dimensions && next <= kLargestCount; d++) next *= r + 1;
        if (next > entries) break;
      }
      if (next > kLargestCount) return false;
      values = r;
    }
    for (uint64_t v = 0; v < values && !in.pastend; v++) in.Read((int)valuebits);
  }
  return true;
}

bool VorbisHeadersSound(const uint8_t* data, size_t size) {
  std::vector<uint8_t> packet, setup;
  if (!HeaderPackets(data, size, packet, setup)) return false;
  // The framing bit ends the setup header, so its last byte is never zero.
  // stb reads no further than the modes before it; the desktop's Vorbis
  // refuses a header without it.
  if (setup.size() <= kVorbisNameAt + kVorbisNameBytes || setup[0] != kVorbisSetup ||
      std::memcmp(setup.data() + kVorbisNameAt, "vorbis", kVorbisNameBytes) != 0 || setup.back() == 0 ||
      !CodebooksSound(setup))
    return false;
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

// Where each stream of the file stands: the sequence number its next page
// must have, whether it has ended, and whether its last page left a packet
// unfinished.
struct OggStreamState {
  uint32_t serial = 0, nextpage = 0;
  bool ended = false, unfinished = false;
};

bool WalkOgg(const uint8_t* data, size_t size, OggWalk& walk, std::string* why) {
  walk = OggWalk{};
  std::vector<OggStreamState> streams;
  int layoutchannels = 0;  // of the first Vorbis stream; 0 until it opens
  long layoutrate = 0;
  bool lastends = false, inlink = false, piece = false;
  uint32_t linkserial = 0;
  int64_t linkend = 0;
  auto endlink = [&] {
    walk.claimed = linkend > INT64_MAX - walk.claimed ? INT64_MAX : walk.claimed + linkend;
    linkend = 0;
  };
  size_t at = 0;
  for (; at < size; ) {
    const uint8_t* p = data + at;
    const size_t left = size - at;
    const std::string where = "the page at byte " + std::to_string(at);
    // A piece of a page the file's end cuts off: a start of one, too short.
    if (std::memcmp(p, "OggS", std::min(left, kOggCaptureBytes)) != 0)
      return Fail(why, at == 0 ? "it is not an Ogg Vorbis sound"
                               : "it is damaged (no Ogg page begins at byte " + std::to_string(at) + ")");
    if (left < kOggHeaderBytes || left < kOggHeaderBytes + p[kOggSegmentCountAt]) {
      piece = true;
      break;
    }
    const size_t segments = p[kOggSegmentCountAt];
    size_t bodybytes = 0;
    for (size_t i = 0; i < segments; i++) bodybytes += p[kOggHeaderBytes + i];
    const size_t length = kOggHeaderBytes + segments + bodybytes;
    if (left < length) {
      piece = true;
      break;
    }
    if (p[kOggVersionAt] != 0) return Fail(why, "it is damaged (" + where + " has an unknown version)");
    if (OggPageCrc(p, length) != LittleEndian32(p + kOggCrcAt))
      return Fail(why, "it is damaged (" + where + " fails its CRC check)");
    const uint8_t flags = p[kOggFlagsAt];
    const uint32_t serial = LittleEndian32(p + kOggSerialAt), sequence = LittleEndian32(p + kOggSequenceAt);
    OggStreamState* stream = nullptr;
    for (OggStreamState& s : streams)
      if (s.serial == serial) stream = &s;
    const std::string outoforder = "it is damaged (" + where + " is out of order in its stream)";
    if (flags & kOggOpensStream) {
      // A stream opens once, at its first page; chained streams each have
      // a serial of their own.
      if (stream || sequence != 0 || (flags & kOggContinues)) return Fail(why, outoforder);
      stream = &streams.emplace_back(OggStreamState{serial, 0, false, false});
      // Every Vorbis stream of a chain has the first one's layout.
      int channels = 0;
      long rate = 0;
      if (OpeningLayout(p, channels, rate)) {
        if (layoutchannels && (channels != layoutchannels || rate != layoutrate))
          return Fail(why, "its chained streams differ in channels or sample rate");
        layoutchannels = channels;
        layoutrate = rate;
      }
    } else if (!stream || stream->ended || sequence != stream->nextpage ||
               ((flags & kOggContinues) != 0) != stream->unfinished) {
      return Fail(why, outoforder);
    }
    stream->nextpage = sequence + 1;
    stream->ended = (flags & kOggEndsStream) != 0;
    if (segments) stream->unfinished = p[kOggHeaderBytes + segments - 1] == kOggFullSegment;
    // A new stream (an opening page with another serial) starts a link of
    // the chain; a link's length is the position on its last page. Pages of
    // other serials within a link are passed over.
    if ((flags & kOggOpensStream) && !(inlink && serial == linkserial)) {
      if (inlink) endlink();
      inlink = true;
      linkserial = serial;
    }
    at += length;
    if (serial != linkserial) continue;
    const int64_t position = LittleEndian64(p + kOggGranuleAt);
    if (position >= 0) linkend = position;
    lastends = (flags & kOggEndsStream) != 0;
  }
  if (inlink) endlink();
  walk.wholebytes = at;
  walk.endsclean = lastends && !piece;
  return true;
}

size_t OggPageBytes(const uint8_t* page) {
  const size_t segments = page[kOggSegmentCountAt];
  size_t bytes = kOggHeaderBytes + segments;
  for (size_t i = 0; i < segments; i++) bytes += page[kOggHeaderBytes + i];
  return bytes;
}
