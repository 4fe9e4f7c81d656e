// Pictures of the two intros: our group's logo (three wire arcs beside the
// name MOTHWIRE and its tagline) and our engine's splash (the words GLOW and
// LATHE sliding together over a dark field, underlined by a running light).
//
// Screen layout they are made for: the group arc is drawn centred at
// (328, 308), its wipe mask at (328 + 64 .. 328 - 116, 308) twice as wide,
// the name at (412, 300) and the tagline at (412, 324); the splash pictures
// at (400, 300), the light line sliding from x 144 to 400 and the cover at
// (180, 300) hiding the part of the line left of x 292.
#include <algorithm>
#include <cmath>

#include "img_art.h"

namespace {

constexpr float kDeg = 3.14159265f / 180.f;

// Light of a mask whose colour varies across the picture.
template <typename F>
void AddNeonShaded(Light& l, const Mask& core, F colour, float sigma, float glow) {
  Mask g1 = Blur(core, sigma), g2 = Blur(core, sigma * 3);
  for (int y = 0; y < l.h; y++)
    for (int x = 0; x < l.w; x++) {
      size_t i = size_t(y) * l.w + x;
      Col c = colour(x, y);
      float hot = core.v[i], glo = g1.v[i] * glow + g2.v[i] * glow * 0.5f;
      l.c[i * 3] += (c.r + (1 - c.r) * 0.45f) * hot + c.r * glo;
      l.c[i * 3 + 1] += (c.g + (1 - c.g) * 0.45f) * hot + c.g * glo;
      l.c[i * 3 + 2] += (c.b + (1 - c.b) * 0.45f) * hot + c.b * glo;
    }
}

Col Mix(Col a, Col b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// The splash's dark field: a deep blue glow in the middle fading to black,
// with a faint lattice of points. Opaque.
Image SplashBackground() {
  Image img(800, 600);
  for (int y = 0; y < 600; y++)
    for (int x = 0; x < 800; x++) {
      float dx = (x + 0.5f - 400) / 420.f, dy = (y + 0.5f - 300) / 320.f;
      float d = std::min(1.f, std::sqrt(dx * dx + dy * dy));
      float v = (1 - d) * (1 - d);
      float r = 0.01f + 0.05f * v, g = 0.015f + 0.08f * v, b = 0.04f + 0.2f * v;
      int gx = (x + 16) % 32, gy = (y + 12) % 32;
      if ((gx == 0 || gx == 1) && (gy == 0 || gy == 1)) {
        r += 0.03f + 0.05f * v;
        g += 0.05f + 0.08f * v;
        b += 0.1f + 0.15f * v;
      }
      uint8_t* p = img.At(x, y);
      p[0] = uint8_t(std::min(1.f, r) * 255 + 0.5f);
      p[1] = uint8_t(std::min(1.f, g) * 255 + 0.5f);
      p[2] = uint8_t(std::min(1.f, b) * 255 + 0.5f);
      p[3] = 255;
    }
  return img;
}

// Masks of the two logo words in a 256 by 128 picture centred at (400, 300):
// picture (0, 0) is screen (272, 236).
void SplashWords(Mask* glow, Mask* lathe) {
  // Caps 36 high and squeezed to fit between x 300 and 500 on screen.
  const float sx = 1.4f, sy = 1.8f, gap = 6.f;
  if (glow) {
    float w = TextWidth("GLOW", gap) * sx;
    StrokeText(*glow, "GLOW", Translate(128 - w / 2, 13) * ScaleXf(sx, sy), 3.4f, gap);
  }
  if (lathe) {
    float w = TextWidth("LATHE", gap) * sx;
    StrokeText(*lathe, "LATHE", Translate(128 - w / 2, 59) * ScaleXf(sx, sy), 3.4f, gap);
  }
}

const Col kAmber{1.f, 0.58f, 0.12f};
const Col kCyan{0.25f, 0.85f, 1.f};

}  // namespace

Image MakeIntro(const std::string& stem) {
  if (stem == "qvobg") return SplashBackground();
  if (stem == "qvocover") {
    // The background's own pixels from screen x 68..291, y 236..363.
    Image bg = SplashBackground(), cover(224, 128);
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 224; x++)
        for (int k = 0; k < 4; k++) cover.At(x, y)[k] = bg.At(x + 68, y + 236)[k];
    return cover;
  }
  if (stem == "qvozarq" || stem == "qvozorv") {
    Mask m(256, 128);
    bool top = stem == "qvozarq";
    SplashWords(top ? &m : nullptr, top ? nullptr : &m);
    Light l(256, 128);
    AddNeon(l, m, top ? kAmber : kCyan, 2.2f, 0.9f, 0.4f);
    return FromLight(l);
  }
  if (stem == "qvoline") {
    // 512 by 128: the light runs along picture row 120 (screen y 356) from
    // x 148 to its head at x 364 (108 right of the centre, where the sparks
    // fly off).
    Mask line(512, 128), head(512, 128);
    StrokeLine(line, {148, 120}, {364, 120}, 2.f);
    for (int x = 0; x < 512; x++)
      for (int y = 112; y < 128; y++) line.At(x, y) *= 0.55f + 0.45f * std::clamp((x - 148) / 216.f, 0.f, 1.f);
    SoftDot(head, {364, 120}, 2.2f);
    StrokeLine(head, {352, 120}, {376, 120}, 1.f, 0.6f);
    Light l(512, 128);
    AddNeon(l, line, {0.55f, 0.9f, 1.f}, 1.8f, 0.9f, 0.5f);
    AddNeon(l, head, {1.f, 0.85f, 0.5f}, 2.f, 0.9f, 0.6f);
    return FromLight(l);
  }
  if (stem == "qvoshine") {
    // A bloom over the two words and a lens streak along the centre line.
    Mask words(512, 256), a(256, 128), b(256, 128);
    SplashWords(&a, &b);
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 256; x++) words.At(x + 128, y + 64) = std::max(a.At(x, y), b.At(x, y));
    Mask bloom = Blur(words, 6.f);
    AddInto(bloom, Blur(words, 16.f), 1.2f);
    for (int y = 0; y < 256; y++)
      for (int x = 0; x < 512; x++) {
        float dx = (x + 0.5f - 256) / 240.f, dy = (y + 0.5f - 184) / 3.f;
        bloom.At(x, y) += 0.5f * std::exp(-dy * dy) * std::max(0.f, 1 - dx * dx);
      }
    Light l(512, 256);
    AddLight(l, bloom, {1.f, 0.92f, 0.75f}, 0.8f);
    return FromLight(l);
  }
  if (stem == "kelvarc") {
    // Three wire arcs opening to the right, magenta shading into amber.
    Mask m(128, 128);
    const Vec2 c{64, 64};
    // Upright ellipses, taller than wide, so the mark stands as high as the
    // name and tagline together while staying within the wipe's reach.
    const float radius[3] = {52, 41, 30}, half[3] = {68, 58, 48}, tall = 1.2f;
    for (int k = 0; k < 3; k++) {
      float w = k == 0 ? 3.f : 2.4f;
      StrokePoly(m, ArcPoints(c, radius[k], radius[k] * tall, 180 - half[k], 180 + half[k], 2.f), w);
      for (float a : {180 - half[k], 180 + half[k]})
        FillCircle(m, {c.x + radius[k] * std::cos(a * kDeg), c.y + radius[k] * tall * std::sin(a * kDeg)}, w * 0.9f);
    }
    Light l(128, 128);
    AddNeonShaded(l, m, [&](int x, int y) {
      float t = std::clamp((y - 12.f) / 104.f, 0.f, 1.f);
      (void)x;
      return Mix({1.f, 0.2f, 0.75f}, {1.f, 0.6f, 0.12f}, t);
    }, 2.f, 0.9f);
    return FromLight(l);
  }
  if (stem == "kelvarcmask") {
    // Multiplied over the arc and drawn twice as wide while it slides left:
    // black on the left, a smooth ramp over columns 28..94, white beyond, so
    // the ramp sweeps across the arc (screen x 266..318) from right to left
    // and has uncovered it by the last tick of the wipe.
    Image img(128, 128);
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++) {
        float t = std::clamp((x + 0.5f - 28.f) / 66.f, 0.f, 1.f);
        t = t * t * (3 - 2 * t);
        uint8_t* p = img.At(x, y);
        p[0] = p[1] = p[2] = uint8_t(t * 255 + 0.5f);
        p[3] = 255;
      }
    return img;
  }
  if (stem == "kelvane") {
    // The name, 384 by 64 centred at (412, 300): from screen x 332 to 568
    // (picture x 112), caps from screen y 278 to 308.
    Mask m(384, 64);
    const float s = 1.5f, gap = 5.f;
    StrokeText(m, "MOTHWIRE", Translate(112, 10) * ScaleXf(s * 0.7f, s), 3.f, gap);
    Light l(384, 64);
    AddNeon(l, m, {1.f, 0.45f, 0.85f}, 2.f, 0.9f, 0.55f);
    return FromLight(l);
  }
  // kelvtext: the tagline centred under the name (screen x 450).
  Mask m(384, 16);
  const std::string tag = "GAMES OF LIGHT AND WIRE";
  const float s = 0.42f, gap = 6.f;
  float w = TextWidth(tag, gap) * s;
  StrokeText(m, tag, Translate(230 - w / 2, 3.8f) * ScaleXf(s, s), 1.3f, gap);
  Light l(384, 16);
  AddNeon(l, m, {0.35f, 0.9f, 1.f}, 1.f, 0.7f, 0.4f);
  return FromLight(l);
}
