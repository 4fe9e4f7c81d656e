// The spring grid behind the arena and the arena's border tiles.
#include "playfield/grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "playfield/angles.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/fatal.h"
#include "services/media.h"

gridpoint grid[GRID_COLS][GRID_ROWS];
TBank* bgmap = nullptr;
float borderphase = 0;

static constexpr int BORDER_COLS = 50, BORDER_ROWS = 34;

static constexpr float TINY_SPEED = 1e-30f;

// The node springs toward its neighbours' average and creeps back to rest.
void gridpoint::Update(float tx, float ty) {
  float lagx = tx - x, lagy = ty - y;
  dx += std::fabs(lagx) > 2 ? std::copysign(1.0f, lagx) : 0.0f;
  dy += std::fabs(lagy) > 2 ? std::copysign(1.0f, lagy) : 0.0f;
  // More than a pixel from rest: one pixel home and half a pixel a tick of
  // homeward velocity (the step keeps the sign of the offset); else home.
  float offx = ox - x, offy = oy - y;
  bool farx = std::fabs(offx) > 1, fary = std::fabs(offy) > 1;
  float homex = std::copysign(1.0f, offx), homey = std::copysign(1.0f, offy);
  x = farx ? x + homex : ox;
  y = fary ? y + homey : oy;
  dx += farx ? homex / 2 : 0.0f;
  dy += fary ? homey / 2 : 0.0f;
  dx *= 0.9f;
  dy *= 0.9f;
  // Drag would shrink a velocity forever through ever tinier values; far
  // below anything visible it is dropped so the node truly comes to rest.
  dx = std::fabs(dx) < TINY_SPEED ? 0.0f : dx;
  dy = std::fabs(dy) < TINY_SPEED ? 0.0f : dy;
  x += dx;
  y += dy;
}

// A kick from an explosion or shield; big kicks are scaled down, and a node
// pushed past about 12.65 pixels a tick has its speed folded back to 128 / v.
void gridpoint::disrupt(float ax, float ay) {
  if (std::fabs(ax) > 8) ax = ax / 16;
  if (std::fabs(ay) > 8) ay = ay / 16;
  dx += ax;
  dy += ay;
  float s = dx * dx + dy * dy;
  if (s > 160) {
    dx = dx / s * 128;
    dy = dy / s * 128;
  }
}

// Only columns 1..62 and rows 1..46 are moved by the deforming calls.
static constexpr int DEFORM_FIRST = 1, DEFORM_LAST_COL = 62, DEFORM_LAST_ROW = 46;

// A run of cell offsets lo..hi, empty when lo > hi.
struct Span {
  int lo, hi;
};

// The offsets -radius..radius from centre cell k that land on a movable cell;
// walking just these touches the same cells in the same order as walking the
// whole square and skipping the rest.
static inline Span DeformSpan(int k, int radius, int last) {
  return {std::max(-radius, DEFORM_FIRST - k), std::min(radius, last - k)};
}

// Constant-size attraction toward a point for nodes within the radius (in cells).
void gridpoint::Pull(float x, float y, int radius, float strength) {
  int c0 = (int)(x / 16), r0 = (int)(y / 16);
  Span is = DeformSpan(c0, radius, DEFORM_LAST_COL), js = DeformSpan(r0, radius, DEFORM_LAST_ROW);
  for (int i = is.lo; i <= is.hi; i++) {
    for (int j = js.lo; j <= js.hi; j++) {
      if (i * i + j * j >= radius * radius) continue;
      gridpoint& p = grid[c0 + i][r0 + j];
      float ex = p.x - x, ey = p.y - y;
      float d = std::sqrt(ex * ex + ey * ey);
      if (d == 0) continue;
      p.dx -= ex / d * strength;
      p.dy -= ey / d * strength;
    }
  }
}

// Pushes nodes away from a point in proportion to their rest offset from it.
void gridpoint::Push(float x, float y, int radius, float strength) {
  int c0 = (int)(x / 16), r0 = (int)(y / 16);
  Span is = DeformSpan(c0, radius, DEFORM_LAST_COL), js = DeformSpan(r0, radius, DEFORM_LAST_ROW);
  for (int i = is.lo; i <= is.hi; i++) {
    for (int j = js.lo; j <= js.hi; j++) {
      gridpoint& p = grid[c0 + i][r0 + j];
      float px = p.ox - x, py = p.oy - y;
      float q = px * px + py * py;
      float disp = (p.oy - p.y) * (p.oy - p.y) + (p.ox - p.x) * (p.ox - p.x);
      if (q > 1 && disp < 400 && q < 2500) {
        p.dx += px * strength;
        p.dy += py * strength;
      }
    }
  }
}

// One node's spring step from its four neighbours as they stand now.
static inline void StepNode(int c, int r) {
  float tx = (grid[c - 1][r].x + grid[c][r - 1].x + grid[c][r + 1].x + grid[c + 1][r].x) / 4;
  float ty = (grid[c - 1][r].y + grid[c][r - 1].y + grid[c][r + 1].y + grid[c + 1][r].y) / 4;
  grid[c][r].Update(tx, ty);
}

// Springs every interior node once, column by column and down each column,
// reading neighbours already updated this tick. Node (c+1, r-1) needs only
// nodes that come before (c, r) in that order and nothing (c, r) writes, so
// two columns are swept together one row apart: the same result, with two
// independent chains of arithmetic in flight instead of one.
void gridpoint::UpdateGrid() {
  for (int c = 1; c <= 63; c += 2) {
    if (c == 63) {
      for (int r = 1; r <= 47; r++) StepNode(c, r);
      break;
    }
    StepNode(c, 1);
    for (int r = 2; r <= 47; r++) {
      StepNode(c, r);
      StepNode(c + 1, r - 1);
    }
    StepNode(c + 1, 47);
  }
}

// Kicks the disc of nodes around a point outward, harder the further out.
void gridpoint::Shockwave(int x, int y) {
  int c0 = x / 16, r0 = y / 16;
  Span is = DeformSpan(c0, 3, DEFORM_LAST_COL), js = DeformSpan(r0, 3, DEFORM_LAST_ROW);
  for (int i = is.lo; i <= is.hi; i++) {
    for (int j = js.lo; j <= js.hi; j++) {
      if (i * i + j * j >= 10) continue;
      gridpoint& p = grid[c0 + i][r0 + j];
      p.disrupt((p.x - x) * 4, (p.y - y) * 4);
    }
  }
}

// Shades a cell from deep blue toward pale blue as it stretches, and draws
// its top and left edges (never along the top or left wall).
static inline void DrawCell(const gridpoint& p0, const gridpoint& p1, const gridpoint& p2,
                            const gridpoint& p3, float span, float ox0, float oy0) {
  float e = std::fmax(p2.x - p0.x - span, p2.y - p0.y - span);
  if (e < 0) e = 0;
  if (e > 90) e = 90;
  float h = SinDeg(e);
  SetColor((int)(16 + 60 * h), (int)(16 + 120 * h), (int)(192 + 64 * h));
  if (p0.y != 0) DrawLine(p0.x + ox0, p0.y + oy0, p1.x + ox0, p1.y + oy0, 0);
  if (p0.x != 0) DrawLine(p0.x + ox0, p0.y + oy0, p3.x + ox0, p3.y + oy0, 0);
}

// Paints the lattice at the grid marker: every second line at NORMAL, every
// line at HIGH, additive and shaded by stretch.
void gridpoint::DrawGridLines() {
  if (gridsetting <= 0) return;
  SetBlend(BLEND_LIGHT);
  SetScale(1, 1);
  SetRotation(0);
  bool high = gridsetting == 2;
  SetAlpha(high ? 0.4f : 0.5f);
  SetLineWidth(high ? 2.0f : 3.0f);
  float ox0 = 560 - camx, oy0 = 304 - camy;
  if (high) {
    for (int c = 0; c <= 63; c++)
      for (int r = 0; r <= 47; r++)
        DrawCell(grid[c][r], grid[c + 1][r], grid[c + 1][r + 2], grid[c][r + 1], 16, ox0, oy0);
  } else {
    for (int c = 0; c <= 62; c += 2)
      for (int r = 0; r <= 46; r += 2)
        DrawCell(grid[c][r], grid[c + 2][r], grid[c + 2][r + 2], grid[c][r + 2], 32, ox0, oy0);
  }
}

// Every node of the whole array back at rest.
void ResetGrid() {
  for (int c = 0; c < GRID_COLS; c++) {
    for (int r = 0; r < GRID_ROWS; r++) {
      gridpoint& p = grid[c][r];
      p.ox = p.x = 16.0f * c;
      p.oy = p.y = 16.0f * r;
      p.dx = p.dy = 0;
    }
  }
}

// Builds the grid over a border map and hooks the marker to the line painter.
void SetupGrid(TBank* map) {
  bgmap = map;
  ResetGrid();
  gridlinesdrawer = DrawGridLines;
}

// Reads the border map from the media folder: only the map's own bytes,
// whatever the file's size, and only from a regular file. Null (with *why)
// when it is missing, unreadable or short.
TBank* LoadBorderMap(std::string* why) {
  std::string path = ResolveMediaPath("data\\misc\\BGmap.bnk");
  std::string problem;
  TBank* map = LoadBank(path, BORDER_COLS * BORDER_ROWS, &problem);
  if (map && map->Size() < BORDER_COLS * BORDER_ROWS) {
    problem = "it is shorter than " + std::to_string(BORDER_COLS * BORDER_ROWS) + " bytes";
    delete map;
    map = nullptr;
  }
  if (!map && why) *why = "cannot load the border map \"" + path + "\": " + problem;
  return map;
}

// Loads the border map and builds the grid (start-up); the game cannot frame
// its arena without the map, so a missing, unreadable or short file ends the
// program.
void CreateGrid() {
  std::string why;
  TBank* map = LoadBorderMap(&why);
  if (!map) FatalError(why + "; build the media or pass --datadir");
  SetupGrid(map);
}

// The border image of a tile code, or null for codes that draw nothing.
static TImage* BorderImage(int code) {
  switch (code) {
    case 1: return border01img;
    case 2: return border02img;
    case 3: return border03img;
    case 4: return border04img;
    case 5: return border05img;
    case 6: return border06img;
    case 8: return border08img;
    case 9: return border09img;
    default: return nullptr;
  }
}

// Code 1..6, 8 or 9 is a tile; everything else draws nothing.
static inline bool DrawsTile(int code) { return code >= 1 && code <= 9 && code != 7; }

// Queues the visible border tiles, all pulsing together, then the grid marker.
void DrawBorder() {
  float alpha = SinDeg(borderphase) / 3 + 0.5f;
  int icx = (int)camx, icy = (int)camy;
  for (int i = 0; i < BORDER_ROWS; i++) {
    int sy = 32 * i - icy;
    if (!(sy > -80 && sy < 600)) continue;
    for (int j = 0; j < BORDER_COLS; j++) {
      int sx = 32 * j - icx;
      if (!(sx > -48 && sx < 800)) continue;
      int code = PeekByte(bgmap, BORDER_COLS * i + j);
      if (!DrawsTile(code)) continue;
      AddDraw(BorderImage(code), (float)(sx + 32), (float)(sy + 64), 0, 255, 255, 255, alpha, 0, 1, 1,
              BLEND_LIGHT);
    }
  }
  borderphase = std::fmod(borderphase + 8, 360.0f);
  if (gridsetting > 0)
    AddDraw(border07img, 0, 0, 0, GRID_MARKER, GRID_MARKER, GRID_MARKER, 1, 0, 1, 1, BLEND_LIGHT);
}
