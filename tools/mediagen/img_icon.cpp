// The program's icon: the ship glowing over a patch of the arena's grid on
// a rounded dark tile, drawn at each size the desktop asks for (not scaled
// from one picture, so the small ones keep crisp strokes). The window icon
// and the desktop's icons are these files.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "img_art.h"
#include "mediagen.h"

namespace {

// Inside a square of side s with corners rounded by r: 1 inside, 0 outside,
// anti-aliased over one pixel.
float RoundedSquare(float x, float y, float s, float r) {
  float dx = std::max({r - x, x - (s - r), 0.f}), dy = std::max({r - y, y - (s - r), 0.f});
  float d = std::hypot(dx, dy) - r;
  return std::clamp(0.5f - d, 0.f, 1.f);
}

Image MakeIcon(int size) {
  float s = (float)size, k = s / 64;  // drawn on a 64-unit square
  Light l(size, size);
  // A few lines of the grid behind, faint, bent toward the ship like the
  // spring grid around a rezzing ship.
  Mask grid(size, size);
  for (int i = 1; i < 4; i++) {
    float p = s * i / 4;
    StrokeLine(grid, {p, 0}, {p, s}, std::max(0.6f, k * 0.9f));
    StrokeLine(grid, {0, p}, {s, p}, std::max(0.6f, k * 0.9f));
  }
  AddLight(l, grid, {0.10f, 0.16f, 0.55f}, size <= 16 ? 0.5f : 1.f);
  // The ship, nose up, filling most of the tile.
  Polyline hull = Map(Translate(s / 2, s / 2 + 2 * k) * ScaleXf(1.7f * k, 1.7f * k), ShipHull());
  Mask body(size, size), engines(size, size);
  FillPoly(body, hull, 0.22f);
  StrokePoly(body, hull, std::max(1.1f, 2.6f * k), true);
  StrokeLine(engines, {s / 2 - 15 * k, s / 2 + 17 * k}, {s / 2 - 8 * k, s / 2 + 13 * k},
             std::max(1.f, 2.4f * k));
  StrokeLine(engines, {s / 2 + 15 * k, s / 2 + 17 * k}, {s / 2 + 8 * k, s / 2 + 13 * k},
             std::max(1.f, 2.4f * k));
  AddNeon(l, body, {0.35f, 0.95f, 1.f}, std::max(0.8f, 2.2f * k), 0.9f, 0.55f);
  AddNeon(l, engines, {1.f, 0.6f, 0.15f}, std::max(0.8f, 2.f * k), 0.9f, 0.3f);
  // The dark tile under it all: opaque, with rounded corners.
  Image img(size, size);
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) {
      const float* c = &l.c[(size_t(y) * size + x) * 3];
      uint8_t* p = img.At(x, y);
      const float base[3] = {0.02f, 0.03f, 0.09f};
      for (int ch = 0; ch < 3; ch++) p[ch] = (uint8_t)std::lround(255 * std::min(1.f, base[ch] + c[ch]));
      p[3] = (uint8_t)std::lround(255 * RoundedSquare(x + 0.5f, y + 0.5f, s, s * 0.18f));
    }
  return img;
}

}  // namespace

// Writes outdir/icons/pulsefield-N.png for every icon size.
bool GenerateIcons(const std::string& outdir) {
  for (int size : kIconSizes) {
    char name[64];
    std::snprintf(name, sizeof name, "/icons/pulsefield-%d.png", size);
    if (!WritePng(outdir + name, MakeIcon(size))) return false;
  }
  return true;
}
