// The arena's border tiles. The border is one picture around the arena: a
// bright cyan tube exactly on the wall and a thinner violet tube 8 pixels
// outside it, the outer one chamfered at the corners. Every tile is 64 by 64,
// centred 16 pixels outside the wall, and holds only its own 32-pixel stretch
// of that picture, so that neighbouring tiles, added together by the game's
// additive blending, join without seams.
//
// Tile codes: 1 top-left corner, 2 top edge, 3 top-right corner, 4 left edge,
// 5 right edge, 6 bottom-left corner, 8 bottom edge, 9 bottom-right corner;
// 7 is the grid marker's picture, which is never drawn.
#include <cmath>

#include "img_art.h"

namespace {

const Col kWall{0.25f, 0.72f, 1.f};
const Col kOuter{0.6f, 0.3f, 1.f};

// Lights the wall tube and the outer tube into masks and then into light.
Light BorderLight(const Mask& wall, const Mask& outer) {
  Light l(wall.w, wall.h);
  AddNeon(l, wall, kWall, 2.f, 0.9f, 0.5f);
  AddNeon(l, outer, kOuter, 1.6f, 0.7f, 0.3f);
  return l;
}

// The top edge seen from above: the wall at picture row 48 (world y 304 for a
// tile centred at 288) and the outer tube at row 40, cut to columns 16..47.
Image TopEdge() {
  const int W = 192;
  Mask wall(W, 64), outer(W, 64);
  StrokeLine(wall, {-8, 48}, {W + 8.f, 48}, 2.6f);
  StrokeLine(outer, {-8, 40}, {W + 8.f, 40}, 1.5f, 0.75f);
  Light l = BorderLight(wall, outer);
  Light t(64, 64);
  for (int y = 0; y < 64; y++)
    for (int x = 16; x < 48; x++)
      for (int k = 0; k < 3; k++) t.c[(size_t(y) * 64 + x) * 3 + k] = l.c[(size_t(y) * W + x + 64) * 3 + k];
  return FromLight(t);
}

// The top-left corner: the tile centred 16 pixels outside both walls keeps
// the quadrant outside the arena corner.
Image TopLeftCorner() {
  // Window of 192 by 192 with the arena corner at (96, 96).
  const int W = 192;
  const float o = 96;
  Mask wall(W, W), outer(W, W);
  StrokePoly(wall, {{W + 8.f, o}, {o, o}, {o, W + 8.f}}, 2.6f);
  StrokePoly(outer, {{W + 8.f, o - 8}, {o - 3, o - 8}, {o - 8, o - 3}, {o - 8, W + 8.f}}, 1.5f, false, 0.75f);
  FillCircle(wall, {o - 8, o - 8}, 1.6f, 0.8f);  // a rivet of light in the corner
  Light l = BorderLight(wall, outer);
  // The tile's picture covers window pixels 48..111; it keeps x, y < 96.
  Light t(64, 64);
  for (int y = 0; y < 48; y++)
    for (int x = 0; x < 48; x++)
      for (int k = 0; k < 3; k++) t.c[(size_t(y) * 64 + x) * 3 + k] = l.c[(size_t(y + 48) * W + x + 48) * 3 + k];
  return FromLight(t);
}

// Mirror and transpose helpers for the other sides.
Image FlipX(const Image& s) {
  Image d(s.w, s.h);
  for (int y = 0; y < s.h; y++)
    for (int x = 0; x < s.w; x++)
      for (int k = 0; k < 4; k++) d.At(s.w - 1 - x, y)[k] = s.At(x, y)[k];
  return d;
}

Image FlipY(const Image& s) {
  Image d(s.w, s.h);
  for (int y = 0; y < s.h; y++)
    for (int x = 0; x < s.w; x++)
      for (int k = 0; k < 4; k++) d.At(x, s.h - 1 - y)[k] = s.At(x, y)[k];
  return d;
}

Image Transpose(const Image& s) {
  Image d(s.h, s.w);
  for (int y = 0; y < s.h; y++)
    for (int x = 0; x < s.w; x++)
      for (int k = 0; k < 4; k++) d.At(y, x)[k] = s.At(x, y)[k];
  return d;
}

}  // namespace

Image MakeBorder(int code) {
  switch (code) {
    case 1: return TopLeftCorner();
    case 2: return TopEdge();
    case 3: return FlipX(TopLeftCorner());
    case 4: return Transpose(TopEdge());
    case 5: return FlipX(Transpose(TopEdge()));
    case 6: return FlipY(TopLeftCorner());
    case 8: return FlipY(TopEdge());
    case 9: return FlipX(FlipY(TopLeftCorner()));
    default: {
      // 7: the grid marker's picture, a small lattice crossing.
      Mask m(16, 16);
      StrokeLine(m, {8, 1}, {8, 15}, 1.2f);
      StrokeLine(m, {1, 8}, {15, 8}, 1.2f);
      return NeonColour(m, {0.1f, 0.1f, 0.75f}, 1.f, 0.5f);
    }
  }
}

int BorderCode(int row, int col) {
  // Tile (row, col) is centred at world (32 col + 32, 32 row + 64): rows 7 and
  // 32 lie just above and below the arena (y 304..1072), columns 16 and 49
  // just left and right of it (x 560..1584).
  const int top = 7, bottom = 32, left = 16, right = 49;
  bool onrow = row == top || row == bottom, oncol = col == left || col == right;
  bool inrows = row > top && row < bottom, incols = col > left && col < right;
  if (onrow && oncol) return row == top ? (col == left ? 1 : 3) : (col == left ? 6 : 9);
  if (onrow && incols) return row == top ? 2 : 8;
  if (oncol && inrows) return col == left ? 4 : 5;
  return 0;
}
