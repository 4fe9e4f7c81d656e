// The renderers' shared core: the quad a picture is drawn as, and the pieces
// of a magnified additive one (see render_batch.h). Built without fused
// multiply-adds, as the drivers place their corners.
#include "platform/render_batch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void Colour(const RenderState& st, uint8_t c[4]) {
  c[0] = (uint8_t)st.r;
  c[1] = (uint8_t)st.g;
  c[2] = (uint8_t)st.b;
  c[3] = (uint8_t)st.alpha8;
}

}  // namespace

void PlaceQuad(const TImage* img, int frame, float x, float y, const RenderState& st, BatchVertex quad[4]) {
  float u = img->texu[frame], v = img->texv[frame];
  float left = -img->handle_x, top = -img->handle_y;
  float right = img->width - img->handle_x, bottom = img->height - img->handle_y;
  const float cx[4] = {left, right, right, left}, cy[4] = {top, top, bottom, bottom};
  const float cu[4] = {0, u, u, 0}, cv[4] = {0, 0, v, v};
  for (int i = 0; i < 4; i++) {
    BatchVertex& vx = quad[i];
    vx.x = cx[i] * st.ix + cy[i] * st.iy + x;
    vx.y = cx[i] * st.jx + cy[i] * st.jy + y;
    vx.u = cu[i];
    vx.v = cv[i];
    Colour(st, vx.c);
  }
}

float DrawnArea(const TImage* img, const RenderState& st) {
  return std::fabs((float)img->width * img->height * (st.ix * st.jy - st.iy * st.jx));
}

bool Magnified(const RenderState& st, float fit) {
  return std::hypot(st.ix, st.jx) * fit >= 1 && std::hypot(st.iy, st.jy) * fit >= 1;
}

void PlacePieces(const FlatFrame& flat, const TImage* img, float x, float y, const RenderState& st,
                 const uint8_t colour[4], std::vector<BatchVertex>& out) {
  float pw = (float)NextPowerOfTwo(img->width), ph = (float)NextPowerOfTwo(img->height);
  size_t triangles = flat.triangles.size() / 3;
  out.resize(triangles * 4);
  for (size_t k = 0; k < triangles; k++)
    for (int i = 0; i < 4; i++) {
      const TexelPoint& tp = flat.triangles[k * 3 + std::min(i, 2)];
      BatchVertex& vx = out[k * 4 + i];
      float ex = tp.x - img->handle_x, ey = tp.y - img->handle_y;
      vx.x = ex * st.ix + ey * st.iy + x;
      vx.y = ex * st.jx + ey * st.jy + y;
      vx.u = tp.x / pw;
      vx.v = tp.y / ph;
      std::memcpy(vx.c, colour, sizeof vx.c);
    }
}
