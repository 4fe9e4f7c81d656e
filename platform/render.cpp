// The rendering layer's shared half: current drawing state, image loading
// (PNG through the platform's codecs) and the hand-off to the chosen back end.
#include "platform/render.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "platform/codecs.h"
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
#ifdef __EMSCRIPTEN__
  // In the browser a full-screen mode asks the page for full screen, a window leaves it.
  EM_ASM({ if (Module["gameFullscreen"]) Module["gameFullscreen"]($0); }, depth != 0);
#endif
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
  if (!DecodePNGFile(path, rgba, w, h, hasalpha, why)) return nullptr;
  return MakeImage(rgba, w, h, hasalpha, w, h, 0, 1, flags, path, why);
}

// Loads a PNG cut into cells; null when it holds fewer than first + count cells.
TImage* LoadImageCells(const std::string& path, int cellw, int cellh, int first, int count, int flags,
                       std::string* why) {
  std::vector<uint8_t> rgba;
  int w, h;
  bool hasalpha;
  if (!DecodePNGFile(path, rgba, w, h, hasalpha, why)) return nullptr;
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
  uint32_t bits;
  std::memcpy(&bits, &state.rot, sizeof bits);  // bit for bit (the browser's library has no bit_cast)
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

// How additive runs are drawn, and Auto's measured threshold (GL back end).
static RenderScale renderscale = RenderScale::Auto;
static long halfthreshold = 0;
void SetRenderScale(RenderScale scale) { renderscale = scale; }
RenderScale CurrentRenderScale() { return renderscale; }
long HalfResolutionThreshold() { return halfthreshold; }
void SetHalfResolutionThreshold(long pixels) { halfthreshold = pixels; }
static GlowBudget glowbudget = GlowBudget::Play;
void SetGlowBudget(GlowBudget budget) { glowbudget = budget; }
GlowBudget CurrentGlowBudget() { return glowbudget; }

// The last presented frame's counts, and its pixels (real back end only).
RenderStats LastFrameRenderStats() { return backend && backend->stats ? backend->stats() : RenderStats{}; }

bool ReadScreenPixels(std::vector<uint8_t>& rgba, int& width, int& height) {
  return displayopen && backend->readpixels && backend->readpixels(rgba, width, height);
}

// Writes a picture as a PNG file (screenshots), through a temporary file
// renamed over the target like every save.
bool SavePNG(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height,
             std::string* why) {
  if (width <= 0 || height <= 0 || rgba.size() < (size_t)width * height * 4) {
    if (why) *why = "no picture to save";
    return false;
  }
  std::vector<uint8_t> bytes;
  if (!EncodePNG(rgba, width, height, bytes, why)) return false;
  auto write = [](TStream* s, void* ctx) {
    for (uint8_t b : *static_cast<std::vector<uint8_t>*>(ctx)) WriteByte(s, b);
  };
  return SaveFileAtomically(path, write, &bytes, why);
}
