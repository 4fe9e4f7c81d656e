// Texture levels, letterbox and readback, as both GL renderers make them.
#include "platform/gl_common.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
