// 2D rendering layer: textured quads and lines in an 800x600 space, with a
// small current drawing state (colour, alpha, blend, rotation, scale, width).
// Back ends sit behind these calls: SDL2 + OpenGL (fixed-function, or
// shaders on OpenGL ES 2.0) and headless.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Image flags (bits).
constexpr int IMG_MASKED = 1;
constexpr int IMG_FILTERED = 2;
constexpr int IMG_MIPMAPPED = 4;

// Blend modes, stored in draw commands.
constexpr int BLEND_MASK = 1;
constexpr int BLEND_SOLID = 2;
constexpr int BLEND_ALPHA = 3;
constexpr int BLEND_LIGHT = 4;
constexpr int BLEND_SHADE = 5;

// A picture loaded from a PNG file, possibly cut into equal cells. Pixels of
// every frame are kept (RGBA, 8 bits a channel, rows top to bottom) so that
// the renderer can rebuild its textures after the display is reopened.
struct TImage {
  int width = 0, height = 0;           // size of one frame
  int flags = 0;
  int mask_r = 0, mask_g = 0, mask_b = 0;
  float handle_x = 0, handle_y = 0;
  bool hasalpha = false;               // the picture had its own alpha channel
  std::vector<std::vector<uint8_t>> pixmaps;  // one RGBA buffer per frame
  std::vector<unsigned> frames;        // renderer copy of each frame (texture name)
  std::vector<int> seqs;               // display generation of each copy
  std::vector<float> texu, texv;       // per frame: texture coordinate of the far edge
  std::string path;
  int FrameCount() const { return (int)pixmaps.size(); }
};

// The current drawing state, as the back ends receive it.
struct RenderState {
  int r = 255, g = 255, b = 255;       // clamped 0..255
  int alpha8 = 255;                    // alpha clamped and stored 0..255
  float alpha = 1;                     // clamped 0..1
  int blend = BLEND_SOLID;
  float rot = 0, sx = 1, sy = 1;
  float ix = 1, iy = 0, jx = 0, jy = 1;  // transform from rotation and scale
  float linewidth = 1;
};

// Display.
enum class RenderDriver { OpenGL, DirectX7 };
void SelectGraphicsDriver(RenderDriver driver, int defaultflags);
// Opens the display; returns false (with a reason in *why) when it cannot.
bool OpenGraphics(int width, int height, int depth, int hertz, int flags, std::string* why = nullptr);
void CloseGraphics();
bool GraphicsOpen();
int DisplayGeneration();
void Cls();
void Flip(int sync);
void SetMouseVisible(int visible);
// The window's title, applied now and to every later opening.
void SetWindowTitle(const std::string& title);
// The window's icon from a PNG picture, applied now and to every later
// opening; a missing picture leaves the window system's own.
void SetWindowIcon(const std::string& path);
// --vsync: when on, Flip(0) waits for the retrace as well.
void SetVSync(bool on);

// Images.
void SetCentreHandles(int on);
void SetMaskColor(int r, int g, int b);
void SetDefaultImageFlags(int flags);
// Loading a PNG gives null when the file cannot be read or decoded, or is
// larger than 4096x4096; *why then says what was wrong.
TImage* LoadImage(const std::string& path, int flags, std::string* why = nullptr);
TImage* LoadImageCells(const std::string& path, int cellw, int cellh, int first, int count, int flags,
                       std::string* why = nullptr);
// Loads PNG bytes already in memory just as a file (cellw 0: one frame).
TImage* LoadImageCellsFromMemory(const uint8_t* data, size_t size, int cellw, int cellh, int first,
                                 int count, int flags, std::string* why = nullptr);
// Builds an image from RGBA pixels already in memory (tests and tools).
TImage* CreateImageFromPixels(int width, int height, const uint8_t* rgba, bool hasalpha, int flags);
void DrawImage(TImage* img, float x, float y, int frame);

// State.
void SetColor(int r, int g, int b);
void SetAlpha(float alpha);
void SetBlend(int mode);
void SetRotation(float degrees);
void SetScale(float sx, float sy);
void SetLineWidth(float width);
const RenderState& CurrentRenderState();

// Lines.
void DrawLine(float x1, float y1, float x2, float y2, int lastpixel);

// Batching statistics of the back end, for benchmarks: how many GL draw calls
// (flushes) the last presented frame took, and of its quads and lines how
// many lay wholly off the picture (not sent) and how many crossed its edge;
// and the area in picture pixels of its additive quads, as given (before
// any of it is cut off at the picture's edge).
struct RenderStats {
  long quads = 0, lines = 0, flushes = 0;
  long offscreen = 0, edge = 0;
  long additivearea = 0;
  long halvedarea = 0;  // of that, in additive runs drawn at half resolution
  long nearest = 0;     // quads drawn one to one, sampling their nearest texel
};
RenderStats LastFrameRenderStats();

// How the GL back end sends its draws. Regrouped, the normal way: a run of
// additive draws is gathered per texture and per line width, primitives that
// cross the picture's edge go in calls of their own and those wholly off it
// are not sent. InOrder: every draw in the order given, batched only while
// texture, blend mode and width stay the same, quads as GL quads; the slow
// reference that Regrouped matches pixel for pixel, but for the odd pixel one
// level apart where a quad is cut the other way than the driver cut it.
// Regrouped also draws a magnified additive picture with large transparent
// areas in pieces that leave them out, which puts the odd filtered texel one
// level apart too; RegroupedWhole is Regrouped with every quad drawn whole.
// The change takes effect after whatever is pending has been drawn.
enum class RenderBatching { Regrouped, RegroupedWhole, InOrder };
void SetRenderBatching(RenderBatching mode);

// How the GL back end draws a run of additive pictures. Auto: at full
// resolution unless the run's pictures cover more pixels than the machine
// fills in its share of a frame (measured when the display opens; on a
// GPU never); then its large pictures (the rings, the blasts) go into a
// buffer of half the resolution that is added onto the picture in one
// pass, and the small ones stay sharp. The choice rests on the run's own
// draws alone, so the same frame always looks the same. Full never halves;
// Half halves the large pictures of every run.
enum class RenderScale { Auto, Full, Half };
void SetRenderScale(RenderScale scale);
RenderScale CurrentRenderScale();
// Auto's threshold: the additive pixels (at the drawn size) above which a
// run is halved; 0 until the display has measured it (once a process).
long HalfResolutionThreshold();
void SetHalfResolutionThreshold(long pixels);
// What the frame is for: play, or an idle screen (the title, the menus, the
// intros) whose glow Auto holds to a smaller share of the frame.
enum class GlowBudget { Play, Idle };
void SetGlowBudget(GlowBudget budget);
GlowBudget CurrentGlowBudget();

// Reads back the presented picture (RGBA rows top to bottom, 800x600 logical);
// only the real back end fills it. Used by tests and screenshots.
bool ReadScreenPixels(std::vector<uint8_t>& rgba, int& width, int& height);
// Writes RGBA pixels (rows top to bottom) as a PNG file, atomically; false
// with a reason when it could not.
bool SavePNG(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height,
             std::string* why);

// A renderer back end: a record of function pointers.
struct RenderBackend {
  const char* name;
  bool (*open)(int width, int height, int depth, int hertz, int flags, std::string* why);
  void (*close)();
  void (*cls)();
  void (*flip)(int sync);
  void (*setmousevisible)(int visible);
  void (*drawimage)(TImage* img, float x, float y, int frame, const RenderState& st);
  void (*drawline)(float x1, float y1, float x2, float y2, const RenderState& st);
  RenderStats (*stats)();
  bool (*readpixels)(std::vector<uint8_t>& rgba, int& width, int& height);
  void (*setbatching)(RenderBatching mode);
};
void SetRenderBackend(const RenderBackend* backend);
const RenderBackend* CurrentRenderBackend();
const RenderBackend* HeadlessRenderBackend();
const RenderBackend* GLRenderBackend();
// The shader renderer (OpenGL ES 2.0 / WebGL): the same pictures without the fixed-function pipeline.
const RenderBackend* GLESRenderBackend();

// What the headless back end recorded since the last Cls.
struct RecordedDraw {
  bool line = false;
  TImage* img = nullptr;
  int frame = 0;
  float x = 0, y = 0, x2 = 0, y2 = 0;
  int r = 0, g = 0, b = 0;
  float alpha = 0;
  int blend = 0;
  float rot = 0, sx = 1, sy = 1, linewidth = 1;
};
const std::vector<RecordedDraw>& HeadlessDraws();
int HeadlessFlipCount();
