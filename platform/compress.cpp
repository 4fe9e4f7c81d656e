// zlib behind the compression service.
#include "platform/compress.h"

#include <zlib.h>

bool CompressBytes(const uint8_t* data, size_t n, std::vector<uint8_t>& out) {
  uLongf size = compressBound((uLong)n);
  out.resize(size);
  if (compress2(out.data(), &size, data, (uLong)n, Z_BEST_COMPRESSION) != Z_OK) {
    out.clear();
    return false;
  }
  out.resize(size);
  return true;
}

bool UncompressBytes(const uint8_t* data, size_t n, size_t expected, std::vector<uint8_t>& out,
                     std::string* why) {
  auto fail = [&](const char* reason) {
    if (why) *why = reason;
    out.clear();
    return false;
  };
  out.assign(expected, 0);
  z_stream z = {};
  if (inflateInit(&z) != Z_OK) return fail("the decompressor could not start");
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = (uInt)n;
  z.next_out = out.data();
  z.avail_out = (uInt)expected;
  // One byte of room past the end tells a longer stream from an exact one.
  uint8_t extra = 0;
  int rc = inflate(&z, Z_FINISH);
  size_t got = expected - z.avail_out;
  if (rc == Z_BUF_ERROR && z.avail_out == 0) {
    // Only a byte that comes out makes it longer; a stream that stops short
    // of its check is cut short.
    z.next_out = &extra;
    z.avail_out = 1;
    rc = inflate(&z, Z_FINISH);
    if (z.avail_out == 0) {
      inflateEnd(&z);
      return fail("the compressed data unpacks to more bytes than its header says");
    }
  }
  bool trailing = z.avail_in != 0;
  inflateEnd(&z);
  if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) return fail("the compressed data is damaged");
  if (rc != Z_STREAM_END) return fail("the compressed data ends early (the file is cut short)");
  if (got != expected) return fail("the compressed data unpacks to fewer bytes than its header says");
  if (trailing) return fail("there are stray bytes after the compressed data");
  return true;
}
