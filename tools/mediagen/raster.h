// A small anti-aliased rasteriser for the media generator: coverage masks
// drawn with lines, arcs and polygons, a fast blur for the neon glow, light
// buffers that add coloured glows together, and PNG reading and writing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Vec2 {
  float x, y;
};

struct Col {
  float r, g, b;
};

// An affine map applied to every point before it is drawn (used to place and
// scale glyphs and shapes): x' = a x + b y + tx, y' = c x + d y + ty.
struct Xf {
  float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  Vec2 operator()(Vec2 p) const { return {a * p.x + b * p.y + tx, c * p.x + d * p.y + ty}; }
  float Scale() const;
};
Xf Translate(float x, float y);
Xf ScaleXf(float sx, float sy);
Xf RotateXf(float degrees);
Xf operator*(const Xf& outer, const Xf& inner);

using Polyline = std::vector<Vec2>;

// A single-channel coverage picture, 0..1 per pixel; drawing keeps the larger
// value so strokes that meet do not double up.
struct Mask {
  int w = 0, h = 0;
  std::vector<float> v;
  Mask() = default;
  Mask(int width, int height) : w(width), h(height), v(size_t(width) * height, 0.f) {}
  float& At(int x, int y) { return v[size_t(y) * w + x]; }
  float At(int x, int y) const { return v[size_t(y) * w + x]; }
};

// Strokes a straight segment of the given width, with round ends.
void StrokeLine(Mask& m, Vec2 a, Vec2 b, float width, float level = 1.f);
// Strokes a polyline (closed joins the last point to the first).
void StrokePoly(Mask& m, const Polyline& p, float width, bool closed = false, float level = 1.f);
// Points along a circular arc; angles in degrees, clockwise on screen from +x.
Polyline ArcPoints(Vec2 c, float rx, float ry, float a0, float a1, float step = 3.f);
// Strokes an arc or a whole circle.
void StrokeArc(Mask& m, Vec2 c, float r, float a0, float a1, float width, float level = 1.f);
void StrokeCircle(Mask& m, Vec2 c, float r, float width, float level = 1.f);
// Fills a polygon (non-zero winding) with an anti-aliased edge.
void FillPoly(Mask& m, const Polyline& p, float level = 1.f);
void FillCircle(Mask& m, Vec2 c, float r, float level = 1.f);
// A soft round spot whose value falls off as a gaussian of the given sigma.
void SoftDot(Mask& m, Vec2 c, float sigma, float level = 1.f);
// Applies an affine map to a polyline.
Polyline Map(const Xf& xf, const Polyline& p);

// Gaussian-like blur (three box passes) of the given sigma, zero outside.
Mask Blur(const Mask& m, float sigma);
// out = max(out, in * k) and out = out + in * k, pixel by pixel.
void MaxInto(Mask& out, const Mask& in, float k = 1.f);
void AddInto(Mask& out, const Mask& in, float k = 1.f);
// The usual neon look of a white stroke mask: the core plus two glows.
Mask Neon(const Mask& core, float glowsigma = 2.f, float glow = 0.6f);

// Premultiplied light, three channels that add up without limit.
struct Light {
  int w = 0, h = 0;
  std::vector<float> c;  // r, g, b per pixel
  Light() = default;
  Light(int width, int height) : w(width), h(height), c(size_t(width) * height * 3, 0.f) {}
};
// Adds a coloured mask into the light.
void AddLight(Light& l, const Mask& m, Col col, float k = 1.f);
// Adds a coloured neon stroke: a whitened core and coloured glows.
void AddNeon(Light& l, const Mask& core, Col col, float glowsigma = 2.f, float glow = 0.7f,
             float whiten = 0.45f);

// An 8-bit RGBA picture, straight (not premultiplied) alpha.
struct Image {
  int w = 0, h = 0;
  std::vector<uint8_t> px;  // r, g, b, a per pixel
  Image() = default;
  Image(int width, int height) : w(width), h(height), px(size_t(width) * height * 4, 0) {}
  uint8_t* At(int x, int y) { return &px[(size_t(y) * w + x) * 4]; }
  const uint8_t* At(int x, int y) const { return &px[(size_t(y) * w + x) * 4]; }
};
// A white picture whose alpha is the mask (for the sprites the game tints).
Image WhiteFromMask(const Mask& m);
// A coloured picture from light: alpha is the brightest channel, colour the
// light divided by it, so that alpha and additive blending both show it.
Image FromLight(const Light& l);
// Copies src into dst with its top-left corner at (x, y).
void Blit(Image& dst, const Image& src, int x, int y);

// Writes and reads 8-bit RGBA PNG files; false on failure.
bool WritePng(const std::string& path, const Image& img);
bool ReadPng(const std::string& path, Image& img);
