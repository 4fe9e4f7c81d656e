// Our own checks of PNG and Ogg files, made before any decoder sees their
// bytes. The desktop's libraries and the browser's stb decoders each let
// through damage the other refuses; with these checks in front, both builds
// load or refuse the same files, with the same reasons.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest picture file read.
constexpr size_t kMaxPictureFileBytes = size_t(64) << 20;

// Why a picture our checks passed is still refused by its decoder.
constexpr const char* kPixelsDoNotDecode = "it is damaged (its pixels do not decode)";

// A PNG's chunk, by where its data lies in the file.
struct PNGChunkSpan {
  size_t at = 0;  // first byte of the chunk's length field
  size_t length = 0;  // bytes of data
};

// What the check of a sound PNG found.
struct PNGLayout {
  unsigned width = 0, height = 0;
  PNGChunkSpan header;        // IHDR
  PNGChunkSpan palette;       // PLTE; length 0 when there is none
  PNGChunkSpan transparency;  // tRNS; length 0 when there is none
  bool haspalette = false, hastransparency = false;
  std::vector<uint8_t> compressed;  // the IDAT chunks' data, joined
};

// Checks a PNG before it is decoded: the signature; every chunk whole with a
// good CRC, up to IEND; IHDR first and valid, within the size the game
// takes; PLTE and tRNS as its colour type allows, before the image data; the
// IDAT chunks together and holding a zlib stream that unpacks, its Adler-32
// good, to exactly the filtered rows IHDR calls for, each with a known
// filter. False with *why when any of that fails.
bool CheckPNG(const uint8_t* data, size_t size, PNGLayout& layout, std::string* why);

// PNG's CRC-32 over a chunk's type and data.
uint32_t PNGCrc(const uint8_t* data, size_t size, uint32_t crc = 0);

// What the walk of an Ogg file's pages found.
struct OggWalk {
  size_t wholebytes = 0;    // the file up to the end of its last whole page
  int64_t claimed = 0;      // frames the pages' positions claim, summed over chained streams
  bool endsclean = false;   // the last page ends its stream, and no piece of a page trails it
};

// Walks the pages of an Ogg file: from its first byte, page after page, each
// with the capture pattern, version 0 and a good CRC, each stream's pages
// numbered on from 0 and carrying a packet on only where the page before
// left one unfinished, nothing after a stream's end, each stream of its own
// serial and every Vorbis stream of the first one's layout. A piece
// of a page at the end (a file cut short) is left out of wholebytes, so the
// decoders see the same whole pages. False with *why when the pages are
// damaged or out of order.
bool WalkOgg(const uint8_t* data, size_t size, OggWalk& walk, std::string* why);

// Whether the first three packets of the walked pages (the whole bytes) are
// Vorbis's headers as both builds' decoders read them: a comment header that
// holds its vendor string and every comment it counts, and a setup header
// that ends in its framing bit.
bool VorbisHeadersSound(const uint8_t* data, size_t size);

// An Ogg page's CRC-32 over its bytes (the CRC field taken as zeros).
uint32_t OggPageCrc(const uint8_t* page, size_t size);
// The length of a whole page WalkOgg has passed: header, segment table, body.
size_t OggPageBytes(const uint8_t* page);
