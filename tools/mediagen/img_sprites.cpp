// Sprites of the playfield: stars, the ship and its effects, bullets, bomb,
// particles and the ten enemy kinds. All but the ship are white so that the
// game's tint colours them.
#include <cmath>
#include <string>

#include "img_art.h"

namespace {

constexpr float kDeg = 3.14159265f / 180.f;

Vec2 Polar(Vec2 c, float r, float deg) { return {c.x + r * std::cos(deg * kDeg), c.y + r * std::sin(deg * kDeg)}; }

// Rotates a shape given around the origin by deg and moves it to c.
Polyline Place(const Polyline& p, Vec2 c, float deg = 0) { return Map(Translate(c.x, c.y) * RotateXf(deg), p); }

// Radial spokes from r0 to r1, n of them starting at a0.
void Spokes(Mask& m, Vec2 c, int n, float r0, float r1, float a0, float width, float level = 1.f) {
  for (int i = 0; i < n; i++) {
    float a = a0 + 360.f * i / n;
    StrokeLine(m, Polar(c, r0, a), Polar(c, r1, a), width, level);
  }
}

// Outline plus a faint inside, the look of every enemy hull.
void Hull(Mask& m, const Polyline& p, float width, float fill = 0.22f) {
  FillPoly(m, p, fill);
  StrokePoly(m, p, width, true);
}

}  // namespace

Image MakeStar(int n) {
  if (n == 1) {  // far: a soft point
    Mask m(8, 8);
    SoftDot(m, {4, 4}, 0.9f);
    return WhiteFromMask(m);
  }
  if (n == 2) {  // middle: a small four-point sparkle (also the splash's spark)
    Mask m(12, 12);
    SoftDot(m, {6, 6}, 1.1f);
    StrokeLine(m, {6, 1.5f}, {6, 10.5f}, 0.8f, 0.7f);
    StrokeLine(m, {1.5f, 6}, {10.5f, 6}, 0.8f, 0.7f);
    return NeonWhite(m, 0.8f, 0.4f);
  }
  Mask m(16, 16);  // near: a bright flare with long rays
  SoftDot(m, {8, 8}, 1.3f);
  StrokeLine(m, {8, 1}, {8, 15}, 0.9f, 0.8f);
  StrokeLine(m, {1, 8}, {15, 8}, 0.9f, 0.8f);
  StrokeLine(m, {4.5f, 4.5f}, {11.5f, 11.5f}, 0.6f, 0.4f);
  StrokeLine(m, {11.5f, 4.5f}, {4.5f, 11.5f}, 0.6f, 0.4f);
  return NeonWhite(m, 1.f, 0.4f);
}

// The ship's swept-claw hull, shared with the award icons.
Polyline ShipHull() { return {{0, -15}, {5, -3}, {13, 12}, {5, 7}, {0, 10}, {-5, 7}, {-13, 12}, {-5, -3}}; }

Image MakePlayer() {
  // A swept claw, nose up, white-hot hull with a cyan glow and amber engines.
  const int S = 40;
  Vec2 c{20, 20};
  Mask h(S, S), detail(S, S), engine(S, S);
  Polyline ph = Place(ShipHull(), c);
  FillPoly(h, ph, 0.18f);
  StrokePoly(h, ph, 1.9f, true);
  StrokeLine(detail, {c.x, c.y - 8}, {c.x, c.y + 1}, 1.3f);
  StrokeLine(engine, {c.x - 8, c.y + 8}, {c.x - 4, c.y + 6}, 1.6f);
  StrokeLine(engine, {c.x + 8, c.y + 8}, {c.x + 4, c.y + 6}, 1.6f);
  Light l(S, S);
  AddNeon(l, h, {0.35f, 0.95f, 1.f}, 1.6f, 0.9f, 0.55f);
  AddNeon(l, detail, {0.6f, 1.f, 1.f}, 1.2f, 0.5f, 0.6f);
  AddNeon(l, engine, {1.f, 0.6f, 0.15f}, 1.4f, 0.9f, 0.3f);
  return FromLight(l);
}

Image MakePlayerSight() {
  Mask m(24, 24);
  Vec2 c{12, 12};
  StrokeCircle(m, c, 5.5f, 1.4f);
  Spokes(m, c, 4, 7.5f, 11.f, 0, 1.4f);
  FillCircle(m, c, 1.f, 0.8f);
  return NeonWhite(m, 1.f, 0.5f);
}

Image MakePlayerShield() {
  // A bubble around the ship: a rim and a faint lattice of hexagons inside.
  const int S = 48;
  Vec2 c{24, 24};
  Mask m(S, S);
  StrokeCircle(m, c, 20.5f, 1.8f);
  Mask lattice(S, S);
  const float r = 6.f;
  for (int row = -5; row <= 5; row++)
    for (int col = -5; col <= 5; col++) {
      float x = c.x + col * r * 1.732f + (row & 1) * r * 0.866f, y = c.y + row * r * 1.5f;
      if (std::hypot(x - c.x, y - c.y) > 15.f) continue;
      Polyline hex;
      for (int k = 0; k < 6; k++) hex.push_back(Polar({x, y}, r * 0.92f, 30 + 60 * k));
      StrokePoly(lattice, hex, 0.7f, true, 0.22f);
    }
  // The lattice brightens toward the rim, like a lit sphere.
  for (int y = 0; y < S; y++)
    for (int x = 0; x < S; x++) {
      float d = std::hypot(x + 0.5f - c.x, y + 0.5f - c.y) / 20.f;
      lattice.At(x, y) *= 0.4f + 0.6f * d * d;
    }
  MaxInto(m, lattice);
  return NeonWhite(m, 1.4f, 0.7f);
}

Image MakePlayerRez(int n) {
  if (n == 1 || n == 2) {
    // Two broken rings that spin against each other as they close in.
    Mask m(32, 32);
    Vec2 c{16, 16};
    if (n == 1) {
      for (int k = 0; k < 3; k++) StrokeArc(m, c, 12.5f, k * 120.f, k * 120.f + 80.f, 1.8f);
    } else {
      for (int k = 0; k < 6; k++) {
        StrokeArc(m, c, 10.f, k * 60.f, k * 60.f + 30.f, 1.5f);
        StrokeLine(m, Polar(c, 10.f, k * 60.f + 45.f), Polar(c, 13.5f, k * 60.f + 45.f), 1.2f);
      }
    }
    return NeonWhite(m, 1.2f, 0.6f);
  }
  if (n == 3) {  // an expanding thin ring
    Mask m(32, 32);
    StrokeCircle(m, {16, 16}, 13.f, 1.2f);
    return NeonWhite(m, 1.f, 0.6f);
  }
  if (n == 4) {  // the death ring: jagged, with sparks around it
    Mask m(32, 32);
    Vec2 c{16, 16};
    Polyline zig;
    for (int k = 0; k <= 24; k++) zig.push_back(Polar(c, (k & 1) ? 11.f : 13.f, k * 15.f));
    StrokePoly(m, zig, 1.1f);
    return NeonWhite(m, 1.f, 0.6f);
  }
  // 5: the death flash, a starburst of rays of uneven length.
  Mask m(64, 64);
  Vec2 c{32, 32};
  static const float kLen[16] = {29, 18, 24, 15, 27, 20, 23, 16, 29, 17, 25, 14, 26, 19, 22, 16};
  for (int k = 0; k < 16; k++) StrokeLine(m, Polar(c, 4, k * 22.5f), Polar(c, kLen[k], k * 22.5f), 1.3f);
  SoftDot(m, c, 4.f);
  return NeonWhite(m, 1.5f, 0.7f);
}

Image MakeThrust() {
  Mask m(16, 16);
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) {
      float dx = (x + 0.5f - 8) / 2.4f, dy = (y + 0.5f - 8) / 4.f;
      m.At(x, y) = std::exp(-(dx * dx + dy * dy) * 0.5f);
    }
  return WhiteFromMask(m);
}

Image MakeBomb() {
  // The bomb's shock ring, drawn at radius / 64: its rim touches the edge of
  // the 128-pixel picture, with the glow and a faint wake on the inside.
  const int S = 128;
  Vec2 c{64, 64};
  Mask m(S, S);
  StrokeCircle(m, c, 61.5f, 3.f);
  Mask glow = Blur(m, 3.f);
  AddInto(m, glow, 0.8f);
  for (int y = 0; y < S; y++)
    for (int x = 0; x < S; x++) {
      float d = std::hypot(x + 0.5f - c.x, y + 0.5f - c.y);
      if (d < 60 && d > 30) m.At(x, y) += 0.18f * std::pow((d - 30) / 30.f, 2.f);
      if (d > 63.5f) m.At(x, y) = 0;
    }
  return WhiteFromMask(m);
}

Image MakePlayerBullet() {
  // A slim bolt pointing up, brightest at its head.
  Mask m(16, 32);
  StrokeLine(m, {8, 7}, {8, 26}, 2.4f, 0.75f);
  StrokeLine(m, {8, 5}, {8, 12}, 3.4f);
  return NeonWhite(m, 1.5f, 0.7f);
}

Image MakePart(int n) {
  if (n == 1) {  // a spark streak, along the picture's height
    Mask m(8, 16);
    StrokeLine(m, {4, 3}, {4, 13}, 1.4f);
    return NeonWhite(m, 1.f, 0.5f);
  }
  Mask m(16, 16);
  SoftDot(m, {8, 8}, 2.5f);
  return WhiteFromMask(m);
}

Image MakePartEx(int n) {
  Mask m(64, 64);
  Vec2 c{32, 32};
  if (n == 1) {  // a clean thin shock ring
    StrokeCircle(m, c, 28.f, 1.3f);
    return NeonWhite(m, 1.2f, 0.6f);
  }
  // 2: a ring of debris dashes around a faint ring
  StrokeCircle(m, c, 26.f, 0.8f, 0.5f);
  for (int k = 0; k < 20; k++) {
    float a = k * 18.f + (k & 1) * 7.f, r0 = (k % 3 == 0) ? 20.f : 23.f;
    StrokeLine(m, Polar(c, r0, a), Polar(c, 29.f, a), 1.3f);
  }
  return NeonWhite(m, 1.2f, 0.6f);
}

Image MakeEnemy(const std::string& stem) {
  if (stem == "nme01") {  // Wanderer: a four-bladed pinwheel that spins
    Mask m(40, 40);
    Vec2 c{20, 20};
    for (int k = 0; k < 4; k++) Hull(m, Place({{0, 0}, {13, -2}, {6, -9}}, c, 90.f * k), 1.7f);
    FillCircle(m, c, 2.f, 0.9f);
    return NeonWhite(m, 1.4f, 0.7f);
  }
  if (stem == "nme02") {  // Chaser: a clipped square holding a turned one
    Mask m(40, 40);
    Vec2 c{20, 20};
    Hull(m, Place({{-8, -12}, {8, -12}, {12, -8}, {12, 8}, {8, 12}, {-8, 12}, {-12, 8}, {-12, -8}}, c), 1.8f, 0.15f);
    Hull(m, Place({{0, -7}, {7, 0}, {0, 7}, {-7, 0}}, c), 1.5f, 0.35f);
    return NeonWhite(m, 1.4f, 0.7f);
  }
  if (stem == "nme03") {  // Splitter: three joined cells, the three Splinters to come
    Mask m(40, 40);
    Vec2 c{20, 20};
    Polyline tri;
    for (int k = 0; k < 3; k++) tri.push_back(Polar(c, 6.5f, -90 + 120.f * k));
    StrokePoly(m, tri, 1.2f, true, 0.7f);
    for (const Vec2& p : tri) {
      FillCircle(m, p, 5.5f, 0.2f);
      StrokeCircle(m, p, 5.2f, 1.6f);
    }
    return NeonWhite(m, 1.4f, 0.7f);
  }
  if (stem == "nme04") {  // Splinter: one cell with three barbs
    Mask m(32, 32);
    Vec2 c{16, 16};
    FillCircle(m, c, 4.5f, 0.25f);
    StrokeCircle(m, c, 4.5f, 1.5f);
    for (int k = 0; k < 3; k++) StrokePoly(m, {Polar(c, 4.5f, 120.f * k - 20), Polar(c, 9.5f, 120.f * k), Polar(c, 4.5f, 120.f * k + 20)}, 1.3f);
    return NeonWhite(m, 1.2f, 0.7f);
  }
  if (stem == "nme05") {  // Dodger: two crossed squares, an eight-point star
    Mask m(40, 40);
    Vec2 c{20, 20};
    Polyline star;
    for (int k = 0; k < 16; k++) star.push_back(Polar(c, (k & 1) ? 8.f : 13.f, k * 22.5f));
    Hull(m, star, 1.6f, 0.15f);
    StrokeCircle(m, c, 3.5f, 1.3f);
    return NeonWhite(m, 1.4f, 0.7f);
  }
  if (stem == "nme06") {  // Weaver: a small bow tie that rocks
    Mask m(32, 32);
    Vec2 c{16, 16};
    Hull(m, Place({{0, 0}, {-9, -7}, {-9, 7}}, c), 1.5f, 0.3f);
    Hull(m, Place({{0, 0}, {9, -7}, {9, 7}}, c), 1.5f, 0.3f);
    StrokeLine(m, {c.x, c.y - 8}, {c.x, c.y + 8}, 1.2f, 0.8f);
    return NeonWhite(m, 1.2f, 0.7f);
  }
  if (stem == "nme07") {  // Snake head: a ringed hexagon with an eye
    Mask m(40, 40);
    Vec2 c{20, 20};
    Polyline hex;
    for (int k = 0; k < 6; k++) hex.push_back(Polar(c, 12.f, 60.f * k));
    Hull(m, hex, 1.8f, 0.15f);
    StrokeCircle(m, c, 6.f, 1.3f);
    FillCircle(m, c, 2.2f);
    return NeonWhite(m, 1.4f, 0.7f);
  }
  if (stem == "nme07b") {  // Snake segment: a vertebra, its axis along the trail
    Mask m(24, 24);
    Vec2 c{12, 12};
    StrokeCircle(m, c, 4.5f, 1.4f);
    StrokeLine(m, {c.x - 9.5f, c.y + 2}, {c.x - 5, c.y}, 1.4f);
    StrokeLine(m, {c.x + 9.5f, c.y + 2}, {c.x + 5, c.y}, 1.4f);
    return NeonWhite(m, 1.2f, 0.6f);
  }
  if (stem == "nme08") {  // Spawnling: a small sun mine
    Mask m(40, 40);
    Vec2 c{20, 20};
    FillCircle(m, c, 5.5f, 0.3f);
    StrokeCircle(m, c, 5.5f, 1.6f);
    Spokes(m, c, 8, 8.f, 12.f, 0, 1.5f);
    return NeonWhite(m, 1.3f, 0.7f);
  }
  if (stem == "nme09") {  // Shieldship: a heavy arrowhead, nose down
    Mask m(48, 48);
    Vec2 c{24, 24};
    Hull(m, Place({{0, 18}, {17, -5}, {17, -15}, {7, -8}, {0, -14}, {-7, -8}, {-17, -15}, {-17, -5}}, c), 1.9f,
         0.18f);
    StrokePoly(m, Place({{-9, -2}, {0, 9}, {9, -2}}, c), 1.3f, false, 0.8f);
    return NeonWhite(m, 1.5f, 0.7f);
  }
  if (stem == "nme09shield") {
    // Four frames of a bow shield on the top of the picture; the game turns it
    // to face the ship's front and stretches it 2 across and 3 deep, so this
    // flattened arc becomes a round one 28 pixels ahead of the hull.
    Image sheet(192, 48);
    for (int f = 0; f < 4; f++) {
      Mask m(48, 48);
      Vec2 c{24, 24};
      Polyline arc = ArcPoints(c, 14.f, 9.3f, 205, 335, 1.f);
      StrokePoly(m, arc, 1.1f);
      Polyline outer = ArcPoints(c, 16.f, 10.8f, 215, 325, 1.f);
      StrokePoly(m, outer, 0.7f, false, 0.4f);
      // Bright nodes run along the arc from frame to frame.
      for (int k = 0; k < 3; k++) {
        float a = 212 + (k * 40 + f * 10) % 120;
        SoftDot(m, {c.x + 14.f * std::cos(a * kDeg), c.y + 9.3f * std::sin(a * kDeg)}, 0.9f);
      }
      Blit(sheet, NeonWhite(m, 1.f, 0.6f), f * 48, 0);
    }
    return sheet;
  }
  if (stem == "nme10") {  // Hole core: a well of nested rings
    Mask m(64, 64);
    Vec2 c{32, 32};
    StrokeCircle(m, c, 22.f, 2.2f);
    StrokeCircle(m, c, 15.f, 1.6f, 0.75f);
    StrokeCircle(m, c, 8.5f, 1.3f, 0.55f);
    FillCircle(m, c, 3.f, 0.5f);
    for (int k = 0; k < 3; k++) StrokeArc(m, c, 18.5f, k * 120.f, k * 120.f + 50.f, 1.2f, 0.6f);
    return NeonWhite(m, 1.6f, 0.7f);
  }
  if (stem == "nme10b") {  // the fast swirl, drawn three times as large
    Mask m(32, 32);
    Vec2 c{16, 16};
    for (int k = 0; k < 3; k++) {
      Polyline arm;
      for (int i = 0; i <= 24; i++) {
        float t = i / 24.f;
        arm.push_back(Polar(c, 2.5f + 11.5f * t, k * 120.f + 150.f * t));
      }
      StrokePoly(m, arm, 1.1f, false, 0.9f);
    }
    return NeonWhite(m, 1.f, 0.6f);
  }
  // nme10c: the slow outer swirl, faint and dotted
  Mask m(32, 32);
  Vec2 c{16, 16};
  for (int k = 0; k < 18; k++) SoftDot(m, Polar(c, 13.5f, k * 20.f), 0.7f);
  for (int k = 0; k < 4; k++) {
    Polyline arm;
    for (int i = 0; i <= 16; i++) {
      float t = i / 16.f;
      arm.push_back(Polar(c, 5.f + 8.f * t, k * 90.f - 100.f * t));
    }
    StrokePoly(m, arm, 0.9f, false, 0.7f);
  }
  return NeonWhite(m, 1.f, 0.5f);
}
