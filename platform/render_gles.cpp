// The shader renderer: OpenGL ES 2.0, which is what a browser's WebGL offers,
// and which the desktop runs too (--renderer gles). It paints what the
// fixed-function renderer paints: each quad's texture times the drawing
// colour and alpha, rounded to whole levels as the fixed-function pipeline
// rounds it; the five blend modes (mask's alpha test a discard below one
// half); the same 800x600 projection letterboxed in the drawable; the same
// textures. Quads go out as indexed triangles, in order in batches that last
// while the texture and blend mode stay the same, but for runs of additive
// draws, which are gathered per texture (see render_batch.h). An additive picture
// drawn magnified samples only the top level of its mipmaps, so it draws
// from a copy of its frame without mipmaps (cheaper to filter, the same
// texels) and, when wholly on the picture and mostly transparent, as the
// pieces of its frame that hold a texel any sample could reach (a
// transparent texel adds nothing): the software rasterizer's time goes on
// filling pixels, and the explosions' rings, magnified many times, are
// most of them. A line is a quad of its
// width over a white texel (WebGL draws no line wider than one pixel), cut
// as the desktop's lines are: along the way it runs more, the pixels whose
// diamonds it leaves; across, its width rounded to whole pixels, centred on
// it. A pixel centre exactly on the edge of a sloping line's band may fall
// to the other side than on the desktop, which places its lines by its own
// rounding.
#ifdef __EMSCRIPTEN__
#include <emscripten/html5.h>
#endif
#include <GLES2/gl2.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <unordered_map>

#include "platform/gl_common.h"
#include "platform/render.h"
#include "platform/render_batch.h"
#include "platform/sdl_display.h"

namespace {

using Vertex = BatchVertex;

// The longest call: its corners numbered in 16 bits.
constexpr size_t kChunkQuads = 16384;
constexpr int kCornersPerQuad = 4, kIndicesPerQuad = 6;
// The longest compiler or linker message kept for the reason of a failure.
constexpr int kLogLength = 1024;
// What mask mode's alpha test keeps: a drawn alpha of at least one half.
constexpr const char* kAlphaTestDefine = "#define ALPHA_TEST\n";

const char* const kVertexShader = R"(
attribute vec2 a_position;
attribute vec2 a_texcoord;
attribute vec4 a_colour;
uniform vec4 u_projection;  // scale across and down, then offset
varying vec2 v_texcoord;
varying vec4 v_colour;
void main() {
  v_texcoord = a_texcoord;
  v_colour = a_colour;
  gl_Position = vec4(a_position * u_projection.xy + u_projection.zw, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D u_texture;
varying vec2 v_texcoord;
varying vec4 v_colour;
// The texel times the colour as the fixed-function pipeline has it: both in
// whole levels of 255, their product rounded to the nearest level.
void main() {
  vec4 t = floor(texture2D(u_texture, v_texcoord) * 255.0 + 0.5);
  vec4 k = floor(v_colour * 255.0 + 0.5);
  vec4 c = floor(t * k / 255.0 + 0.5) / 255.0;
#ifdef ALPHA_TEST
  if (c.a < 0.5) discard;
#endif
  gl_FragColor = c;
}
)";

// The two programs: plain, and with mask mode's alpha test.
struct Program {
  GLuint name = 0;
  GLint projection = -1, texture = -1;
};
Program plain, alphatest;
constexpr GLuint kPositionAttrib = 0, kTexcoordAttrib = 1, kColourAttrib = 2;

#ifdef __EMSCRIPTEN__
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;
constexpr const char* kCanvas = "#canvas";
#endif
bool contextready = false;

GLuint vertexbuffer = 0, indexbuffer = 0;
GLuint whitetexture = 0;  // lines are drawn with its one texel

// The batch being gathered and what it is drawn with.
std::vector<Vertex> batch;
GLuint batchtexture = 0;
int batchblend = BLEND_SOLID;

// The additive run (see render_batch.h): its quads (lines too) gathered per
// texture and drawn when the run ends, at a draw in another mode, a clear, a
// flip or a readback.
AdditiveRun<> run;

// What magnified additive pictures are drawn from, by the frame's own
// texture (made on a frame's first such draw), and the pieces of the one
// being queued.
FlatFrames flatframes;
std::vector<Vertex> piecevertices;

// GL state as last applied.
int glblend = -1;
GLuint glprogram = 0;

Letterbox viewport;  // in drawable pixels
RenderStats current, last;


// Puts one of the five blend modes into the GL state and picks the program
// (only when it changes).
void ApplyBlend(int mode) {
  if (mode == glblend) return;
  glblend = mode;
  switch (mode) {
    case BLEND_ALPHA:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case BLEND_LIGHT:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
    case BLEND_SHADE:
      glEnable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      break;
    default:  // mask and solid
      glDisable(GL_BLEND);
      break;
  }
  const Program& p = mode == BLEND_MASK ? alphatest : plain;
  if (p.name != glprogram) {
    glprogram = p.name;
    glUseProgram(p.name);
  }
}

// Draws quads with one texture and blend mode, in calls of at most kChunkQuads quads.
void Send(GLuint texture, int blend, const std::vector<Vertex>& quads) {
  if (quads.empty()) return;
  ApplyBlend(blend);
  glBindTexture(GL_TEXTURE_2D, texture);
  for (size_t first = 0; first < quads.size(); first += kChunkQuads * kCornersPerQuad) {
    size_t n = std::min(kChunkQuads * kCornersPerQuad, quads.size() - first);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(n * sizeof(Vertex)), quads.data() + first, GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, (GLsizei)(n / kCornersPerQuad * kIndicesPerQuad), GL_UNSIGNED_SHORT, nullptr);
    current.flushes++;
  }
}

// Sends the in-order batch and starts an empty one.
void FlushBatch() {
  Send(batchtexture, batchblend, batch);
  batch.clear();
}

// Ends the additive run: each group drawn once, its quads on the picture in
// one call and those across its edge in another.
void FlushGroups() {
  for (size_t i = 0; i < run.count; i++) {
    RunGroup& g = run[i];
    Send(g.key.texture, BLEND_LIGHT, g.inside.vertices);
    Send(g.key.texture, BLEND_LIGHT, g.edge.vertices);
  }
  run.Discard();
}

// Draws everything pending.
void Flush() {
  FlushBatch();
  FlushGroups();
}

// The additive run's group for a texture; an in-order batch still pending
// is drawn first, as the run starts here.
RunGroup& AdditiveGroup(GLuint texture) {
  if (!batch.empty()) FlushBatch();
  return run[run.Find(GroupKey{BatchKind::Quads, texture})];
}

// Queues a quad (corners clockwise from the top left). Quads wholly off the
// picture are not sent; additive ones join their texture's group of the
// additive run, apart when they cross the picture's edge; the others go in
// order, in a batch that breaks when the texture or blend mode differ.
void QueueQuad(GLuint texture, int blend, const Vertex* v, float margin) {
  Reach reach = Locate(v, kCornersPerQuad, margin);
  if (reach.off) {
    current.offscreen++;
    return;
  }
  if (blend == BLEND_LIGHT) {
    current.edge += reach.edge;
    AdditiveGroup(texture).Side(reach.edge).Add(v, kCornersPerQuad);
    return;
  }
  if (run.count) FlushGroups();
  if (texture != batchtexture || blend != batchblend) {
    FlushBatch();
    batchtexture = texture;
    batchblend = blend;
  }
  batch.insert(batch.end(), v, v + kCornersPerQuad);
}

// Compiles one shader; false with the compiler's words in *why.
GLuint Compile(GLenum kind, const std::string& source, std::string* why) {
  GLuint s = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(s, 1, &text, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (ok) return s;
  char log[kLogLength] = "";
  glGetShaderInfoLog(s, sizeof log, nullptr, log);
  if (why) *why = std::string("a shader did not compile: ") + log;
  glDeleteShader(s);
  return 0;
}

// Builds a program from the two shaders, the fragment one with the defines given.
bool Link(Program& p, const char* defines, std::string* why) {
  std::string head = std::string("#version 100\n") + defines;
  GLuint vs = Compile(GL_VERTEX_SHADER, head + kVertexShader, why);
  if (!vs) return false;
  GLuint fs = Compile(GL_FRAGMENT_SHADER, head + kFragmentShader, why);
  if (!fs) {
    glDeleteShader(vs);
    return false;
  }
  p.name = glCreateProgram();
  glAttachShader(p.name, vs);
  glAttachShader(p.name, fs);
  glBindAttribLocation(p.name, kPositionAttrib, "a_position");
  glBindAttribLocation(p.name, kTexcoordAttrib, "a_texcoord");
  glBindAttribLocation(p.name, kColourAttrib, "a_colour");
  glLinkProgram(p.name);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[kLogLength] = "";
    glGetProgramInfoLog(p.name, sizeof log, nullptr, log);
    if (why) *why = std::string("the shaders did not link: ") + log;
    return false;
  }
  p.projection = glGetUniformLocation(p.name, "u_projection");
  p.texture = glGetUniformLocation(p.name, "u_texture");
  // The picture's 800x600 units onto clip space, y down, as an orthographic
  // projection from (0, 0) at the top left holds it in single precision.
  glUseProgram(p.name);
  glUniform4f(p.projection, (float)(2.0 / PICTURE_W), (float)(-2.0 / PICTURE_H), -1.0f, 1.0f);
  glUniform1i(p.texture, 0);
  return true;
}

// Uploads one frame from its kept pixels (see ForEachTextureLevel), sampled
// as the image's flags ask, mipmaps when asked and wanted; returns its name.
GLuint UploadFrame(const TImage* img, int frame, bool wantmipmaps = true) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  bool filtered = img->flags & IMG_FILTERED, mipmapped = wantmipmaps && (img->flags & IMG_MIPMAPPED);
  GLint minf = filtered ? (mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR)
                        : (mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minf);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  ForEachTextureLevel(img, frame, mipmapped, [](int level, int w, int h, const uint8_t* rgba) {
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  });
  return name;
}

// The frame's copy for magnified additive draws, made on its first such draw.
const FlatFrame& Flat(const TImage* img, int frame) {
  return FlatOf(flatframes, img, frame, [](const TImage* i, int f) -> unsigned { return UploadFrame(i, f, false); });
}

// Builds the texture of one frame.
void BuildTexture(TImage* img, int frame) {
  img->frames[frame] = UploadFrame(img, frame);
  img->seqs[frame] = DisplayGeneration();
  img->texu[frame] = (float)img->width / NextPowerOfTwo(img->width);
  img->texv[frame] = (float)img->height / NextPowerOfTwo(img->height);
}

void DrawableSize(int* w, int* h) {
#ifdef __EMSCRIPTEN__
  emscripten_webgl_get_drawing_buffer_size(webgl, w, h);
#else
  GLDrawableSize(w, h);
#endif
}

// Fits the picture into the drawable.
void UpdateViewport() {
  int dw = PICTURE_W, dh = PICTURE_H;
  DrawableSize(&dw, &dh);
  viewport = ComputeLetterbox(dw, dh);
  glViewport(viewport.x, dh - viewport.y - viewport.h, viewport.w, viewport.h);
}

// Builds what a fresh context needs: programs, buffers, the white texel.
bool InitialiseContext(std::string* why) {
  flatframes.clear();  // their textures died with the old context
  glblend = -1;
  glprogram = 0;
  batch.clear();
  run.Discard();
  batch.reserve(4096);
  batchtexture = 0;
  if (!Link(plain, "", why) || !Link(alphatest, kAlphaTestDefine, why)) return false;
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DITHER);
  glGenBuffers(1, &vertexbuffer);
  glBindBuffer(GL_ARRAY_BUFFER, vertexbuffer);
  glEnableVertexAttribArray(kPositionAttrib);
  glEnableVertexAttribArray(kTexcoordAttrib);
  glEnableVertexAttribArray(kColourAttrib);
  glVertexAttribPointer(kPositionAttrib, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), (const void*)offsetof(Vertex, x));
  glVertexAttribPointer(kTexcoordAttrib, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), (const void*)offsetof(Vertex, u));
  glVertexAttribPointer(kColourAttrib, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex), (const void*)offsetof(Vertex, c));
  // Every quad cut (0,1,2) (0,2,3), its corners numbered from where it starts.
  std::vector<GLushort> indices(kChunkQuads * kIndicesPerQuad);
  static const GLushort cut[kIndicesPerQuad] = {0, 1, 2, 0, 2, 3};
  for (size_t q = 0; q < kChunkQuads; q++)
    for (int k = 0; k < kIndicesPerQuad; k++)
      indices[q * kIndicesPerQuad + k] = (GLushort)(q * kCornersPerQuad + cut[k]);
  glGenBuffers(1, &indexbuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexbuffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(indices.size() * sizeof(GLushort)), indices.data(),
               GL_STATIC_DRAW);
  const uint8_t white[4] = {255, 255, 255, 255};
  glGenTextures(1, &whitetexture);
  glBindTexture(GL_TEXTURE_2D, whitetexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glClearColor(0, 0, 0, 1);
  ApplyBlend(BLEND_SOLID);
  UpdateViewport();
  contextready = true;
  return true;
}

#ifdef __EMSCRIPTEN__
// Creates the WebGL context on the page's canvas, its drawing buffer 800x600.
// The buffer is not kept past a frame: every frame clears and paints it
// whole, and readbacks and screenshots read it within the frame, before it
// is shown; a kept buffer would cost the browser a copy of it every frame.
bool OpenContext(int width, int height, std::string* why) {
  EmscriptenWebGLContextAttributes attrs;
  emscripten_webgl_init_context_attributes(&attrs);
  attrs.alpha = false;
  attrs.depth = false;
  attrs.stencil = false;
  attrs.antialias = false;
  attrs.preserveDrawingBuffer = false;
  attrs.majorVersion = 1;
  attrs.minorVersion = 0;
  emscripten_set_canvas_element_size(kCanvas, width > 0 ? width : PICTURE_W, height > 0 ? height : PICTURE_H);
  webgl = emscripten_webgl_create_context(kCanvas, &attrs);
  if (webgl <= 0) {
    if (why) *why = "the browser gave no WebGL context";
    webgl = 0;
    return false;
  }
  if (emscripten_webgl_make_context_current(webgl) != EMSCRIPTEN_RESULT_SUCCESS) {
    if (why) *why = "cannot use the WebGL context";
    emscripten_webgl_destroy_context(webgl);
    webgl = 0;
    return false;
  }
  return true;
}

void CloseContext() {
  if (webgl) emscripten_webgl_destroy_context(webgl);
  webgl = 0;
}
#else
// Opens the game window with an OpenGL ES 2.0 context; depth 16/24/32 fills the desktop.
bool OpenContext(int width, int height, int depth, int hertz, std::string* why) {
  return OpenGLWindow(width, height, depth, hertz, GLContextKind::ES2, why);
}
#endif

bool GLESOpen(int width, int height, int depth, int hertz, int flags, std::string* why) {
  (void)flags;
#ifdef __EMSCRIPTEN__
  (void)depth;
  (void)hertz;
  if (!OpenContext(width, height, why)) return false;
#else
  if (!OpenContext(width, height, depth, hertz, why)) return false;
#endif
  current = last = RenderStats{};
  if (!InitialiseContext(why)) {
    contextready = false;
#ifdef __EMSCRIPTEN__
    CloseContext();
#else
    CloseGLWindow();
#endif
    return false;
  }
  glClear(GL_COLOR_BUFFER_BIT);
  return true;
}

// Destroys the context (and on the desktop the window); every name dies with it.
void GLESClose() {
  batch.clear();
  run.Discard();
  contextready = false;
#ifdef __EMSCRIPTEN__
  CloseContext();
#else
  CloseGLWindow();
#endif
}

// Clears the whole drawable black, bars included, and fits the picture again.
void GLESCls() {
  Flush();
  int dw, dh;
  DrawableSize(&dw, &dh);
  glViewport(0, 0, dw, dh);
  glClear(GL_COLOR_BUFFER_BIT);
  UpdateViewport();
  current = RenderStats{};
}

// Presents; in the browser the page shows the canvas when the frame's code returns.
void GLESFlip(int sync) {
  Flush();
#ifdef __EMSCRIPTEN__
  (void)sync;
#else
  PresentGLWindow(sync);
#endif
  last = current;
  current = RenderStats{};
}

void GLESSetMouseVisible(int visible) {
#ifdef __EMSCRIPTEN__
  (void)visible;  // the page's own style decides the pointer over the canvas
#else
  ShowPointerOverWindow(visible);
#endif
}

// Queues one textured quad, corners clockwise from the top left.
void GLESDrawImage(TImage* img, float x, float y, int frame, const RenderState& st) {
  if (img->seqs[frame] != DisplayGeneration() || img->frames[frame] == 0) BuildTexture(img, frame);
  Vertex quad[kCornersPerQuad];
  PlaceQuad(img, frame, x, y, st, quad);
  current.quads++;
  int blend = EffectiveBlend(st.blend);
  if (blend != BLEND_LIGHT) {
    QueueQuad(img->frames[frame], blend, quad, kOffPictureMargin);
    return;
  }
  float area = DrawnArea(img, st);
  current.additivearea += std::lround(area);
  float fit = (float)viewport.w / PICTURE_W;
  if (!Magnified(st, fit)) {
    QueueQuad(img->frames[frame], blend, quad, kOffPictureMargin);
    return;
  }
  const FlatFrame& flat = Flat(img, frame);
  Reach reach = Locate(quad, kCornersPerQuad, kOffPictureMargin);
  if (reach.off || reach.edge || !PiecesPay(flat, area * fit * fit)) {
    QueueQuad(flat.texture, blend, quad, kOffPictureMargin);
    return;
  }
  // Wholly on the picture: in its pieces.
  PlacePieces(flat, img, x, y, st, quad[0].c, piecevertices);
  AdditiveGroup(flat.texture).inside.Add(piecevertices.data(), (int)piecevertices.size());
}

// Whether a point lies inside the diamond of the pixel that holds it.
bool InsideDiamond(float x, float y) {
  float fx = x - std::floor(x), fy = y - std::floor(y);
  return std::fabs(fx - 0.5f) + std::fabs(fy - 0.5f) < 0.5f;
}

// The first and the one-past-last pixel a line lights along the way it runs
// more (columns across, rows down), a and b its ends' coordinates that way:
// a pixel is lit when the line leaves its diamond, so the pixel it starts in
// counts when it starts inside the diamond (starts) or before the pixel's
// centre, and the one it ends in only when it ends outside the diamond
// (!ends) past the centre.
void MajorSpan(float a, float b, bool starts, bool ends, int& first, int& past) {
  int step = b >= a ? 1 : -1;
  auto beforecentre = [&](float v) { return (v - std::floor(v) - 0.5f) * (float)step < 0; };
  first = (int)std::floor(a);
  if (!starts && !beforecentre(a)) first += step;
  past = (int)std::floor(b);
  if (!ends && !beforecentre(b)) past += step;
}

// Queues one segment as a quad: both ends transformed about (x1, y1) and
// moved half a pixel onto pixel centres. As the desktop's lines: along the
// way it runs more, the pixels whose diamonds it leaves; across, its width
// centred on it in every column (or row) it lights.
void GLESDrawLine(float x1, float y1, float x2, float y2, const RenderState& st) {
  float width = st.linewidth > 0 ? st.linewidth : 1;
  float dx = x2 - x1, dy = y2 - y1;
  float ax = x1 + 0.5f, ay = y1 + 0.5f;
  float bx = dx * st.ix + dy * st.iy + x1 + 0.5f, by = dx * st.jx + dy * st.jy + y1 + 0.5f;
  current.lines++;
  bool across = std::fabs(bx - ax) >= std::fabs(by - ay);
  // Major axis m, minor axis n.
  float am = across ? ax : ay, bm = across ? bx : by, an = across ? ay : ax, bn = across ? by : bx;
  if (am == bm) return;  // a point: no diamond is left
  int first, past;
  MajorSpan(am, bm, InsideDiamond(ax, ay), InsideDiamond(bx, by), first, past);
  if (first == past) return;
  int step = bm > am ? 1 : -1;
  // The quad's ends on pixel edges: from the near edge of the first pixel to
  // the near edge of the one past the last.
  float m0 = (float)(step > 0 ? first : first + 1), m1 = (float)(step > 0 ? past : past + 1);
  float slope = (bn - an) / (bm - am);
  float n0 = an + (m0 - am) * slope, n1 = an + (m1 - am) * slope;
  float half = (float)std::max(1L, std::lround(width)) * 0.5f;  // whole pixels, as the desktop's
  const float pm[4] = {m0, m1, m1, m0}, pn[4] = {n0 - half, n1 - half, n1 + half, n0 + half};
  Vertex quad[kCornersPerQuad];
  for (int i = 0; i < kCornersPerQuad; i++) {
    Vertex& vx = quad[i];
    vx.x = across ? pm[i] : pn[i];
    vx.y = across ? pn[i] : pm[i];
    vx.u = vx.v = 0;
    vx.c[0] = (uint8_t)st.r;
    vx.c[1] = (uint8_t)st.g;
    vx.c[2] = (uint8_t)st.b;
    vx.c[3] = (uint8_t)st.alpha8;
  }
  QueueQuad(whitetexture, EffectiveBlend(st.blend), quad, LineMargin(width));
}

RenderStats GLESStats() { return last; }

// Reads back the picture drawn so far (before Flip), 800x600, top row first.
bool GLESReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) {
  if (!contextready) return false;
  Flush();
  int dw, dh;
  DrawableSize(&dw, &dh);
  std::vector<uint8_t> raw((size_t)viewport.w * viewport.h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(viewport.x, dh - viewport.y - viewport.h, viewport.w, viewport.h, GL_RGBA, GL_UNSIGNED_BYTE,
               raw.data());
  width = PICTURE_W;
  height = PICTURE_H;
  PictureFromReadback(raw, viewport, rgba);
  return true;
}

const RenderBackend glesbackend = {"gles",         GLESOpen,  GLESClose,          GLESCls,
                                   GLESFlip,       GLESSetMouseVisible,           GLESDrawImage,
                                   GLESDrawLine,   GLESStats, GLESReadPixels,     nullptr};

}  // namespace

const RenderBackend* GLESRenderBackend() { return &glesbackend; }
