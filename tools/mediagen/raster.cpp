// The generator's rasteriser: coverage from distances to segments, polygon
// fills with soft edges, box-blur glows, light buffers and PNG files.
#include "raster.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr float kPi = 3.14159265358979f;

// Squared distance from p to the segment ab.
float SegDist2(float px, float py, Vec2 a, Vec2 b) {
  float vx = b.x - a.x, vy = b.y - a.y;
  float wx = px - a.x, wy = py - a.y;
  float l2 = vx * vx + vy * vy;
  float t = l2 > 1e-12f ? std::clamp((wx * vx + wy * vy) / l2, 0.f, 1.f) : 0.f;
  float dx = wx - t * vx, dy = wy - t * vy;
  return dx * dx + dy * dy;
}

// One pass of a box filter of radius r along rows (step 1) or columns.
void BoxPass(const float* in, float* out, int n, int stride, int r) {
  float norm = 1.f / float(2 * r + 1);
  double sum = 0;
  for (int i = 0; i <= r && i < n; i++) sum += in[size_t(i) * stride];
  for (int i = 0; i < n; i++) {
    out[size_t(i) * stride] = float(sum) * norm;
    int add = i + r + 1, sub = i - r;
    if (add < n) sum += in[size_t(add) * stride];
    if (sub >= 0) sum -= in[size_t(sub) * stride];
  }
}

uint8_t ToByte(float v) { return uint8_t(std::clamp(v, 0.f, 1.f) * 255.f + 0.5f); }

}  // namespace

float Xf::Scale() const { return std::sqrt(std::fabs(a * d - b * c)); }

Xf Translate(float x, float y) {
  Xf t;
  t.tx = x;
  t.ty = y;
  return t;
}

Xf ScaleXf(float sx, float sy) {
  Xf t;
  t.a = sx;
  t.d = sy;
  return t;
}

Xf RotateXf(float degrees) {
  float r = degrees * kPi / 180.f;
  Xf t;
  t.a = std::cos(r);
  t.b = -std::sin(r);
  t.c = std::sin(r);
  t.d = std::cos(r);
  return t;
}

Xf operator*(const Xf& o, const Xf& i) {
  Xf t;
  t.a = o.a * i.a + o.b * i.c;
  t.b = o.a * i.b + o.b * i.d;
  t.c = o.c * i.a + o.d * i.c;
  t.d = o.c * i.b + o.d * i.d;
  t.tx = o.a * i.tx + o.b * i.ty + o.tx;
  t.ty = o.c * i.tx + o.d * i.ty + o.ty;
  return t;
}

void StrokeLine(Mask& m, Vec2 a, Vec2 b, float width, float level) {
  float hw = width * 0.5f;
  int x0 = std::max(0, int(std::floor(std::min(a.x, b.x) - hw - 1)));
  int x1 = std::min(m.w - 1, int(std::ceil(std::max(a.x, b.x) + hw + 1)));
  int y0 = std::max(0, int(std::floor(std::min(a.y, b.y) - hw - 1)));
  int y1 = std::min(m.h - 1, int(std::ceil(std::max(a.y, b.y) + hw + 1)));
  // A stroke thinner than a pixel keeps a pixel's width and fades instead.
  float fade = 1.f;
  if (width < 1.f) {
    fade = width;
    hw = 0.5f;
  }
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      float d = std::sqrt(SegDist2(x + 0.5f, y + 0.5f, a, b));
      float cov = std::clamp(hw - d + 0.5f, 0.f, 1.f) * fade * level;
      float& p = m.At(x, y);
      if (cov > p) p = cov;
    }
}

void StrokePoly(Mask& m, const Polyline& p, float width, bool closed, float level) {
  if (p.size() == 1) StrokeLine(m, p[0], p[0], width, level);
  for (size_t i = 0; i + 1 < p.size(); i++) StrokeLine(m, p[i], p[i + 1], width, level);
  if (closed && p.size() > 2) StrokeLine(m, p.back(), p.front(), width, level);
}

Polyline ArcPoints(Vec2 c, float rx, float ry, float a0, float a1, float step) {
  float len = std::fabs(a1 - a0) * kPi / 180.f * std::max(rx, ry);
  int n = std::max(2, int(std::ceil(len / step)) + 1);
  Polyline p;
  p.reserve(n);
  for (int i = 0; i < n; i++) {
    float a = (a0 + (a1 - a0) * float(i) / float(n - 1)) * kPi / 180.f;
    p.push_back({c.x + rx * std::cos(a), c.y + ry * std::sin(a)});
  }
  return p;
}

void StrokeArc(Mask& m, Vec2 c, float r, float a0, float a1, float width, float level) {
  StrokePoly(m, ArcPoints(c, r, r, a0, a1, 2.f), width, false, level);
}

void StrokeCircle(Mask& m, Vec2 c, float r, float width, float level) {
  // Distance to a circle is exact, so draw it directly rather than as segments.
  float hw = std::max(width, 1.f) * 0.5f, fade = std::min(width, 1.f);
  int x0 = std::max(0, int(c.x - r - hw - 2)), x1 = std::min(m.w - 1, int(c.x + r + hw + 2));
  int y0 = std::max(0, int(c.y - r - hw - 2)), y1 = std::min(m.h - 1, int(c.y + r + hw + 2));
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      float d = std::fabs(std::hypot(x + 0.5f - c.x, y + 0.5f - c.y) - r);
      float cov = std::clamp(hw - d + 0.5f, 0.f, 1.f) * fade * level;
      float& p = m.At(x, y);
      if (cov > p) p = cov;
    }
}

void FillPoly(Mask& m, const Polyline& p, float level) {
  if (p.size() < 3) return;
  float minx = 1e9f, miny = 1e9f, maxx = -1e9f, maxy = -1e9f;
  for (const Vec2& v : p) {
    minx = std::min(minx, v.x);
    maxx = std::max(maxx, v.x);
    miny = std::min(miny, v.y);
    maxy = std::max(maxy, v.y);
  }
  int x0 = std::max(0, int(minx) - 1), x1 = std::min(m.w - 1, int(maxx) + 1);
  int y0 = std::max(0, int(miny) - 1), y1 = std::min(m.h - 1, int(maxy) + 1);
  size_t n = p.size();
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      float px = x + 0.5f, py = y + 0.5f;
      int wind = 0;
      float d2 = 1e18f;
      for (size_t i = 0; i < n; i++) {
        Vec2 a = p[i], b = p[(i + 1) % n];
        d2 = std::min(d2, SegDist2(px, py, a, b));
        if (a.y <= py) {
          if (b.y > py && (b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y) > 0) wind++;
        } else if (b.y <= py && (b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y) < 0) {
          wind--;
        }
      }
      float d = std::sqrt(d2);
      float cov = wind != 0 ? std::min(1.f, 0.5f + d) : std::max(0.f, 0.5f - d);
      cov *= level;
      float& q = m.At(x, y);
      if (cov > q) q = cov;
    }
}

void FillCircle(Mask& m, Vec2 c, float r, float level) {
  int x0 = std::max(0, int(c.x - r - 2)), x1 = std::min(m.w - 1, int(c.x + r + 2));
  int y0 = std::max(0, int(c.y - r - 2)), y1 = std::min(m.h - 1, int(c.y + r + 2));
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      float d = std::hypot(x + 0.5f - c.x, y + 0.5f - c.y);
      float cov = std::clamp(r - d + 0.5f, 0.f, 1.f) * level;
      float& q = m.At(x, y);
      if (cov > q) q = cov;
    }
}

void SoftDot(Mask& m, Vec2 c, float sigma, float level) {
  float reach = sigma * 3.5f;
  int x0 = std::max(0, int(c.x - reach)), x1 = std::min(m.w - 1, int(c.x + reach));
  int y0 = std::max(0, int(c.y - reach)), y1 = std::min(m.h - 1, int(c.y + reach));
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      float dx = x + 0.5f - c.x, dy = y + 0.5f - c.y;
      float v = level * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
      float& q = m.At(x, y);
      if (v > q) q = v;
    }
}

Polyline Map(const Xf& xf, const Polyline& p) {
  Polyline out;
  out.reserve(p.size());
  for (const Vec2& v : p) out.push_back(xf(v));
  return out;
}

Mask Blur(const Mask& m, float sigma) {
  Mask a = m;
  if (sigma <= 0.2f || m.w == 0) return a;
  // Three box passes of width w approximate a gaussian: 3 (w^2 - 1) / 12 = sigma^2.
  float wbox = std::sqrt(4.f * sigma * sigma + 1.f);
  int r = std::max(1, int(std::lround((wbox - 1.f) * 0.5f)));
  Mask b(m.w, m.h);
  for (int pass = 0; pass < 3; pass++) {
    for (int y = 0; y < m.h; y++) BoxPass(&a.v[size_t(y) * m.w], &b.v[size_t(y) * m.w], m.w, 1, r);
    for (int x = 0; x < m.w; x++) BoxPass(&b.v[x], &a.v[x], m.h, m.w, r);
  }
  return a;
}

void MaxInto(Mask& out, const Mask& in, float k) {
  for (size_t i = 0; i < out.v.size(); i++) out.v[i] = std::max(out.v[i], in.v[i] * k);
}

void AddInto(Mask& out, const Mask& in, float k) {
  for (size_t i = 0; i < out.v.size(); i++) out.v[i] += in.v[i] * k;
}

Mask Neon(const Mask& core, float glowsigma, float glow) {
  Mask out = core;
  AddInto(out, Blur(core, glowsigma), glow);
  AddInto(out, Blur(core, glowsigma * 3.f), glow * 0.5f);
  return out;
}

void AddLight(Light& l, const Mask& m, Col col, float k) {
  for (size_t i = 0; i < m.v.size(); i++) {
    float v = m.v[i] * k;
    if (v == 0.f) continue;
    l.c[i * 3] += col.r * v;
    l.c[i * 3 + 1] += col.g * v;
    l.c[i * 3 + 2] += col.b * v;
  }
}

void AddNeon(Light& l, const Mask& core, Col col, float glowsigma, float glow, float whiten) {
  Col hot{col.r + (1 - col.r) * whiten, col.g + (1 - col.g) * whiten, col.b + (1 - col.b) * whiten};
  AddLight(l, core, hot);
  AddLight(l, Blur(core, glowsigma), col, glow);
  AddLight(l, Blur(core, glowsigma * 3.f), col, glow * 0.5f);
}

Image WhiteFromMask(const Mask& m) {
  Image img(m.w, m.h);
  for (size_t i = 0; i < m.v.size(); i++) {
    uint8_t* p = &img.px[i * 4];
    p[0] = p[1] = p[2] = 255;
    p[3] = ToByte(m.v[i]);
  }
  return img;
}

Image FromLight(const Light& l) {
  Image img(l.w, l.h);
  for (size_t i = 0; i < size_t(l.w) * l.h; i++) {
    float r = l.c[i * 3], g = l.c[i * 3 + 1], b = l.c[i * 3 + 2];
    float a = std::min(1.f, std::max({r, g, b}));
    uint8_t* p = &img.px[i * 4];
    if (a < 1.f / 512.f) continue;
    p[0] = ToByte(r / a);
    p[1] = ToByte(g / a);
    p[2] = ToByte(b / a);
    p[3] = ToByte(a);
  }
  return img;
}

void Blit(Image& dst, const Image& src, int x, int y) {
  for (int j = 0; j < src.h; j++)
    for (int i = 0; i < src.w; i++) {
      int dx = x + i, dy = y + j;
      if (dx < 0 || dy < 0 || dx >= dst.w || dy >= dst.h) continue;
      std::memcpy(dst.At(dx, dy), src.At(i, j), 4);
    }
}

bool WritePng(const std::string& path, const Image& img) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "pfmediagen: cannot write %s\n", path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    std::fprintf(stderr, "pfmediagen: PNG encoding failed for %s\n", path.c_str());
    return false;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 4);
  png_set_IHDR(png, info, img.w, img.h, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < img.h; y++) png_write_row(png, const_cast<uint8_t*>(img.At(0, y)));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool ReadPng(const std::string& path, Image& img) {
  png_image pi;
  std::memset(&pi, 0, sizeof pi);
  pi.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&pi, path.c_str())) return false;
  pi.format = PNG_FORMAT_RGBA;
  img = Image(int(pi.width), int(pi.height));
  if (!png_image_finish_read(&pi, nullptr, img.px.data(), 0, nullptr)) {
    png_image_free(&pi);
    return false;
  }
  return true;
}
