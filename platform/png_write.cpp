// Writing a picture as a PNG file (screenshots), through a temporary file
// renamed over the target like every save.
#include <png.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/render.h"

namespace {
struct Encoded {
  std::vector<uint8_t> bytes;
};
void WriteBytes(TStream* s, void* ctx) {
  for (uint8_t b : static_cast<Encoded*>(ctx)->bytes) WriteByte(s, b);
}
}  // namespace

bool SavePNG(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height,
             std::string* why) {
  if (width <= 0 || height <= 0 || rgba.size() < (size_t)width * height * 4) {
    if (why) *why = "no picture to save";
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = (png_uint_32)width;
  image.height = (png_uint_32)height;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
    if (why) *why = "cannot encode the picture";
    return false;
  }
  Encoded out;
  out.bytes.resize(size);
  if (!png_image_write_to_memory(&image, out.bytes.data(), &size, 0, rgba.data(), 0, nullptr)) {
    if (why) *why = "cannot encode the picture";
    return false;
  }
  out.bytes.resize(size);
  return SaveFileAtomically(path, WriteBytes, &out, why);
}
