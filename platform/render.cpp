// The rendering layer's shared half: current drawing state, image loading
// (PNG through libpng) and the hand-off to the chosen back end.
#include "platform/render.h"

#include <png.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/files.h"
#include "platform/input.h"

static const RenderBackend* backend = nullptr;
static RenderState state;
static int centrehandles = 0;
static int maskr = 0, maskg = 0, maskb = 0;
static int defaultflags = 6;
static int displaygeneration = 0;
static bool displayopen = false;
static int driverflags = 0;
static RenderDriver chosendriver = RenderDriver::OpenGL;

// Chooses the back end every later call goes to.
void SetRenderBackend(const RenderBackend* b) { backend = b; }
const RenderBackend* CurrentRenderBackend() { return backend; }

// Chooses the renderer for the next OpenGraphics. Both values give our
// OpenGL renderer on this platform; the setting keeps its meaning.
void SelectGraphicsDriver(RenderDriver driver, int flags) {
  chosendriver = driver;
  driverflags = flags;
}

// Opens the display: a new generation, cleared keys and buttons.
bool OpenGraphics(int width, int height, int depth, int hertz, int flags, std::string* why) {
  if (!backend) backend = HeadlessRenderBackend();
  if (displayopen) CloseGraphics();
  if (!backend->open(width, height, depth, hertz, flags | driverflags, why)) return false;
  displayopen = true;
  displaygeneration++;
  InputClearKeysAndButtons();
  return true;
}

// Closes the display; images stay valid and rebuild their textures later.
void CloseGraphics() {
  if (!displayopen) return;
  backend->close();
  displayopen = false;
}

// Whether the display is open, and which opening it is.
bool GraphicsOpen() { return displayopen; }
int DisplayGeneration() { return displaygeneration; }

// Clears the back buffer to black.
void Cls() {
  if (displayopen) backend->cls();
}

// Presents the back buffer (sync 0 at once, -1 paced to the refresh rate).
void Flip(int sync) {
  if (displayopen) backend->flip(sync);
}

// Shows or hides the pointer over the display.
void SetMouseVisible(int visible) {
  if (displayopen) backend->setmousevisible(visible);
}

// Image loading defaults: centred handles, the mask colour, default flags.
void SetCentreHandles(int on) { centrehandles = on; }
void SetMaskColor(int r, int g, int b) {
  maskr = r;
  maskg = g;
  maskb = b;
}
void SetDefaultImageFlags(int flags) {
  if (flags != -1) defaultflags = flags;
}

// The largest picture the game loads, across and down; a file that declares
// more is refused before any memory is taken for its pixels.
static constexpr unsigned kMaxPictureSide = 4096;

// Finishes decoding a PNG whose header has been read into RGBA rows, once
// its size is known to be sane; hasalpha tells whether it had its own alpha.
static bool FinishPNG(png_image& image, std::vector<uint8_t>& rgba, int& w, int& h, bool& hasalpha,
                      std::string* why) {
  if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide ||
      image.height > kMaxPictureSide) {
    if (why)
      *why = "it is " + std::to_string(image.width) + "x" + std::to_string(image.height) +
             " pixels; the game takes pictures of at most " + std::to_string(kMaxPictureSide) + "x" +
             std::to_string(kMaxPictureSide);
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
static bool DecodePNG(const std::string& path, std::vector<uint8_t>& rgba, int& w, int& h, bool& hasalpha,
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
static bool DecodePNGBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& rgba, int& w, int& h,
                           bool& hasalpha, std::string* why) {
  png_image image = NewPNGImage();
  bool ok = false;
  if (png_image_begin_read_from_memory(&image, data, size)) ok = FinishPNG(image, rgba, w, h, hasalpha, why);
  else if (why) *why = NotAPicture(image);
  png_image_free(&image);
  return ok;
}

// Cuts a decoded picture into frames and makes the image record.
static TImage* MakeImage(const std::vector<uint8_t>& rgba, int w, int h, bool hasalpha, int cellw,
                         int cellh, int first, int count, int flags, const std::string& path,
                         std::string* why = nullptr) {
  if (flags == -1) flags = defaultflags;
  if (cellw <= 0 || cellh <= 0 || count <= 0 || first < 0) return nullptr;
  int across = w / cellw, down = h / cellh;
  if ((long)across * down < (long)first + count) {
    if (why)
      *why = "it is " + std::to_string(w) + "x" + std::to_string(h) + " pixels, too small for " +
             std::to_string((long)first + count) + " cells of " + std::to_string(cellw) + "x" +
             std::to_string(cellh);
    return nullptr;
  }
  TImage* img = new TImage;
  img->width = cellw;
  img->height = cellh;
  img->flags = flags;
  img->mask_r = maskr;
  img->mask_g = maskg;
  img->mask_b = maskb;
  img->hasalpha = hasalpha;
  img->path = path;
  if (centrehandles) {
    img->handle_x = cellw * 0.5f;
    img->handle_y = cellh * 0.5f;
  }
  bool mask = (flags & IMG_MASKED) && !hasalpha;
  for (int f = 0; f < count; f++) {
    int cell = first + f;
    int cx = (cell % across) * cellw, cy = (cell / across) * cellh;
    std::vector<uint8_t> px((size_t)cellw * cellh * 4);
    for (int y = 0; y < cellh; y++) {
      const uint8_t* src = &rgba[((size_t)(cy + y) * w + cx) * 4];
      uint8_t* dst = &px[(size_t)y * cellw * 4];
      std::memcpy(dst, src, (size_t)cellw * 4);
      if (mask)
        for (int x = 0; x < cellw; x++) {
          uint8_t* p = dst + x * 4;
          if (p[0] == maskr && p[1] == maskg && p[2] == maskb) p[3] = 0;
        }
    }
    img->pixmaps.push_back(std::move(px));
  }
  img->frames.assign(count, 0);
  img->seqs.assign(count, -1);
  img->texu.assign(count, 1.0f);
  img->texv.assign(count, 1.0f);
  return img;
}

// Loads a PNG as a one-frame image; null when it cannot be read or decoded.
TImage* LoadImage(const std::string& path, int flags, std::string* why) {
  std::vector<uint8_t> rgba;
  int w, h;
  bool hasalpha;
  if (!DecodePNG(path, rgba, w, h, hasalpha, why)) return nullptr;
  return MakeImage(rgba, w, h, hasalpha, w, h, 0, 1, flags, path, why);
}

// Loads a PNG cut into cells; null when it holds fewer than first + count cells.
TImage* LoadImageCells(const std::string& path, int cellw, int cellh, int first, int count, int flags,
                       std::string* why) {
  std::vector<uint8_t> rgba;
  int w, h;
  bool hasalpha;
  if (!DecodePNG(path, rgba, w, h, hasalpha, why)) return nullptr;
  return MakeImage(rgba, w, h, hasalpha, cellw, cellh, first, count, flags, path, why);
}

// Loads PNG bytes from memory as a file would load (cellw 0: the whole
// picture as one frame).
TImage* LoadImageCellsFromMemory(const uint8_t* data, size_t size, int cellw, int cellh, int first,
                                 int count, int flags, std::string* why) {
  std::vector<uint8_t> rgba;
  int w, h;
  bool hasalpha;
  if (!DecodePNGBytes(data, size, rgba, w, h, hasalpha, why)) return nullptr;
  if (cellw <= 0) return MakeImage(rgba, w, h, hasalpha, w, h, 0, 1, flags, "(memory)", why);
  return MakeImage(rgba, w, h, hasalpha, cellw, cellh, first, count, flags, "(memory)", why);
}

// Makes a one-frame image from pixels in memory.
TImage* CreateImageFromPixels(int width, int height, const uint8_t* rgba, bool hasalpha, int flags) {
  std::vector<uint8_t> px(rgba, rgba + (size_t)width * height * 4);
  return MakeImage(px, width, height, hasalpha, width, height, 0, 1, flags, "(memory)");
}

// Draws one frame with the current state, its handle at (x, y).
void DrawImage(TImage* img, float x, float y, int frame) {
  if (!displayopen || !img || frame < 0 || frame >= img->FrameCount()) return;
  backend->drawimage(img, x, y, frame, state);
}

// Colour channels are kept within 0..255.
static int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// The current colour, clamped.
void SetColor(int r, int g, int b) {
  state.r = Clamp255(r);
  state.g = Clamp255(g);
  state.b = Clamp255(b);
}

// The current alpha, clamped to 0..1 and kept as 0..255.
void SetAlpha(float alpha) {
  if (!(alpha >= 0)) alpha = 0;  // also catches NaN
  if (alpha > 1) alpha = 1;
  state.alpha8 = (int)(alpha * 255.0f + 0.5f);
  state.alpha = state.alpha8 / 255.0f;
}

// The current blend mode (numbers other than 1..5 draw solid).
void SetBlend(int mode) { state.blend = mode; }

// Rotation and scale together make the current transform. The cosine and
// sine of the rotation are kept, and worked out again only for another angle
// (compared bit for bit, so -0 and NaN are other angles too): the draw list
// sets rotation and scale for every sprite, mostly to what they were.
static double rotcos = 1, rotsin = 0;
static uint32_t rotbits = 0;  // the angle they belong to (0 degrees)
static void UpdateTransform() {
  uint32_t bits = std::bit_cast<uint32_t>(state.rot);
  if (bits != rotbits) {
    double r = state.rot * M_PI / 180.0;
    rotcos = std::cos(r);
    rotsin = std::sin(r);
    rotbits = bits;
  }
  state.ix = (float)(rotcos * state.sx);
  state.iy = (float)(-rotsin * state.sy);
  state.jx = (float)(rotsin * state.sx);
  state.jy = (float)(rotcos * state.sy);
}

// The current rotation, clockwise on screen.
void SetRotation(float degrees) {
  state.rot = degrees;
  UpdateTransform();
}

// The current horizontal and vertical scale.
void SetScale(float sx, float sy) {
  state.sx = sx;
  state.sy = sy;
  UpdateTransform();
}

// The width of lines, and the state as the back ends see it.
void SetLineWidth(float width) { state.linewidth = width; }
const RenderState& CurrentRenderState() { return state; }

// Draws a segment with the current colour, alpha, blend and width.
void DrawLine(float x1, float y1, float x2, float y2, int lastpixel) {
  (void)lastpixel;
  if (!displayopen) return;
  backend->drawline(x1, y1, x2, y2, state);
}

// Draws what is pending, then sends later draws the chosen way (real back end only).
void SetRenderBatching(RenderBatching mode) {
  if (backend && backend->setbatching) backend->setbatching(mode);
}

// The last presented frame's counts, and its pixels (real back end only).
RenderStats LastFrameRenderStats() { return backend && backend->stats ? backend->stats() : RenderStats{}; }

bool ReadScreenPixels(std::vector<uint8_t>& rgba, int& width, int& height) {
  return displayopen && backend->readpixels && backend->readpixels(rgba, width, height);
}

