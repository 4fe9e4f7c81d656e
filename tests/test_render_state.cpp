// The drawing state the renderer's back ends receive.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/render.h"

namespace {

// The transform worked out afresh from rotation and scale: what the kept
// cosine and sine must reproduce bit for bit.
void ExpectFreshTransform(float rot, float sx, float sy) {
  double r = rot * M_PI / 180.0;
  double c = std::cos(r), s = std::sin(r);
  const float want[4] = {(float)(c * sx), (float)(-s * sy), (float)(s * sx), (float)(c * sy)};
  const RenderState& st = CurrentRenderState();
  const float got[4] = {st.ix, st.iy, st.jx, st.jy};
  EXPECT_EQ(std::memcmp(got, want, sizeof got), 0)
      << "rotation " << rot << " scale " << sx << "," << sy << ": " << got[0] << " " << got[1] << " "
      << got[2] << " " << got[3];
}

TEST(RenderState, TransformMatchesRotationAndScaleWorkedOutAfreshWhateverTheOrder) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Step {
    bool rotate;
    float a, b;
  };
  const Step steps[] = {{true, 30, 0},   {false, 2, 3},    {false, 1, 1},  {true, 30, 0},
                        {true, -0.0f, 0}, {false, -1, 2},  {true, 0, 0},   {true, 0, 0},
                        {true, 390, 0},  {true, nan, 0},   {false, 2, 2},  {true, nan, 0},
                        {true, 90, 0},   {false, 0.5f, 4}, {true, -90, 0}, {false, 1, 1}};
  float rot = 0, sx = 1, sy = 1;
  SetRotation(0);
  SetScale(1, 1);
  for (const Step& s : steps) {
    if (s.rotate) {
      rot = s.a;
      SetRotation(rot);
    } else {
      sx = s.a;
      sy = s.b;
      SetScale(sx, sy);
    }
    ExpectFreshTransform(rot, sx, sy);
  }
  SetRotation(0);
  SetScale(1, 1);
}

}  // namespace
