// The real renderer: an SDL2 window with an OpenGL 2.1 (compatibility)
// context, fixed-function pipeline. Quads and lines are gathered into client
// vertex arrays and sent in batches: consecutive draws that share texture,
// blend mode (and, for lines, width) go out in one glDrawArrays call. The
// 800x600 picture is scaled to the window with its aspect kept.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/render.h"
#include "platform/sdl_display.h"

namespace {

struct Vertex {
  float x, y, u, v;
  uint8_t c[4];
};

enum class BatchKind { None, Quads, Lines };

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
std::string title = "Pulsefield";
bool vsyncwanted = false;
int refreshhz = 60;
int swapinterval = -1;        // what we last asked of SDL (-1 unknown)
uint32_t lastpacedflip = 0;   // for Flip(-1) without a working swap interval

// The batch being gathered and the state it will be drawn with.
std::vector<Vertex> vertices;
BatchKind batchkind = BatchKind::None;
GLuint batchtexture = 0;
int batchblend = BLEND_SOLID;
float batchwidth = 1;

// GL state as last applied, so that repeating a state costs nothing.
int glblend = -1;
float glwidth = -1;
int gltexturing = -1;

Letterbox viewport;           // in drawable pixels
RenderStats current, last;

// Any mode outside 1..5 behaves as solid.
int EffectiveBlend(int mode) { return mode >= BLEND_MASK && mode <= BLEND_SHADE ? mode : BLEND_SOLID; }

// Puts one of the five blend modes into the GL state (only when it changes).
void ApplyBlend(int mode) {
  if (mode == glblend) return;
  glblend = mode;
  switch (mode) {
    case BLEND_MASK:
      glDisable(GL_BLEND);
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(GL_GEQUAL, 0.5f);
      break;
    case BLEND_ALPHA:
      glEnable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case BLEND_LIGHT:
      glEnable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
    case BLEND_SHADE:
      glEnable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      break;
    default:
      glDisable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      break;
  }
}

void ApplyTexturing(bool on) {
  if ((int)on == gltexturing) return;
  gltexturing = on;
  if (on) {
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  } else {
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
}

// Sends the gathered batch in one draw call and starts an empty one.
void Flush() {
  if (batchkind == BatchKind::None || vertices.empty()) {
    batchkind = BatchKind::None;
    vertices.clear();
    return;
  }
  ApplyBlend(batchblend);
  const Vertex* v = vertices.data();
  glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &v->x);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), v->c);
  if (batchkind == BatchKind::Quads) {
    ApplyTexturing(true);
    glBindTexture(GL_TEXTURE_2D, batchtexture);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v->u);
    glDrawArrays(GL_QUADS, 0, (GLsizei)vertices.size());
  } else {
    ApplyTexturing(false);
    if (batchwidth != glwidth) {
      glwidth = batchwidth;
      glLineWidth(batchwidth);
    }
    glDrawArrays(GL_LINES, 0, (GLsizei)vertices.size());
  }
  current.flushes++;
  vertices.clear();
  batchkind = BatchKind::None;
}

int NextPowerOfTwo(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

// Halves an RGBA picture (each side down to no less than 1), averaging blocks.
std::vector<uint8_t> Halve(const std::vector<uint8_t>& src, int w, int h, int& nw, int& nh) {
  nw = std::max(1, w / 2);
  nh = std::max(1, h / 2);
  std::vector<uint8_t> dst((size_t)nw * nh * 4);
  int stepx = w > 1 ? 2 : 1, stepy = h > 1 ? 2 : 1;
  for (int y = 0; y < nh; y++)
    for (int x = 0; x < nw; x++)
      for (int c = 0; c < 4; c++) {
        int sum = 0;
        for (int dy = 0; dy < stepy; dy++)
          for (int dx = 0; dx < stepx; dx++)
            sum += src[((size_t)(y * stepy + dy) * w + (x * stepx + dx)) * 4 + c];
        int n = stepx * stepy;
        dst[((size_t)y * nw + x) * 4 + c] = (uint8_t)((sum + n / 2) / n);
      }
  return dst;
}

// Builds the texture of one frame from its kept pixels: power-of-two sides,
// the last column and row repeated into the spare texels, clamped edges,
// sampling and mipmaps as the image's flags ask.
void BuildTexture(TImage* img, int frame) {
  int w = img->width, h = img->height;
  int pw = NextPowerOfTwo(w), ph = NextPowerOfTwo(h);
  const std::vector<uint8_t>& px = img->pixmaps[frame];
  std::vector<uint8_t> tex((size_t)pw * ph * 4);
  for (int y = 0; y < ph; y++) {
    const uint8_t* srow = &px[(size_t)std::min(y, h - 1) * w * 4];
    uint8_t* drow = &tex[(size_t)y * pw * 4];
    std::memcpy(drow, srow, (size_t)w * 4);
    for (int x = w; x < pw; x++) std::memcpy(drow + x * 4, srow + (w - 1) * 4, 4);
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  bool filtered = img->flags & IMG_FILTERED, mipmapped = img->flags & IMG_MIPMAPPED;
  GLint minf = filtered ? (mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR)
                        : (mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minf);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, pw, ph, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex.data());
  int level = 0;
  if (mipmapped) {
    int lw = pw, lh = ph;
    while (lw > 1 || lh > 1) {
      int nw, nh;
      tex = Halve(tex, lw, lh, nw, nh);
      lw = nw;
      lh = nh;
      glTexImage2D(GL_TEXTURE_2D, ++level, GL_RGBA8, lw, lh, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex.data());
    }
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, level);
  img->frames[frame] = name;
  img->seqs[frame] = DisplayGeneration();
  img->texu[frame] = (float)w / pw;
  img->texv[frame] = (float)h / ph;
}

// Full screen is the window manager's to grant. On a bare X server nobody
// resizes the window, yet SDL takes it for the whole screen and the picture
// would be fitted to a screen the window does not cover: zoomed and cut
// off. The context's first viewport is the window's real size; when it is
// not what SDL believes, the game stays whole in a plain window instead.
void KeepWholeWithoutWindowManager() {
  GLint real[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, real);
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(window, &dw, &dh);
  if (real[2] == dw && real[3] == dh) return;
  SDL_SetWindowFullscreen(window, 0);
  SDL_SetWindowSize(window, PICTURE_W, PICTURE_H);
}

// Fits the picture into the drawable and sets the projection over it.
void UpdateViewport() {
  int dw = PICTURE_W, dh = PICTURE_H;
  SDL_GL_GetDrawableSize(window, &dw, &dh);
  viewport = ComputeLetterbox(dw, dh);
  glViewport(viewport.x, dh - viewport.y - viewport.h, viewport.w, viewport.h);
}

// Puts the fixed-function state a fresh context needs.
void InitialiseContext() {
  glblend = -1;
  glwidth = -1;
  gltexturing = -1;
  batchkind = BatchKind::None;
  vertices.clear();
  vertices.reserve(4096);
  swapinterval = -1;
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_DITHER);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, PICTURE_W, PICTURE_H, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glClearColor(0, 0, 0, 1);
  ApplyBlend(BLEND_SOLID);
  ApplyTexturing(false);
  UpdateViewport();
}

void SetSwapInterval(int interval) {
  if (interval == swapinterval) return;
  swapinterval = interval;
  SDL_GL_SetSwapInterval(interval);
}

// Starts SDL's video on a real display: the X server, Wayland or the console.
// SDL would otherwise fall back to drawing off screen, and the player would
// see nothing; SDL_VIDEODRIVER set by hand is still obeyed.
bool StartVideo(std::string* why) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  const char* forced = SDL_getenv("SDL_VIDEODRIVER");
  if (forced && *forced) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    if (why) *why = std::string("no display could be opened (") + forced + ": " + SDL_GetError() + ")";
    return false;
  }
  std::string errors;
  const char* xdisplay = SDL_getenv("DISPLAY");
  bool wayland = SDL_getenv("WAYLAND_DISPLAY") || SDL_getenv("XDG_RUNTIME_DIR");
  for (const char* driver : {"x11", "wayland", "KMSDRM"}) {
    if (!std::strcmp(driver, "wayland") && !wayland) continue;  // no compositor to ask
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    errors += std::string(errors.empty() ? "" : "; ") + driver + ": " + SDL_GetError();
    if (!std::strcmp(driver, "x11"))
      errors += xdisplay ? std::string(" at DISPLAY=") + xdisplay : std::string(", DISPLAY not set");
  }
  if (why) *why = "no display could be opened (" + errors + ")";
  return false;
}

// Opens the window and its GL context; depth 16/24/32 fills the desktop.
bool GLOpen(int width, int height, int depth, int hertz, int flags, std::string* why) {
  (void)flags;
  auto fail = [&](const char* what) {
    if (why) *why = std::string(what) + ": " + SDL_GetError();
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    context = nullptr;
    window = nullptr;
    return false;
  };
  if (!StartVideo(why)) return false;
  SDL_DisableScreenSaver();
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  Uint32 wflags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  bool fullscreen = depth == 16 || depth == 24 || depth == 32;
  if (fullscreen) wflags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                            width > 0 ? width : PICTURE_W, height > 0 ? height : PICTURE_H, wflags);
  if (!window) return fail("cannot open the window");
  ApplyWindowIcon(window);
  context = SDL_GL_CreateContext(window);
  if (!context) return fail("cannot create the OpenGL context");
  if (SDL_GL_MakeCurrent(window, context) != 0) return fail("cannot use the OpenGL context");
  if (fullscreen) KeepWholeWithoutWindowManager();
  refreshhz = hertz > 0 ? hertz : 60;
  current = last = RenderStats{};
  InitialiseContext();
  SetSwapInterval(vsyncwanted ? 1 : 0);
  if (fullscreen) {
    int ww, wh;
    SDL_GetWindowSize(window, &ww, &wh);
    SDL_WarpMouseInWindow(window, ww / 2, wh / 2);
  }
  glClear(GL_COLOR_BUFFER_BIT);
  return true;
}

// Destroys the context and the window; texture names die with the context.
void GLClose() {
  vertices.clear();
  batchkind = BatchKind::None;
  SDL_CaptureMouse(SDL_FALSE);
  if (context) SDL_GL_DeleteContext(context);
  if (window) SDL_DestroyWindow(window);
  context = nullptr;
  window = nullptr;
}

// Clears the whole window black, bars included, and fits the picture again;
// called at the start of every frame.
void GLCls() {
  Flush();
  int dw, dh;
  SDL_GL_GetDrawableSize(window, &dw, &dh);
  glViewport(0, 0, dw, dh);
  glClear(GL_COLOR_BUFFER_BIT);
  UpdateViewport();
  current = RenderStats{};  // a frame's counts start at its Cls
}

// Presents: sync 0 at once (unless --vsync), -1 paced to the refresh rate.
void GLFlip(int sync) {
  Flush();
  bool paced = sync != 0;
  SetSwapInterval(paced || vsyncwanted ? 1 : 0);
  SDL_GL_SwapWindow(window);
  if (paced) {
    // The swap interval may be refused or ignored: sleep to the next frame.
    uint32_t period = 1000u / (uint32_t)refreshhz;
    uint32_t now = SDL_GetTicks();
    uint32_t since = now - lastpacedflip;
    if (since < period) SDL_Delay(period - since);
    lastpacedflip = SDL_GetTicks();
  }
  last = current;
  current = RenderStats{};
}

void GLSetMouseVisible(int visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

// Adds one textured quad to the batch, starting a new batch when the
// texture or the blend mode differs from the batch being gathered.
void GLDrawImage(TImage* img, float x, float y, int frame, const RenderState& st) {
  if (img->seqs[frame] != DisplayGeneration() || img->frames[frame] == 0) BuildTexture(img, frame);
  GLuint tex = img->frames[frame];
  int blend = EffectiveBlend(st.blend);
  if (batchkind != BatchKind::Quads || tex != batchtexture || blend != batchblend) {
    Flush();
    batchkind = BatchKind::Quads;
    batchtexture = tex;
    batchblend = blend;
  }
  float u = img->texu[frame], v = img->texv[frame];
  float left = -img->handle_x, top = -img->handle_y;
  float right = img->width - img->handle_x, bottom = img->height - img->handle_y;
  const float cx[4] = {left, right, right, left}, cy[4] = {top, top, bottom, bottom};
  const float cu[4] = {0, u, u, 0}, cv[4] = {0, 0, v, v};
  uint8_t r = (uint8_t)st.r, g = (uint8_t)st.g, b = (uint8_t)st.b, a = (uint8_t)st.alpha8;
  for (int i = 0; i < 4; i++) {
    Vertex vx;
    vx.x = cx[i] * st.ix + cy[i] * st.iy + x;
    vx.y = cx[i] * st.jx + cy[i] * st.jy + y;
    vx.u = cu[i];
    vx.v = cv[i];
    vx.c[0] = r;
    vx.c[1] = g;
    vx.c[2] = b;
    vx.c[3] = a;
    vertices.push_back(vx);
  }
  current.quads++;
}

// Adds one untextured segment; both ends transformed about (x1, y1) and
// moved half a pixel onto pixel centres.
void GLDrawLine(float x1, float y1, float x2, float y2, const RenderState& st) {
  int blend = EffectiveBlend(st.blend);
  float width = st.linewidth > 0 ? st.linewidth : 1;
  if (batchkind != BatchKind::Lines || blend != batchblend || width != batchwidth) {
    Flush();
    batchkind = BatchKind::Lines;
    batchblend = blend;
    batchwidth = width;
  }
  float dx = x2 - x1, dy = y2 - y1;
  Vertex a, b;
  a.x = x1 + 0.5f;
  a.y = y1 + 0.5f;
  b.x = dx * st.ix + dy * st.iy + x1 + 0.5f;
  b.y = dx * st.jx + dy * st.jy + y1 + 0.5f;
  a.u = a.v = b.u = b.v = 0;
  a.c[0] = b.c[0] = (uint8_t)st.r;
  a.c[1] = b.c[1] = (uint8_t)st.g;
  a.c[2] = b.c[2] = (uint8_t)st.b;
  a.c[3] = b.c[3] = (uint8_t)st.alpha8;
  vertices.push_back(a);
  vertices.push_back(b);
  current.lines++;
}

RenderStats GLStats() { return last; }

// Reads back the picture drawn so far (before Flip), 800x600, top row first;
// a scaled picture is sampled back down to its logical size.
bool GLReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) {
  Flush();
  int dw, dh;
  SDL_GL_GetDrawableSize(window, &dw, &dh);
  std::vector<uint8_t> raw((size_t)viewport.w * viewport.h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(viewport.x, dh - viewport.y - viewport.h, viewport.w, viewport.h, GL_RGBA,
               GL_UNSIGNED_BYTE, raw.data());
  width = PICTURE_W;
  height = PICTURE_H;
  rgba.resize((size_t)width * height * 4);
  for (int y = 0; y < height; y++) {
    int sy = viewport.h - 1 - y * viewport.h / height;  // GL rows run bottom up
    for (int x = 0; x < width; x++) {
      int sx = x * viewport.w / width;
      std::memcpy(&rgba[((size_t)y * width + x) * 4], &raw[((size_t)sy * viewport.w + sx) * 4], 4);
    }
  }
  return true;
}

const RenderBackend glbackend = {"opengl",        GLOpen,      GLClose,    GLCls,
                                 GLFlip,          GLSetMouseVisible,       GLDrawImage,
                                 GLDrawLine,      GLStats,     GLReadPixels};

}  // namespace

const RenderBackend* GLRenderBackend() { return &glbackend; }

// Fits a picture of 800x600 into an area, centred, aspect kept.
Letterbox ComputeLetterbox(int aw, int ah) {
  Letterbox lb;
  if (aw <= 0 || ah <= 0) return lb;
  double scale = std::min((double)aw / PICTURE_W, (double)ah / PICTURE_H);
  lb.w = std::max(1, (int)std::lround(PICTURE_W * scale));
  lb.h = std::max(1, (int)std::lround(PICTURE_H * scale));
  lb.x = (aw - lb.w) / 2;
  lb.y = (ah - lb.h) / 2;
  return lb;
}

SDL_Window* SDLGameWindow() { return window; }

// Maps window points to picture pixels through the same letterbox.
void SDLWindowToPicture(int wx, int wy, int* px, int* py) {
  int ww = PICTURE_W, wh = PICTURE_H;
  if (window) SDL_GetWindowSize(window, &ww, &wh);
  Letterbox lb = ComputeLetterbox(ww, wh);
  *px = (int)std::floor((wx - lb.x) * (double)PICTURE_W / lb.w);
  *py = (int)std::floor((wy - lb.y) * (double)PICTURE_H / lb.h);
}

// Sets the window's title now and for later openings.
void SetWindowTitle(const std::string& t) {
  title = t;
  if (window) SDL_SetWindowTitle(window, title.c_str());
}

// --vsync: Flip(0) waits for the retrace too.
void SetVSync(bool on) {
  vsyncwanted = on;
  if (context) SetSwapInterval(on ? 1 : 0);
}
