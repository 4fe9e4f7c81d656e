// Texture levels, letterbox and readback, as both GL renderers make them.
#include "platform/gl_common.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

int NextPowerOfTwo(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

std::vector<uint8_t> Halve(const std::vector<uint8_t>& src, int w, int h, int& nw, int& nh) {
  nw = std::max(1, w / 2);
  nh = std::max(1, h / 2);
  std::vector<uint8_t> dst((size_t)nw * nh * 4);
  int stepx = w > 1 ? 2 : 1, stepy = h > 1 ? 2 : 1;
  for (int y = 0; y < nh; y++)
    for (int x = 0; x < nw; x++)
      for (int c = 0; c < 4; c++) {
        int sum = 0;
        for (int dy = 0; dy < stepy; dy++)
          for (int dx = 0; dx < stepx; dx++)
            sum += src[((size_t)(y * stepy + dy) * w + (x * stepx + dx)) * 4 + c];
        int n = stepx * stepy;
        dst[((size_t)y * nw + x) * 4 + c] = (uint8_t)((sum + n / 2) / n);
      }
  return dst;
}

void ForEachTextureLevel(const TImage* img, int frame, bool mipmapped,
                         const std::function<void(int level, int w, int h, const uint8_t* rgba)>& take) {
  int w = img->width, h = img->height;
  int pw = NextPowerOfTwo(w), ph = NextPowerOfTwo(h);
  const std::vector<uint8_t>& px = img->pixmaps[frame];
  std::vector<uint8_t> tex((size_t)pw * ph * 4);
  for (int y = 0; y < ph; y++) {
    const uint8_t* srow = &px[(size_t)std::min(y, h - 1) * w * 4];
    uint8_t* drow = &tex[(size_t)y * pw * 4];
    std::memcpy(drow, srow, (size_t)w * 4);
    for (int x = w; x < pw; x++) std::memcpy(drow + x * 4, srow + (w - 1) * 4, 4);
  }
  take(0, pw, ph, tex.data());
  if (!mipmapped) return;
  int level = 0, lw = pw, lh = ph;
  while (lw > 1 || lh > 1) {
    int nw, nh;
    tex = Halve(tex, lw, lh, nw, nh);
    lw = nw;
    lh = nh;
    take(++level, lw, lh, tex.data());
  }
}

// Fits a picture of 800x600 into an area, centred, aspect kept.
Letterbox ComputeLetterbox(int aw, int ah) {
  Letterbox lb;
  if (aw <= 0 || ah <= 0) return lb;
  double scale = std::min((double)aw / PICTURE_W, (double)ah / PICTURE_H);
  lb.w = std::max(1, (int)std::lround(PICTURE_W * scale));
  lb.h = std::max(1, (int)std::lround(PICTURE_H * scale));
  lb.x = (aw - lb.w) / 2;
  lb.y = (ah - lb.h) / 2;
  return lb;
}

void PictureFromReadback(const std::vector<uint8_t>& raw, const Letterbox& box, std::vector<uint8_t>& rgba) {
  rgba.resize((size_t)PICTURE_W * PICTURE_H * 4);
  for (int y = 0; y < PICTURE_H; y++) {
    int sy = box.h - 1 - y * box.h / PICTURE_H;  // GL rows run bottom up
    for (int x = 0; x < PICTURE_W; x++) {
      int sx = x * box.w / PICTURE_W;
      std::memcpy(&rgba[((size_t)y * PICTURE_W + x) * 4], &raw[((size_t)sy * box.w + sx) * 4], 4);
    }
  }
}

// The frame is cut into this many bands of rows, each band into runs of
// columns that hold a texel a sample could reach.
constexpr int kTrimBands = 16;

// A sample in texel (x, y) reads only texels within one of it, so a texel
// is kept when any of its neighbours (or itself) has alpha; the kept
// texels, in bands of rows, merged into runs of columns.
void TrimFrame(const TImage* img, int frame, FlatFrame& flat) {
  int w = img->width, h = img->height;
  const std::vector<uint8_t>& px = img->pixmaps[frame];
  std::vector<uint8_t> lit((size_t)w * h, 0);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      if (px[((size_t)y * w + x) * 4 + 3] == 0) continue;
      for (int ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1); ny++)
        for (int nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1); nx++) lit[(size_t)ny * w + nx] = 1;
    }
  int band = std::max(1, (h + kTrimBands - 1) / kTrimBands);
  int bands = (h + band - 1) / band;
  // Per band, its runs of kept columns [x0, x1).
  std::vector<std::vector<std::pair<int, int>>> runs((size_t)bands);
  flat.keptarea = 0;
  flat.wholearea = (long)w * h;
  for (int j = 0; j < bands; j++) {
    int y0 = j * band, y1 = std::min(h, y0 + band);
    int runstart = -1;
    for (int x = 0; x <= w; x++) {
      bool kept = false;
      for (int y = y0; y < y1 && x < w && !kept; y++) kept = lit[(size_t)y * w + x];
      if (kept && runstart < 0) runstart = x;
      if (!kept && runstart >= 0) {
        runs[(size_t)j].push_back({runstart, x});
        flat.keptarea += (long)(x - runstart) * (y1 - y0);
        runstart = -1;
      }
    }
  }
  // Each run's rectangle as a fan of triangles about its centre, through
  // every corner of the neighbouring bands' runs that lies on its top or
  // bottom edge: neighbours then share whole edges, and the rasterizer
  // covers each pixel once (an edge ending part-way along another could
  // leave a pixel on it to both or to neither).
  flat.triangles.clear();
  std::vector<float> top, bottom;
  for (int j = 0; j < bands; j++) {
    float y0 = (float)(j * band), y1 = (float)std::min(h, j * band + band);
    for (const std::pair<int, int>& run : runs[(size_t)j]) {
      int x0 = run.first, x1 = run.second;
      auto edge = [&](std::vector<float>& out, int other) {
        out = {(float)x0, (float)x1};
        if (other < 0 || other >= bands) return;
        for (auto [a, b] : runs[(size_t)other])
          for (int c : {a, b})
            if (c > x0 && c < x1) out.push_back((float)c);
        std::sort(out.begin(), out.end());
      };
      edge(top, j - 1);
      edge(bottom, j + 1);
      // Clockwise from the top left: along the top, down, back along the bottom.
      std::vector<TexelPoint> ring;
      for (float x : top) ring.push_back({x, y0});
      for (auto it = bottom.rbegin(); it != bottom.rend(); ++it) ring.push_back({*it, y1});
      TexelPoint centre{(x0 + x1) * 0.5f, (y0 + y1) * 0.5f};
      for (size_t i = 0; i < ring.size(); i++) {
        flat.triangles.push_back(centre);
        flat.triangles.push_back(ring[i]);
        flat.triangles.push_back(ring[(i + 1) % ring.size()]);
      }
    }
  }
}

bool PiecesPay(const FlatFrame& flat, float area) {
  float leftout = 1 - (float)flat.keptarea / (float)flat.wholearea;
  float triangles = (float)(flat.triangles.size() / 3);
  return leftout >= kTrimLeavesOut && area * leftout >= kPixelsPerTriangle * (triangles - 2);
}

const FlatFrame& FlatOf(FlatFrames& cache, const TImage* img, int frame, unsigned (*copy)(const TImage*, int)) {
  unsigned own = img->frames[frame];
  auto found = cache.find(own);
  if (found != cache.end()) return found->second;
  FlatFrame& flat = cache[own];
  flat.texture = img->flags & IMG_MIPMAPPED ? copy(img, frame) : own;
  TrimFrame(img, frame, flat);
  return flat;
}
