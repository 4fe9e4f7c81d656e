// The real renderer: an SDL2 window with an OpenGL 2.1 (compatibility)
// context, fixed-function pipeline. Quads and lines are gathered into client
// vertex arrays and sent in batches; the 800x600 picture is scaled to the
// window with its aspect kept.
//
// How draws become draw calls (the software rasterizer pays for every call,
// and more for any call that meets its clipper):
//
// Additive draws in any order. Blend mode 4 adds source colour x source
// alpha to the framebuffer (factors GL_SRC_ALPHA, GL_ONE). Into our 8-bit
// framebuffer each fragment's addend depends on that fragment alone and each
// channel saturates at 255, and a saturating sum of non-negative integers is
// the same in any order. So a run of consecutive additive draws is gathered
// per texture (quads) and per line width (lines), and each group is drawn
// once when the run ends: at a draw in any other blend mode (the grid's lines
// included, when they are not additive), a clear, a flip, a readback or a
// close. This rests on both assumptions: a float framebuffer (no saturation,
// a rounding at every add) or other factors for mode 4 must end the
// regrouping and draw in order (RenderBatching::InOrder).
//
// The clipper. The driver takes a call in segments of 4096 vertices and sends
// a whole segment down its slow clipping path as soon as one of its vertices
// lies outside the clip volume, that is off the picture. So each additive
// group keeps the primitives that cross the picture's edge apart, in calls of
// their own, and everything wholly on the picture never meets the clipper.
// Primitives wholly off the picture are not sent at all, in any blend mode
// (clipping would drop them): quads with a pixel to spare, lines with their
// width and a pixel, as a wide line reaches past its ends and drivers differ
// on whether one just off the picture still shows.
//
// Every other blend mode draws in order: consecutive draws that share
// texture, blend mode (and, for lines, width) go out in one call.
//
// Quads go out as indexed triangles, cut as the driver would have cut them.
// The driver (Mesa's llvmpipe) cuts a GL quad one of two ways, and the cut
// shows in the last bit of a filtered texel: a segment (1024 quads) that goes
// down the clipping path has every quad cut (0,1,3) (1,2,3), any other
// segment (0,1,2) (0,2,3). Triangles, though, come out the same down either
// path. So we follow the quads as the in-order path would send them (its
// batches, their segments, the driver's clip test on each vertex) and give
// each quad the cut it had there, wherever the regrouping puts it. The GL
// tests hold synthetic frames to the in-order path pixel for pixel; on busy
// game frames the odd quad is still given the other cut than the driver gave
// it in order, and a pixel of a filtered texel comes out one level apart.
//
// Less fill for the same pixels. The software rasterizer's time goes on
// shading pixels, and the explosions' rings, magnified many times, are most
// of them. An additive quad drawn magnified samples only the top level of
// its mipmaps, so it draws from a copy of its frame without mipmaps (the
// same texels, cheaper to filter). And a fully transparent texel adds
// nothing in mode 4: a picture with large transparent areas is drawn, once
// it covers enough of the screen to pay for the extra quads, as the
// rectangles of its frame that hold a texel any sample there could reach
// (each texel with alpha and its neighbours). Only quads wholly on the
// picture are cut up; the in-order path draws every quad whole.
//
// Nearest texels for pictures shown one to one. Filtering costs the
// rasterizer more per pixel than reading one texel. A quad neither turned
// nor scaled, its corners on whole pixels and the picture shown unscaled in
// the window (the title's text and logo, the HUD) puts every pixel centre
// on a texel centre, where a linear sample, of the top level as nothing is
// minified, is that texel alone: such a quad draws from a copy of its frame
// sampled at the nearest texel, without mipmaps, for the same pixels. Not
// a large additive picture, whose run may go to lower resolution. The copy
// is chosen for a whole call: a call that also draws the picture otherwise
// draws it all from its usual texture, so no call is split for it (the
// title's stars fall on whole pixels now and then). A picture cut into
// cells (the font) drawn one to one, but for glow, draws from one sheet of
// all its frames instead: every texture change costs the rasterizer as
// much as a few thousand pixels, and the title's menu would otherwise go out
// a letter a call.
//
// Lower resolution when fill would blow the frame. A run of additive quads
// whose pictures cover more pixels than the machine fills in its share of
// a frame (measured when the display opens; an idle screen's backdrop gets
// a smaller share) draws its large pictures into a buffer of half the
// picture's resolution (a quarter when even half would not fit), cleared
// to black, which is then added onto the picture in one linearly filtered
// pass over the tiles they reach: a saturating sum is the same however it
// is split, so only the resolution of those pictures changes. The choice
// rests on the run alone.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "platform/gl_common.h"
#include "platform/render.h"
#include "platform/render_batch.h"
#include "platform/sdl_display.h"

namespace {

using Vertex = BatchVertex;

RenderBatching batching = RenderBatching::Regrouped;

// A batch's cut per quad (see render_batch.h's Batch).
constexpr uint8_t kOpenCut = 0;     // (0,1,2) (0,2,3)
constexpr uint8_t kClippedCut = 1;  // (0,1,3) (1,2,3)

// The in-order batch being gathered and the state it will be drawn with.
Batch inorder;
BatchKind batchkind = BatchKind::None;
GLuint batchtexture = 0;
GLuint batchnearest = 0;  // the nearest copy, while every quad is drawn one to one
int batchblend = BLEND_SOLID;
float batchwidth = 1;

// A group of the additive run (see render_batch.h): quads of one texture
// and size class (large: kLargePicture pixels or more), or lines of one
// width; its edge batch holds the primitives with a vertex outside the clip
// volume.
struct Group : RunGroup {
  double area = 0;     // its quads' area as given, in picture pixels
  long draws = 0;      // the pictures drawn into it
  bool halved = false; // drawn at lower resolution in this run
  GLuint nearest = 0;  // the nearest copy, while every quad is drawn one to one
};
AdditiveRun<Group> run;

// The quads as the in-order path would send them: the texture and blend
// mode of its batch and, of the current segment, how many quads it holds,
// whether a vertex fell outside the clip volume, and where its quads on the
// picture went (a group's inside batch, or -1 the in-order batch, from
// segstart on), to be given their cut when the segment ends.
constexpr int kSegmentQuads = 1024;
bool segopen = false;
GLuint segtexture = 0;
int segblend = 0;
int segquads = 0;
bool segclipped = false;
// Where the segment's quads on the picture went: each batch once, with the
// first of them there (a magnified additive picture goes to its copy's group).
struct Placement {
  int group;     // a group's inside batch, or -1 the in-order batch
  size_t start;  // the first of the segment's quads in it
};
std::vector<Placement> segplacements;

// The driver's clip test in our coordinates: the projection as GL holds it
// (read back once the context is set up), each vertex (x, y, 0, 1) through
// it in single precision. This file is built without fused multiply-adds,
// as the driver computes it.
float clipmatrix[16];

// The longest call of triangles (its indices 16 bits), and its indices.
constexpr size_t kChunkQuads = 16384;
std::vector<GLushort> quadindices;

// GL state as last applied, so that repeating a state costs nothing.
int glblend = -1;
float glwidth = -1;
int gltexturing = -1;

Letterbox viewport;           // in drawable pixels
RenderStats current, last;

// The additive run's quads: their area as given, in picture pixels.
double runarea = 0;

// Framebuffer objects (GL 3.0 or the ARB extension), looked up per context;
// without them every run is drawn at full resolution.
struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC gen = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC del = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bind = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DPROC attach = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC check = nullptr;
  bool Ready() const { return gen && del && bind && attach && check; }
} fbo;

// An off-screen picture: a framebuffer with one colour texture.
struct Target {
  GLuint framebuffer = 0, texture = 0;
  int w = 0, h = 0;
};
// The buffers of lower resolution, sized to the viewport: half, and a
// quarter for the heaviest runs; and the one this run draws into.
Target halfbuffer, quarterbuffer;
Target* shrunk = &halfbuffer;

// The share of a frame's 16.7 ms the additive pictures may fill, in ms of
// wall time, with the picture drawn at 800x600 (less when it is drawn
// larger), and the measurement's draws: full-target quads of a soft spot.
constexpr double kAdditiveBudgetMs = 10;
constexpr int kMeasuredLayers = 4;
// Beyond this many screens of 800x600 in one run the machine is taken to
// fill fast enough never to need half resolution (a GPU).
constexpr double kNeverHalveScreens = 64;
// A picture drawn this large (in picture pixels) is a glow that may go to
// lower resolution: the rings, the bombs' blasts; smaller ones stay sharp.
constexpr double kLargePicture = 64 * 64;
// Behind the menus the glow is decoration a player may leave up for an
// hour: it may fill only this share of a game frame's budget, so an idle
// title stays light on the machine.
constexpr double kIdleGlowShare = 0.2;


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

// Draws quads or lines with one texture, blend mode and width: lines and
// in-order quads in one call, regrouped quads as triangles in calls of at
// most kChunkQuads quads. Each call counts as a flush.
void Send(BatchKind kind, GLuint texture, int blend, float width, const Batch& b) {
  if (b.vertices.empty()) return;
  ApplyBlend(blend);
  if (kind == BatchKind::Quads) {
    ApplyTexturing(true);
    glBindTexture(GL_TEXTURE_2D, texture);
  } else {
    ApplyTexturing(false);
    if (width != glwidth) {
      glwidth = width;
      glLineWidth(width);
    }
  }
  const std::vector<Vertex>& vs = b.vertices;
  bool triangles = kind == BatchKind::Quads && batching != RenderBatching::InOrder;
  size_t chunk = triangles ? kChunkQuads * 4 : vs.size();
  for (size_t first = 0; first < vs.size(); first += chunk) {
    const Vertex* v = vs.data() + first;
    size_t n = std::min(chunk, vs.size() - first);
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &v->x);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), v->c);
    if (kind == BatchKind::Lines) {
      glDrawArrays(GL_LINES, 0, (GLsizei)n);
    } else if (!triangles) {
      glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v->u);
      glDrawArrays(GL_QUADS, 0, (GLsizei)n);
    } else {
      glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v->u);
      static const GLushort cutcorners[2][6] = {{0, 1, 2, 0, 2, 3}, {0, 1, 3, 1, 2, 3}};
      quadindices.resize(n / 4 * 6);
      GLushort* out = quadindices.data();
      const uint8_t* cut = b.cuts.data() + first / 4;
      for (size_t q = 0; q < n / 4; q++, out += 6) {
        const GLushort* c = cutcorners[cut[q]];
        GLushort base = (GLushort)(q * 4);
        for (int k = 0; k < 6; k++) out[k] = (GLushort)(base + c[k]);
      }
      glDrawRangeElements(GL_TRIANGLES, 0, (GLuint)n - 1, (GLsizei)(n / 4 * 6), GL_UNSIGNED_SHORT,
                          quadindices.data());
    }
    current.flushes++;
  }
}

// Sends the in-order batch and starts an empty one.
void FlushBatch() {
  if (batchnearest) current.nearest += (long)inorder.cuts.size();
  if (batchkind != BatchKind::None)
    Send(batchkind, batchnearest ? batchnearest : batchtexture, batchblend, batchwidth, inorder);
  inorder.Clear();
  batchnearest = 0;
  batchkind = BatchKind::None;
}

// Sends one group of the additive run: its primitives on the picture in
// one call and those across the edge in another.
void SendGroup(Group& g) {
  GLuint texture = g.nearest ? g.nearest : g.key.texture;
  if (g.nearest) current.nearest += (long)(g.inside.cuts.size() + g.edge.cuts.size());
  Send(g.key.kind, texture, BLEND_LIGHT, g.key.width, g.inside);
  Send(g.key.kind, texture, BLEND_LIGHT, g.key.width, g.edge);
  g.inside.Clear();
  g.edge.Clear();
}

bool HalveRun();
void BeginHalf();
void EndHalf();
void UpdateViewport();

// Ends the additive run: each group drawn once; when the run would take
// more than its share of the frame, its largest groups of quads at half
// resolution.
void FlushGroups() {
  if (run.count && HalveRun()) {
    for (size_t i = 0; i < run.count; i++)
      if (!run[i].halved) SendGroup(run[i]);
    BeginHalf();
    for (size_t i = 0; i < run.count; i++)
      if (run[i].halved) {
        current.halvedarea += std::lround(run[i].area);
        SendGroup(run[i]);
      }
    EndHalf();
  } else {
    for (size_t i = 0; i < run.count; i++) SendGroup(run[i]);
  }
  run.count = 0;
  runarea = 0;
}

// Ends the in-order path's current segment of quads: when a vertex of it
// fell outside the clip volume, its quads on the picture take the clipped cut.
// Called before anything that holds them is sent.
void EndSegment() {
  if (segopen && segclipped)
    for (const Placement& p : segplacements) {
      Batch& b = p.group < 0 ? inorder : run[(size_t)p.group].inside;
      std::fill(b.cuts.begin() + (std::ptrdiff_t)p.start, b.cuts.end(), kClippedCut);
    }
  segopen = segclipped = false;
  segplacements.clear();
  segquads = 0;
}

// Draws everything pending.
void Flush() {
  EndSegment();
  FlushBatch();
  FlushGroups();
}

// Forgets everything pending (the context is gone or new).
void DiscardPending() {
  segopen = segclipped = false;
  segplacements.clear();
  segquads = 0;
  inorder.Clear();
  batchkind = BatchKind::None;
  batchnearest = 0;
  run.Discard();
  runarea = 0;
}

// The group of the additive run for quads of a texture or lines of a width;
// an in-order batch still pending is drawn first, as the run starts here.
size_t AdditiveGroup(BatchKind kind, GLuint texture, float width, bool large = false) {
  if (batchkind != BatchKind::None) FlushBatch();
  bool fresh;
  size_t at = run.Find(GroupKey{kind, texture, width, large}, fresh);
  if (fresh) {
    Group& g = run[at];
    g.area = 0;
    g.draws = 0;
    g.halved = false;
    g.nearest = 0;
  }
  return at;
}

// Whether the driver finds a vertex outside the clip volume: its clip
// coordinates computed as the driver computes them (NaN is inside).
bool OutsideClipVolume(const Vertex& v) {
  const float* m = clipmatrix;
  float x = (v.x * m[0] + v.y * m[4]) + m[12];
  float y = (v.x * m[1] + v.y * m[5]) + m[13];
  return x > 1 || x < -1 || y > 1 || y < -1;
}

// Where a primitive lies (see render_batch.h): it crosses the edge when
// any vertex is outside the clip volume.
Reach LocateClipped(const Vertex* v, int count, float margin) {
  return Locate(v, count, margin, [](const Vertex& c) { return OutsideClipVolume(c); });
}

// Adds a primitive to the in-order batch, which breaks when its kind,
// texture, blend mode or width differ. The batch is drawn from nearest
// while every quad in it comes with the same (see QueueQuad).
void AddInOrder(BatchKind kind, GLuint texture, int blend, float width, const Vertex* v, int count,
                uint8_t cut, GLuint nearest = 0) {
  if (batchkind != kind || blend != batchblend ||
      (kind == BatchKind::Quads ? texture != batchtexture : width != batchwidth)) {
    FlushBatch();
    batchkind = kind;
    batchtexture = texture;
    batchblend = blend;
    batchwidth = width;
    batchnearest = nearest;
  }
  if (nearest != batchnearest) batchnearest = 0;
  inorder.vertices.insert(inorder.vertices.end(), v, v + count);
  if (kind == BatchKind::Quads) inorder.cuts.push_back(cut);
}

// Notes that the segment placed a quad in a batch (at index at).
void Place(int group, size_t at) {
  for (const Placement& p : segplacements)
    if (p.group == group) return;
  segplacements.push_back({group, at});
}

// How a magnified additive quad is drawn instead: from the texture (its
// frame's copy without mipmaps) and, when wholly on the picture, as count
// pieces.
struct Pieces {
  GLuint texture = 0;  // 0: the quad as given
  const Vertex* v = nullptr;
  int count = 0;       // 0: the whole quad
};

// Queues one quad. Regrouped: the in-order path's segment is followed for
// its cut; off the picture it is dropped; additive it joins its texture's
// group (its copy's, and as its pieces, when magnified), else the in-order
// batch (which ends the additive run). A quad drawn one to one comes with
// nearest, its frame's copy sampled at the nearest texel (else 0): a group
// or batch all of whose quads come with it is drawn from it. Mixed with
// other draws of the picture they all take its texture, and no call is
// split for it.
void QueueQuad(GLuint texture, int blend, const Vertex* v, const Pieces& pieces = Pieces{}, long area = 0,
               GLuint nearest = 0) {
  if (batching == RenderBatching::InOrder) {
    AddInOrder(BatchKind::Quads, texture, blend, 1, v, 4, kOpenCut);
    return;
  }
  if (!segopen || texture != segtexture || blend != segblend || segquads == kSegmentQuads) {
    EndSegment();
    segopen = true;
    segtexture = texture;
    segblend = blend;
  }
  segquads++;
  Reach reach = LocateClipped(v, 4, kOffPictureMargin);
  segclipped = segclipped || reach.edge;
  if (reach.off) {
    current.offscreen++;
    return;
  }
  if (reach.edge) current.edge++;
  uint8_t cut = reach.edge ? kClippedCut : kOpenCut;
  int where = -1;
  Batch* to;
  if (blend == BLEND_LIGHT) {
    where = (int)AdditiveGroup(BatchKind::Quads, pieces.texture ? pieces.texture : texture, 1,
                               (double)area >= kLargePicture);
    Group& g = run[(size_t)where];
    g.nearest = g.draws == 0 || nearest == g.nearest ? nearest : 0;
    g.area += (double)area;
    g.draws++;
    to = &g.Side(reach.edge);
    if (pieces.count > 0 && !reach.edge) {
      to->Add(pieces.v, 4 * pieces.count);
      to->cuts.insert(to->cuts.end(), (size_t)pieces.count, kOpenCut);
      Place(where, to->cuts.size() - (size_t)pieces.count);
      return;
    }
    to->Add(v, 4);
    to->cuts.push_back(cut);
  } else {
    if (run.count) FlushGroups();
    AddInOrder(BatchKind::Quads, texture, blend, 1, v, 4, cut, nearest);
    to = &inorder;
  }
  if (!(where >= 0 && reach.edge)) Place(where, to->cuts.size() - 1);
}

// Queues one line: it ends the in-order path's quad batch; off the picture
// (beyond its width and a pixel) it is dropped; additive it joins its
// width's group, else the in-order batch.
void QueueLine(int blend, float width, const Vertex* v) {
  if (batching == RenderBatching::InOrder) {
    AddInOrder(BatchKind::Lines, 0, blend, width, v, 2, kOpenCut);
    return;
  }
  EndSegment();
  Reach reach = LocateClipped(v, 2, LineMargin(width));
  if (reach.off) {
    current.offscreen++;
    return;
  }
  if (reach.edge) current.edge++;
  if (blend == BLEND_LIGHT) {
    run[AdditiveGroup(BatchKind::Lines, 0, width)].Side(reach.edge).Add(v, 2);
    return;
  }
  if (run.count) FlushGroups();
  AddInOrder(BatchKind::Lines, 0, blend, width, v, 2, kOpenCut);
}

// Uploads one frame from its kept pixels: power-of-two sides, the last
// column and row repeated into the spare texels, clamped edges, sampling as
// the image's flags ask, mipmaps when asked and wanted; returns its name.
GLuint UploadFrame(const TImage* img, int frame, bool wantmipmaps) {
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
  int top = 0;
  ForEachTextureLevel(img, frame, mipmapped, [&](int level, int w, int h, const uint8_t* rgba) {
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    top = level;
  });
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, top);
  return name;
}

FlatFrames flatframes;
// What a frame drawn one to one is drawn from: its copy sampled at the
// nearest texel, without mipmaps.
std::unordered_map<GLuint, GLuint> nearestframes;  // by the frame's own texture

// The frame's copy for magnified additive draws, made on its first such draw.
const FlatFrame& Flat(const TImage* img, int frame) {
  return FlatOf(flatframes, img, frame, [](const TImage* i, int f) -> unsigned { return UploadFrame(i, f, false); });
}

// The frame's copy for quads drawn one to one, made on its first such draw.
GLuint Nearest(const TImage* img, int frame) {
  GLuint own = img->frames[frame];
  auto found = nearestframes.find(own);
  if (found != nearestframes.end()) return found->second;
  GLuint copy = UploadFrame(img, frame, false);  // left bound
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  nearestframes[own] = copy;
  return copy;
}

void BuildTexture(TImage* img, int frame);

// A picture cut into cells (the font's letters, say) drawn one to one is
// drawn from one sheet of all its frames, sampled at the nearest texel: a
// line of text then goes out in one call, not one a letter, and each letter
// samples the same texels of its own cell as from its frame's texture.
struct Sheet {
  GLuint texture = 0;    // 0: too large for one sheet
  int columns = 1;
  float texelu = 0, texelv = 0;  // one texel in texture coordinates
};
std::unordered_map<GLuint, Sheet> sheets;  // by the picture's first frame's texture
constexpr int kLargestSheet = 2048;

// The picture's sheet, made on its first such draw; null for a picture of
// one frame, or of frames too many or too large for a sheet.
const Sheet* SheetOf(TImage* img) {
  int n = img->FrameCount(), w = img->width, h = img->height;
  if (n < 2 || w <= 0 || h <= 0) return nullptr;
  if (img->seqs[0] != DisplayGeneration() || img->frames[0] == 0) BuildTexture(img, 0);
  auto found = sheets.find(img->frames[0]);
  if (found != sheets.end()) return found->second.texture ? &found->second : nullptr;
  Sheet& sheet = sheets[img->frames[0]];
  int columns = (int)std::ceil(std::sqrt((double)n));
  int rows = (n + columns - 1) / columns;
  if ((long)columns * w > kLargestSheet || (long)rows * h > kLargestSheet) return nullptr;
  int sw = NextPowerOfTwo(columns * w), sh = NextPowerOfTwo(rows * h);
  std::vector<uint8_t> px((size_t)sw * sh * 4, 0);
  for (int f = 0; f < n; f++) {
    int cx = f % columns * w, cy = f / columns * h;
    for (int y = 0; y < h; y++)
      std::memcpy(&px[((size_t)(cy + y) * sw + cx) * 4], &img->pixmaps[f][(size_t)y * w * 4], (size_t)w * 4);
  }
  glGenTextures(1, &sheet.texture);
  glBindTexture(GL_TEXTURE_2D, sheet.texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, sw, sh, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  sheet.columns = columns;
  sheet.texelu = 1.0f / (float)sw;
  sheet.texelv = 1.0f / (float)sh;
  return &sheet;
}

// Points a quad drawn one to one at its frame's cell of the sheet.
void PlaceInSheet(const Sheet& sheet, const TImage* img, int frame, Vertex* quad) {
  float u0 = (float)(frame % sheet.columns * img->width), v0 = (float)(frame / sheet.columns * img->height);
  float u1 = (u0 + (float)img->width) * sheet.texelu, v1 = (v0 + (float)img->height) * sheet.texelv;
  u0 *= sheet.texelu;
  v0 *= sheet.texelv;
  const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
  for (int i = 0; i < 4; i++) {
    quad[i].u = us[i];
    quad[i].v = vs[i];
  }
}

// Builds the texture of one frame (see UploadFrame).
void BuildTexture(TImage* img, int frame) {
  int w = img->width, h = img->height;
  int pw = NextPowerOfTwo(w), ph = NextPowerOfTwo(h);
  GLuint name = UploadFrame(img, frame, true);
  img->frames[frame] = name;
  img->seqs[frame] = DisplayGeneration();
  img->texu[frame] = (float)w / pw;
  img->texv[frame] = (float)h / ph;
}

// Gives an off-screen picture its size: a colour texture of w x h,
// linearly filtered, in a framebuffer of its own; false (and nothing kept)
// when the driver will not draw into it.
bool SizeTarget(Target& t, int w, int h) {
  if (t.framebuffer && t.w == w && t.h == h) return true;
  if (t.framebuffer) fbo.del(1, &t.framebuffer);
  if (t.texture) glDeleteTextures(1, &t.texture);
  t = Target{};
  glGenTextures(1, &t.texture);
  glBindTexture(GL_TEXTURE_2D, t.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  fbo.gen(1, &t.framebuffer);
  fbo.bind(GL_FRAMEBUFFER, t.framebuffer);
  fbo.attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture, 0);
  bool complete = fbo.check(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  fbo.bind(GL_FRAMEBUFFER, 0);
  if (!complete) {
    fbo.del(1, &t.framebuffer);
    glDeleteTextures(1, &t.texture);
    t = Target{};
    return false;
  }
  t.w = w;
  t.h = h;
  return true;
}

void ForgetTarget(Target& t) {
  if (t.framebuffer) fbo.del(1, &t.framebuffer);
  if (t.texture) glDeleteTextures(1, &t.texture);
  t = Target{};
}

// A part of the picture, in picture pixels.
struct Rect {
  float x0 = 0, y0 = 0, x1 = PICTURE_W, y1 = PICTURE_H;
};

// One white quad per part of the picture, from the same parts of a texture
// that covers the whole picture upright (an off-screen picture's rows run
// bottom up), in one call.
std::vector<Vertex> pictureparts;  // keeps its memory from frame to frame
void DrawPictureParts(GLuint texture, const Rect* parts, size_t count) {
  auto corner = [](float x, float y) {
    return Vertex{x, y, x / PICTURE_W, 1 - y / PICTURE_H, {255, 255, 255, 255}};
  };
  pictureparts.clear();
  for (size_t i = 0; i < count; i++) {
    const Rect& r = parts[i];
    for (const Vertex& v : {corner(r.x0, r.y0), corner(r.x1, r.y0), corner(r.x1, r.y1), corner(r.x0, r.y1)})
      pictureparts.push_back(v);
  }
  if (pictureparts.empty()) return;
  ApplyTexturing(true);
  glBindTexture(GL_TEXTURE_2D, texture);
  glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &pictureparts[0].x);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), pictureparts[0].c);
  glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &pictureparts[0].u);
  glDrawArrays(GL_QUADS, 0, (GLsizei)pictureparts.size());
  current.flushes++;
}
void DrawPictureRect(GLuint texture, const Rect& r = Rect{}) { DrawPictureParts(texture, &r, 1); }

// The parts of the picture a run's halved pictures can light, in tiles of
// kTile picture pixels: each tile that a halved quad's (or piece's) corners'
// bounds reach, with a margin for the filtering of both resolutions. The
// rings are hollow and scattered, so the buffer is added only where they
// are, not over the box around them all.
constexpr int kTile = 16;
constexpr int kTilesX = (PICTURE_W + kTile - 1) / kTile, kTilesY = (PICTURE_H + kTile - 1) / kTile;
constexpr float kMargin = 8;  // two texels at a quarter of the resolution
uint8_t halvedtiles[kTilesY][kTilesX];
std::vector<Rect> halvedparts;  // the marked tiles, merged into runs along each row

// Marks the tiles and gathers them into parts; returns the area they cover.
double MarkHalvedTiles() {
  std::memset(halvedtiles, 0, sizeof halvedtiles);
  auto tile = [](float at, int tiles) { return std::clamp((int)std::floor(at / kTile), 0, tiles - 1); };
  for (size_t i = 0; i < run.count; i++) {
    if (!run[i].halved) continue;
    for (const Batch* b : {&run[i].inside, &run[i].edge})
      for (size_t q = 0; q + 4 <= b->vertices.size(); q += 4) {
        const Vertex* v = &b->vertices[q];
        float x0 = std::min({v[0].x, v[1].x, v[2].x, v[3].x}), x1 = std::max({v[0].x, v[1].x, v[2].x, v[3].x});
        float y0 = std::min({v[0].y, v[1].y, v[2].y, v[3].y}), y1 = std::max({v[0].y, v[1].y, v[2].y, v[3].y});
        int tx0 = tile(x0 - kMargin, kTilesX), tx1 = tile(x1 + kMargin, kTilesX);
        int ty0 = tile(y0 - kMargin, kTilesY), ty1 = tile(y1 + kMargin, kTilesY);
        for (int ty = ty0; ty <= ty1; ty++) std::memset(&halvedtiles[ty][tx0], 1, (size_t)(tx1 - tx0 + 1));
      }
  }
  halvedparts.clear();
  double covered = 0;
  for (int ty = 0; ty < kTilesY; ty++)
    for (int tx = 0; tx < kTilesX; tx++) {
      if (!halvedtiles[ty][tx]) continue;
      int end = tx;
      while (end < kTilesX && halvedtiles[ty][end]) end++;
      Rect r;
      r.x0 = (float)(tx * kTile);
      r.x1 = (float)std::min(end * kTile, PICTURE_W);
      r.y0 = (float)(ty * kTile);
      r.y1 = (float)std::min((ty + 1) * kTile, PICTURE_H);
      halvedparts.push_back(r);
      covered += (double)(r.x1 - r.x0) * (r.y1 - r.y0);
      tx = end;
    }
  return covered;
}

// Whether the additive run now ending goes to lower resolution: forced, or
// (Auto) its quads cover more drawn pixels than the measured threshold (of
// which an idle screen's backdrop gets kIdleGlowShare). If so, its groups
// of large pictures (kLargePicture pixels or more each: the rings, the
// bombs' blasts, the glows) are marked to go there; the text, the ship, the
// sparks, the enemies and the rings just born keep their sharp edges.
// Auto does it only when it pays: the halved pictures must cover at least
// kHalvingPaysFrom times the tiles the buffer is added onto (adding it
// costs about a layer of fill there; a ring or two cost less at full
// resolution).
// Half resolution, or a quarter when even at half the run would not fit:
// the rings are drawn magnified several times, so little is lost.
constexpr double kHalvingPaysFrom = 3;
bool HalveRun() {
  RenderScale scale = CurrentRenderScale();
  if (scale == RenderScale::Full || batching == RenderBatching::InOrder || !fbo.Ready()) return false;
  double fit = (double)viewport.w / PICTURE_W;
  double threshold = (double)HalfResolutionThreshold();
  if (CurrentGlowBudget() == GlowBudget::Idle) threshold *= kIdleGlowShare;
  if (scale == RenderScale::Auto && (threshold <= 0 || runarea * fit * fit <= threshold)) return false;
  double halvedarea = 0;
  for (size_t i = 0; i < run.count; i++) {
    Group& g = run[i];
    g.halved = g.key.kind == BatchKind::Quads && g.key.large;
    if (g.halved) halvedarea += g.area;
  }
  if (halvedarea <= 0) return false;
  double covered = MarkHalvedTiles();
  if (scale == RenderScale::Auto && halvedarea < kHalvingPaysFrom * covered) return false;
  bool quarter = scale == RenderScale::Auto && (runarea - halvedarea * 3 / 4) * fit * fit > threshold;
  shrunk = quarter ? &quarterbuffer : &halfbuffer;
  int by = quarter ? 4 : 2;
  return SizeTarget(*shrunk, (viewport.w + by - 1) / by, (viewport.h + by - 1) / by);
}

// Draws into the buffer of lower resolution, cleared to black and transparent.
void BeginHalf() {
  fbo.bind(GL_FRAMEBUFFER, shrunk->framebuffer);
  glViewport(0, 0, shrunk->w, shrunk->h);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 1);
}

// Back to the window, and the buffer added onto the picture.
void EndHalf() {
  fbo.bind(GL_FRAMEBUFFER, 0);
  UpdateViewport();
  glEnable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glBlendFunc(GL_ONE, GL_ONE);
  glblend = -1;  // none of the five modes
  // The buffer's texels as they are (white modulates nothing, but costs
  // the rasterizer a multiply a pixel).
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  DrawPictureParts(shrunk->texture, halvedparts.data(), halvedparts.size());
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Times how fast this machine adds filtered, magnified pictures (layers of
// a soft spot over the whole drawn picture, as the rings are drawn) and
// sets Auto's threshold to what fits in kAdditiveBudgetMs; once a process,
// and only when Auto may use it.
void MeasureFill() {
  if (CurrentRenderScale() != RenderScale::Auto || HalfResolutionThreshold() != 0 || !fbo.Ready()) return;
  Target t;
  if (!SizeTarget(t, viewport.w, viewport.h)) return;
  constexpr int kSpot = 64;
  std::vector<uint8_t> px((size_t)kSpot * kSpot * 4);
  for (int y = 0; y < kSpot; y++)
    for (int x = 0; x < kSpot; x++) {
      float dx = (x + 0.5f) / kSpot - 0.5f, dy = (y + 0.5f) / kSpot - 0.5f;
      float edge = std::max(0.0f, 1 - 2 * std::sqrt(dx * dx + dy * dy));
      uint8_t* p = &px[((size_t)y * kSpot + x) * 4];
      p[0] = p[1] = p[2] = 255;
      p[3] = (uint8_t)std::lround(edge * 255);
    }
  GLuint spot = 0;
  glGenTextures(1, &spot);
  glBindTexture(GL_TEXTURE_2D, spot);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSpot, kSpot, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  fbo.bind(GL_FRAMEBUFFER, t.framebuffer);
  glViewport(0, 0, t.w, t.h);
  ApplyBlend(BLEND_LIGHT);
  auto layers = [&](int n) {
    for (int i = 0; i < n; i++) DrawPictureRect(spot);
    glFinish();
  };
  layers(1);  // the rasterizer readies its code for this kind of draw
  double best = 1e9;
  for (int attempt = 0; attempt < 2; attempt++) {
    Uint64 start = SDL_GetPerformanceCounter();
    layers(kMeasuredLayers);
    double ms = (double)(SDL_GetPerformanceCounter() - start) * 1000.0 / (double)SDL_GetPerformanceFrequency();
    best = std::min(best, ms);
  }
  fbo.bind(GL_FRAMEBUFFER, 0);
  glDeleteTextures(1, &spot);
  ForgetTarget(t);
  UpdateViewport();
  glClear(GL_COLOR_BUFFER_BIT);
  current = RenderStats{};
  double msperpixel = std::max(best, 1e-3) / ((double)kMeasuredLayers * viewport.w * viewport.h);
  // The rest of the frame grows with the picture too, so the glow's share
  // of the 16.7 ms shrinks as it is drawn larger: 6.25 ms at 1280x960.
  double fit = std::max(1.0, (double)viewport.w / PICTURE_W);
  double pixels = kAdditiveBudgetMs / fit / msperpixel;
  double never = kNeverHalveScreens * PICTURE_W * PICTURE_H;
  SetHalfResolutionThreshold(pixels > never ? LONG_MAX : std::max(1L, (long)pixels));
}

// Looks up the framebuffer calls of the context just made current.
void FindFramebufferCalls() {
  fbo = FramebufferCalls{};
  const char* version = (const char*)glGetString(GL_VERSION);
  bool core = version && std::atoi(version) >= 3;
  if (!core && !SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object")) return;
  fbo.gen = (PFNGLGENFRAMEBUFFERSPROC)SDL_GL_GetProcAddress("glGenFramebuffers");
  fbo.del = (PFNGLDELETEFRAMEBUFFERSPROC)SDL_GL_GetProcAddress("glDeleteFramebuffers");
  fbo.bind = (PFNGLBINDFRAMEBUFFERPROC)SDL_GL_GetProcAddress("glBindFramebuffer");
  fbo.attach = (PFNGLFRAMEBUFFERTEXTURE2DPROC)SDL_GL_GetProcAddress("glFramebufferTexture2D");
  fbo.check = (PFNGLCHECKFRAMEBUFFERSTATUSPROC)SDL_GL_GetProcAddress("glCheckFramebufferStatus");
}

// Fits the picture into the drawable and sets the projection over it.
void UpdateViewport() {
  int dw = PICTURE_W, dh = PICTURE_H;
  GLDrawableSize(&dw, &dh);
  viewport = ComputeLetterbox(dw, dh);
  glViewport(viewport.x, dh - viewport.y - viewport.h, viewport.w, viewport.h);
}

// Puts the fixed-function state a fresh context needs.
void InitialiseContext() {
  flatframes.clear();  // their textures died with the old context
  nearestframes.clear();
  sheets.clear();
  halfbuffer = quarterbuffer = Target{};
  FindFramebufferCalls();
  glblend = -1;
  glwidth = -1;
  gltexturing = -1;
  DiscardPending();
  inorder.vertices.reserve(4096);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_DITHER);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, PICTURE_W, PICTURE_H, 0, -1, 1);
  glGetFloatv(GL_PROJECTION_MATRIX, clipmatrix);
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

// Opens the window with an OpenGL 2.1 context; depth 16/24/32 fills the desktop.
bool GLOpen(int width, int height, int depth, int hertz, int flags, std::string* why) {
  (void)flags;
  if (!OpenGLWindow(width, height, depth, hertz, GLContextKind::Compatibility21, why)) return false;
  current = last = RenderStats{};
  InitialiseContext();
  MeasureFill();
  glClear(GL_COLOR_BUFFER_BIT);
  return true;
}

// Destroys the context and the window; texture names die with the context.
void GLClose() {
  DiscardPending();
  CloseGLWindow();
}

// Clears the whole window black, bars included, and fits the picture again;
// called at the start of every frame.
void GLCls() {
  Flush();
  int dw, dh;
  GLDrawableSize(&dw, &dh);
  glViewport(0, 0, dw, dh);
  glClear(GL_COLOR_BUFFER_BIT);
  UpdateViewport();
  current = RenderStats{};  // a frame's counts start at its Cls
}

// Presents: sync 0 at once (unless --vsync), -1 paced to the refresh rate.
void GLFlip(int sync) {
  Flush();
  PresentGLWindow(sync);
  last = current;
  current = RenderStats{};
}

void GLSetMouseVisible(int visible) { ShowPointerOverWindow(visible); }

std::vector<Vertex> piecevertices;  // the pieces of the quad being queued

// Whether a quad shows its frame one to one: the picture shown unscaled in
// the window, the quad neither turned nor scaled, its corners on whole pixels
// a frame's size apart and its texture coordinates over exactly the frame's
// texels. Each pixel centre then falls on a texel centre, where a linear
// sample (of the top level, as nothing is minified) is that texel alone.
bool OneToOne(const TImage* img, int frame, const RenderState& st, const Vertex* q) {
  if (viewport.w != PICTURE_W || viewport.h != PICTURE_H) return false;
  if (st.rot != 0 || st.sx != 1 || st.sy != 1 || st.ix != 1 || st.iy != 0 || st.jx != 0 || st.jy != 1)
    return false;
  for (int i = 0; i < 4; i++)
    if (q[i].x != std::floor(q[i].x) || q[i].y != std::floor(q[i].y)) return false;
  bool upright = q[0].y == q[1].y && q[2].y == q[3].y && q[0].x == q[3].x && q[1].x == q[2].x;
  if (!upright || q[1].x - q[0].x != (float)img->width || q[3].y - q[0].y != (float)img->height) return false;
  float pw = (float)NextPowerOfTwo(img->width), ph = (float)NextPowerOfTwo(img->height);
  return q[0].u == 0 && q[0].v == 0 && img->texu[frame] * pw == (float)img->width &&
         img->texv[frame] * ph == (float)img->height;
}

// Queues one textured quad, corners clockwise from the top left; drawn one
// to one, from its frame's copy sampled at the nearest texel (not a large
// additive picture, which may go to lower resolution, nor in the in-order
// reference); else magnified and additive, from its frame's copy without
// mipmaps and perhaps in pieces.
void GLDrawImage(TImage* img, float x, float y, int frame, const RenderState& st) {
  if (img->seqs[frame] != DisplayGeneration() || img->frames[frame] == 0) BuildTexture(img, frame);
  Vertex quad[4];
  PlaceQuad(img, frame, x, y, st, quad);
  current.quads++;
  int blend = EffectiveBlend(st.blend);
  bool small = (double)img->width * img->height < kLargePicture;
  bool smoothed = img->flags & (IMG_FILTERED | IMG_MIPMAPPED);  // its own texture reads more than one texel
  bool onetoone = batching != RenderBatching::InOrder && OneToOne(img, frame, st, quad);
  if (onetoone && blend != BLEND_LIGHT)
    if (const Sheet* sheet = SheetOf(img)) {
      PlaceInSheet(*sheet, img, frame, quad);
      QueueQuad(sheet->texture, blend, quad, Pieces{}, 0, sheet->texture);
      return;
    }
  GLuint nearest = smoothed && onetoone && (blend != BLEND_LIGHT || small) ? Nearest(img, frame) : 0;
  if (blend != BLEND_LIGHT) {
    QueueQuad(img->frames[frame], blend, quad, Pieces{}, 0, nearest);
    return;
  }
  float area = DrawnArea(img, st);
  long pixels = std::lround(area);
  current.additivearea += pixels;
  runarea += (double)pixels;
  if (nearest) {
    // Whole, in the group of the copy a magnified additive draw of it takes.
    Pieces whole;
    whole.texture = Flat(img, frame).texture;
    QueueQuad(img->frames[frame], blend, quad, whole, pixels, nearest);
    return;
  }
  float fit = (float)viewport.w / PICTURE_W;
  if (!Magnified(st, fit) || batching == RenderBatching::InOrder) {
    QueueQuad(img->frames[frame], blend, quad, Pieces{}, pixels);
    return;
  }
  const FlatFrame& flat = Flat(img, frame);
  Pieces pieces;
  pieces.texture = flat.texture;
  if (batching == RenderBatching::Regrouped && PiecesPay(flat, area * fit * fit)) {
    PlacePieces(flat, img, x, y, st, quad[0].c, piecevertices);
    pieces.v = piecevertices.data();
    pieces.count = (int)piecevertices.size() / 4;
  }
  QueueQuad(img->frames[frame], blend, quad, pieces, pixels);
}

// Queues one untextured segment; both ends transformed about (x1, y1) and
// moved half a pixel onto pixel centres.
void GLDrawLine(float x1, float y1, float x2, float y2, const RenderState& st) {
  float width = st.linewidth > 0 ? st.linewidth : 1;
  float dx = x2 - x1, dy = y2 - y1;
  Vertex ends[2];
  Vertex& a = ends[0];
  Vertex& b = ends[1];
  a.x = x1 + 0.5f;
  a.y = y1 + 0.5f;
  b.x = dx * st.ix + dy * st.iy + x1 + 0.5f;
  b.y = dx * st.jx + dy * st.jy + y1 + 0.5f;
  a.u = a.v = b.u = b.v = 0;
  a.c[0] = b.c[0] = (uint8_t)st.r;
  a.c[1] = b.c[1] = (uint8_t)st.g;
  a.c[2] = b.c[2] = (uint8_t)st.b;
  a.c[3] = b.c[3] = (uint8_t)st.alpha8;
  current.lines++;
  QueueLine(EffectiveBlend(st.blend), width, ends);
}

// Draws what is pending the old way, then sends later draws the new way.
void GLSetBatching(RenderBatching mode) {
  Flush();
  batching = mode;
}

RenderStats GLStats() { return last; }

// Reads back the picture drawn so far (before Flip), 800x600, top row first;
// a scaled picture is sampled back down to its logical size.
bool GLReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) {
  Flush();
  int dw, dh;
  GLDrawableSize(&dw, &dh);
  std::vector<uint8_t> raw((size_t)viewport.w * viewport.h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(viewport.x, dh - viewport.y - viewport.h, viewport.w, viewport.h, GL_RGBA,
               GL_UNSIGNED_BYTE, raw.data());
  width = PICTURE_W;
  height = PICTURE_H;
  PictureFromReadback(raw, viewport, rgba);
  return true;
}

const RenderBackend glbackend = {"opengl",        GLOpen,      GLClose,    GLCls,
                                 GLFlip,          GLSetMouseVisible,       GLDrawImage,
                                 GLDrawLine,      GLStats,     GLReadPixels,
                                 GLSetBatching};

}  // namespace

const RenderBackend* GLRenderBackend() { return &glbackend; }
