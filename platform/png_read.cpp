// PNG pictures in and out through libpng (the desktop build).
#include <png.h>

#include <cstring>
#include <new>

#include "platform/codecs.h"
#include "platform/files.h"
#include "platform/media_checks.h"

// Finishes decoding a PNG whose header has been read into RGBA rows, once
// its size is known to be sane; hasalpha tells whether it had its own alpha.
static bool FinishPNG(png_image& image, std::vector<uint8_t>& rgba, int& w, int& h, bool& hasalpha,
                      std::string* why) {
  if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide ||
      image.height > kMaxPictureSide) {
    if (why) *why = PictureTooLarge(image.width, image.height);
    png_image_free(&image);
    return false;
  }
  hasalpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_RGBA;
  w = (int)image.width;
  h = (int)image.height;
  try {
    rgba.resize((size_t)PNG_IMAGE_SIZE(image));
  } catch (const std::bad_alloc&) {
    if (why) *why = "there is not enough memory for its " + std::to_string(w) + "x" + std::to_string(h) + " pixels";
    png_image_free(&image);
    return false;
  }
  bool ok = png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) != 0;
  if (!ok && why) *why = kPixelsDoNotDecode;
  png_image_free(&image);
  return ok;
}

// A PNG reader, ready for one of libpng's ways in.
static png_image NewPNGImage() {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  return image;
}

// Decodes a PNG file. Only a regular file is read, so a FIFO or a device
// in the data folder cannot stall the loading.
bool DecodePNGFile(const std::string& path, std::vector<uint8_t>& rgba, int& w, int& h, bool& hasalpha,
                   std::string* why) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxPictureFileBytes, bytes, nullptr, why)) return false;
  return DecodePNGBytes(bytes.data(), bytes.size(), rgba, w, h, hasalpha, why);
}

// Decodes PNG bytes held in memory once our own checks have passed them, so
// that libpng meets only what the browser's decoder reads too.
bool DecodePNGBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& rgba, int& w, int& h,
                    bool& hasalpha, std::string* why) {
  PNGLayout layout;
  if (!CheckPNG(data, size, layout, why)) return false;
  png_image image = NewPNGImage();
  bool ok = false;
  if (png_image_begin_read_from_memory(&image, data, size)) ok = FinishPNG(image, rgba, w, h, hasalpha, why);
  else if (why) *why = kPixelsDoNotDecode;
  png_image_free(&image);
  return ok;
}

// Encodes RGBA rows as PNG bytes.
bool EncodePNG(const std::vector<uint8_t>& rgba, int width, int height, std::vector<uint8_t>& out,
               std::string* why) {
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
  out.resize(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) {
    if (why) *why = "cannot encode the picture";
    return false;
  }
  out.resize(size);
  return true;
}
