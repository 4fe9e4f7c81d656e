// Lettering and interface pictures: the font sheets, menu panel pieces, HUD
// labels and digits, the multiplier banner, the title logo and the awards.
#include <algorithm>
#include <cmath>
#include <string>

#include "img_art.h"

namespace {

constexpr float kGlyphStroke = 2.2f;  // neon tube width of the font, pixels
constexpr float kGlyphLeft = 2.f;     // glyph x 0 sits this far into its cell
constexpr float kGlyphTop = 5.f;      // cap top within the 32-pixel cell

// Horizontal squeeze of a glyph so its ink (tube included) leaves a gap of
// about two pixels before the next glyph at the font's advance.
float GlyphSqueeze(int code) {
  float design = GlyphInkWidth(code);
  if (design <= 0) return 1.f;
  float room = kFontAdvance[code - 32] - kGlyphStroke - 2.4f;
  return std::clamp(room / design, 0.05f, 1.f);
}

// Draws a glyph's strokes and fills into a mask through xf.
void DrawGlyph(Mask& m, int code, const Xf& xf, float width) {
  for (const Polyline& f : GlyphFills(code)) FillPoly(m, Map(xf, f), 0.35f);
  for (const Polyline& p : GlyphPaths(code)) {
    Polyline q = Map(xf, p);
    if (q.size() == 1)
      FillCircle(m, q[0], width * 0.75f);
    else
      StrokePoly(m, q, width);
  }
}

// Stroke text centred on (cx, cy) with the given cap height.
float CentredText(Mask& m, const std::string& text, float cx, float cy, float cap, float width,
                  float gap = 5.f, float squeeze = 1.f) {
  float s = cap / 20.f;
  float w = TextWidth(text, gap) * s * squeeze;
  StrokeText(m, text, Translate(cx - w / 2, cy - cap / 2) * ScaleXf(s * squeeze, s), width, gap);
  return w;
}

// Subtracts the inner tube from an outer one, leaving a hollow neon outline.
void Hollow(Mask& outer, const Mask& inner) {
  for (size_t i = 0; i < outer.v.size(); i++) outer.v[i] = std::max(0.f, outer.v[i] - inner.v[i]);
}

// A regular polygon's corners around (cx, cy), first corner at angle a0.
Polyline Ngon(float cx, float cy, float r, int n, float a0) {
  Polyline p;
  for (int i = 0; i < n; i++) {
    float a = (a0 + 360.f * i / n) * 3.14159265f / 180.f;
    p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return p;
}

// A small ship outline (nose up) used by the award icons.
Polyline ShipShape(float cx, float cy, float s) {
  return Map(Translate(cx, cy) * ScaleXf(s * 0.6f, s * 0.6f), ShipHull());
}

}  // namespace

Image NeonWhite(const Mask& core, float glowsigma, float glow) {
  return WhiteFromMask(Neon(core, glowsigma, glow));
}

Image NeonColour(const Mask& core, Col col, float glowsigma, float glow) {
  Light l(core.w, core.h);
  AddNeon(l, core, col, glowsigma, glow);
  return FromLight(l);
}

Image MakeFont() {
  Image sheet(320, 320);
  for (int code = 32; code <= 131; code++) {
    Mask m(32, 32);
    Xf xf = Translate(kGlyphLeft, kGlyphTop) * ScaleXf(GlyphSqueeze(code), 1.f);
    DrawGlyph(m, code, xf, kGlyphStroke);
    Mask n = m;
    AddInto(n, Blur(m, 1.2f), 0.55f);
    AddInto(n, Blur(m, 2.6f), 0.3f);
    int i = code - 32;
    Blit(sheet, WhiteFromMask(n), (i % 10) * 32, (i / 10) * 32);
  }
  return sheet;
}

Image MakeFontSmall() {
  // 768 cells of 8 by 8: three banks of the 256 codes in the dot font.
  Image sheet(256, 192);
  for (int i = 0; i < 768; i++) {
    Image cell(8, 8);
    std::string s(1, char(i % 256 >= 32 && i % 256 < 127 ? i % 256 : ' '));
    DrawLabel(cell, 1, 0, s, 255, 255, 255);
    Blit(sheet, cell, (i % 32) * 8, (i / 32) * 8);
  }
  return sheet;
}

Image MakeMenuBar() {
  // Drawn 100 times as wide: 8 columns whose clear end columns fade the bar
  // in and out over 100 pixels at each end, so that it spans the 640-pixel
  // menu panel (half bright at 600, faint to 700) and no further.
  static const float kCol[8] = {0, 1, 1, 1, 1, 1, 1, 0};
  static const float kRow[3] = {0.4f, 1, 0.4f};
  Image img(8, 3);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 8; x++) {
      uint8_t* p = img.At(x, y);
      p[0] = p[1] = p[2] = 255;
      p[3] = uint8_t(255 * kCol[x] * kRow[y]);
    }
  return img;
}

Image MakeWhite() {
  Image img(16, 16);
  std::fill(img.px.begin(), img.px.end(), 255);
  return img;
}

Image MakeWhite2() {
  // The menu panel, drawn 8 times as wide and (lines + 1) times as tall:
  // 80 by 32 gives 640 pixels across and 32 per line. A slightly softer
  // outer column keeps the scaled edge smooth.
  Image img(80, 32);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 80; x++) {
      uint8_t* p = img.At(x, y);
      p[0] = p[1] = p[2] = 255;
      p[3] = (x == 0 || x == 79) ? 160 : 255;
    }
  return img;
}

Image MakeScoreLabel() {
  Mask m(96, 24);
  CentredText(m, "SCORE", 48, 12, 10, 1.6f, 6.f);
  return NeonWhite(m, 1.2f, 0.6f);
}

Image MakeScoreHighLabel() {
  Mask m(144, 24);
  CentredText(m, "HIGH SCORE", 72, 12, 10, 1.6f, 6.f);
  return NeonWhite(m, 1.2f, 0.6f);
}

Image MakeScoreNumbers() {
  Image sheet(80, 16);
  for (int d = 0; d < 10; d++) {
    Mask m(8, 16);
    Xf xf = Translate(1.4f, 2.f) * ScaleXf(0.44f, 0.58f);
    DrawGlyph(m, '0' + d, xf, 1.3f);
    Mask n = m;
    AddInto(n, Blur(m, 0.9f), 0.45f);
    Blit(sheet, WhiteFromMask(n), d * 8, 0);
  }
  return sheet;
}

Image MakeScoreBomb() {
  Mask m(24, 24);
  StrokeCircle(m, {12, 12}, 7.5f, 1.8f);
  StrokeCircle(m, {12, 12}, 3.5f, 1.2f, 0.8f);
  for (int i = 0; i < 4; i++) {
    float a = (45 + 90 * i) * 3.14159265f / 180.f;
    StrokeLine(m, {12 + 9.5f * std::cos(a), 12 + 9.5f * std::sin(a)},
               {12 + 11.f * std::cos(a), 12 + 11.f * std::sin(a)}, 1.4f, 0.9f);
  }
  return NeonWhite(m, 1.2f, 0.6f);
}

Image MakeMultiplier() {
  // Nine 152 by 32 banners "x2" .. "x10" between neon chevrons.
  Image sheet(152, 32 * 9);
  for (int f = 0; f < 9; f++) {
    Mask m(152, 32);
    std::string t = "x" + std::to_string(f + 2);
    float w = CentredText(m, t, 76, 16.5f, 20, 2.4f, 4.f, 1.f);
    float l = 76 - w / 2 - 14, r = 76 + w / 2 + 14;
    for (int k = 0; k < 3; k++) {
      float o = k * 9.f, lv = 1.f - 0.25f * k;
      StrokePoly(m, {{l - o, 6}, {l - o - 9, 16}, {l - o, 26}}, 2.f, false, lv);
      StrokePoly(m, {{r + o, 6}, {r + o + 9, 16}, {r + o, 26}}, 2.f, false, lv);
    }
    Blit(sheet, NeonWhite(m, 1.6f, 0.7f), 0, f * 32);
  }
  return sheet;
}

Image MakeTitleLogo() {
  // PULSEFIELD in hollow neon tubes over a heartbeat trace.
  const int W = 640, H = 112;
  Mask outer(W, H), inner(W, H);
  const std::string name = "PULSEFIELD";
  float s = 1.95f, gap = 7.f;
  float w = TextWidth(name, gap) * s;
  Xf xf = Translate((W - w) / 2, 14) * ScaleXf(s, s);
  StrokeText(outer, name, xf, 7.f, gap);
  StrokeText(inner, name, xf, 3.f, gap);
  Hollow(outer, inner);
  // The pulse: flat, a sharp beat under the middle, flat again.
  float y0 = 84;
  Polyline trace = {{24, y0}, {250, y0}, {262, y0 - 6}, {274, y0}, {292, y0}, {302, y0 + 10},
                    {316, y0 - 26}, {332, y0 + 18}, {344, y0}, {362, y0}, {374, y0 - 8},
                    {388, y0}, {616, y0}};
  Mask line(W, H);
  StrokePoly(line, trace, 2.2f);
  // The trace fades out toward both ends.
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      float t = std::min(1.f, std::min(x - 24.f, 616.f - x) / 140.f);
      line.At(x, y) *= std::max(0.f, t);
    }
  MaxInto(outer, line);
  return NeonWhite(outer, 2.f, 0.8f);
}

Image MakeAward(AwardIndex award) {
  // 64 by 64 badges: score awards in a hexagon ("c" ones, no life lost, in a
  // double ring with a star), the others a symbol of their feat.
  Mask m(64, 64);
  const float c = 32;
  auto hexframe = [&] { StrokePoly(m, Ngon(c, c, 29, 6, -90), 2.f, true); };
  auto ringframe = [&] {
    StrokeCircle(m, {c, c}, 28.5f, 2.f);
    StrokeCircle(m, {c, c}, 24.5f, 1.f, 0.6f);
    StrokePoly(m, Ngon(c, 6.5f, 3.5f, 5, -90), 1.2f, true);
  };
  static const char* kScores[4] = {"100k", "250k", "500k", "1M"};
  switch (award) {
    case AWARD_PANSY:  // bomb set off with the shield up: a shielded ship inside a blast
      StrokePoly(m, ShipShape(c, c + 1, 1.25f), 1.8f, true);
      StrokeCircle(m, {c, c}, 15, 1.6f, 0.8f);
      for (int i = 0; i < 12; i++) {
        float a = i * 30 * 3.14159265f / 180.f;
        StrokeLine(m, {c + 20 * std::cos(a), c + 20 * std::sin(a)},
                   {c + 28 * std::cos(a), c + 28 * std::sin(a)}, 1.8f);
      }
      break;
    case AWARD_SUCKER:  // bomb with nothing to hit: an empty blast ring around a zero
      StrokeCircle(m, {c, c}, 27, 2.2f);
      StrokeCircle(m, {c, c}, 22, 1.f, 0.5f);
      CentredText(m, "0", c, c, 20, 2.2f);
      break;
    case AWARD_NOSHOOT:  // a minute without firing: a crossed-out bullet
      StrokeCircle(m, {c, c}, 27, 2.2f);
      StrokeLine(m, {c - 19, c + 19}, {c + 19, c - 19}, 2.2f);
      StrokePoly(m, {{c - 4, c + 14}, {c - 4, c - 6}, {c, c - 15}, {c + 4, c - 6}, {c + 4, c + 14}},
                 1.8f, true);
      break;
    case AWARD_100T: case AWARD_250T: case AWARD_500T: case AWARD_1000T:
      hexframe();
      CentredText(m, kScores[award - AWARD_100T], c, c, 13, 1.7f, 3.f);
      break;
    case AWARD_100C: case AWARD_250C: case AWARD_500C: case AWARD_1000C:
      ringframe();
      CentredText(m, kScores[award - AWARD_100C], c, c + 2, 13, 1.7f, 3.f);
      break;
    case AWARD_QUARTER:  // nine bombs: a nine among bomb rings
      hexframe();
      CentredText(m, "9", c, c - 3, 20, 2.2f);
      for (int i = -1; i <= 1; i++) StrokeCircle(m, {c + 11.f * i, c + 16}, 3.5f, 1.3f);
      break;
    case AWARD_SKILL:  // nine lives: a ship over "x9"
      hexframe();
      StrokePoly(m, ShipShape(c, c - 7, 1.15f), 1.7f, true);
      CentredText(m, "x9", c, c + 13, 11, 1.7f, 3.f);
      break;
    case AWARD_MULTI:  // multiplier ten
    default:
      StrokePoly(m, Ngon(c, c, 29, 8, -90 + 22.5f), 2.f, true);
      CentredText(m, "x10", c, c, 16, 2.f, 3.f);
      break;
  }
  return NeonWhite(m, 1.6f, 0.7f);
}
