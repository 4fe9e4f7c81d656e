// PNG pictures in and out through libpng (the desktop build).
#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/codecs.h"
#include "platform/files.h"

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
  if (!ok && why) *why = std::string("it is damaged (") + image.message + ")";
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

// The reason for a header libpng would not read.
static std::string NotAPicture(const png_image& image) {
  return std::string("it is not a PNG picture (") + image.message + ")";
}

// Decodes a PNG file. Only a regular file is read, so a FIFO or a device
// in the data folder cannot stall the loading.
bool DecodePNGFile(const std::string& path, std::vector<uint8_t>& rgba, int& w, int& h, bool& hasalpha,
                      std::string* why) {
  FILE* f = OpenRegularFile(path, nullptr, why);
  if (!f) return false;
  png_image image = NewPNGImage();
  bool ok = false;
  if (png_image_begin_read_from_stdio(&image, f)) ok = FinishPNG(image, rgba, w, h, hasalpha, why);
  else if (why) *why = NotAPicture(image);
  png_image_free(&image);
  std::fclose(f);
  return ok;
}

// Decodes PNG bytes held in memory, just as a file.
bool DecodePNGBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& rgba, int& w, int& h,
                           bool& hasalpha, std::string* why) {
  png_image image = NewPNGImage();
  bool ok = false;
  if (png_image_begin_read_from_memory(&image, data, size)) ok = FinishPNG(image, rgba, w, h, hasalpha, why);
  else if (why) *why = NotAPicture(image);
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
