// The file formats behind the platform layer: PNG pictures in and out, Ogg
// Vorbis sounds in. The desktop build decodes with libpng and Vorbis, the web
// build with the stb decoders; both read and write the same files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TSound;

// The largest picture the game loads, across and down; a file that declares
// more is refused before any memory is taken for its pixels.
constexpr unsigned kMaxPictureSide = 4096;
// The most samples one sound may hold (128 MiB decoded: over twelve
// minutes of stereo at 44.1 kHz).
constexpr size_t kMaxSoundSamples = size_t(1) << 26;
// The sample rates a sound may have.
constexpr long kMinSoundRate = 1000, kMaxSoundRate = 192000;

// Why a picture of w x h pixels is refused.
inline std::string PictureTooLarge(unsigned w, unsigned h) {
  return "it is " + std::to_string(w) + "x" + std::to_string(h) + " pixels; the game takes pictures of at most " +
         std::to_string(kMaxPictureSide) + "x" + std::to_string(kMaxPictureSide);
}

// Decodes a PNG file or PNG bytes into RGBA rows (top to bottom); hasalpha
// tells whether it had its own alpha. Only a regular file is read. False
// with a reason when it cannot be read, is damaged or is too large.
bool DecodePNGFile(const std::string& path, std::vector<uint8_t>& rgba, int& w, int& h, bool& hasalpha,
                   std::string* why);
bool DecodePNGBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& rgba, int& w, int& h,
                    bool& hasalpha, std::string* why);
// Encodes RGBA rows as PNG bytes.
bool EncodePNG(const std::vector<uint8_t>& rgba, int width, int height, std::vector<uint8_t>& out,
               std::string* why);

// Decodes a whole Ogg Vorbis file held in memory (flags 1: the sound loops).
// The length the file claims is never trusted: samples are kept as they are
// decoded, up to kMaxSoundSamples. Null with *why when it cannot; a sound
// that looks cut short comes with a *warning.
TSound* DecodeOgg(const uint8_t* data, size_t size, int flags, const std::string& path, std::string* why,
                  std::string* warning);
