// Compression service for the game's own files (zlib's deflate format); the
// only way a source outside platform/ reaches zlib.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Compresses n bytes into out (replacing it); false only when zlib fails.
bool CompressBytes(const uint8_t* data, size_t n, std::vector<uint8_t>& out);
// Decompresses n bytes that must unpack to exactly expected bytes; false with
// *why when the data is damaged, ends early, or unpacks to another size. It
// never writes more than expected bytes.
bool UncompressBytes(const uint8_t* data, size_t n, size_t expected, std::vector<uint8_t>& out,
                     std::string* why);
