// The starfield: how many stars each STARS level makes, their layers, the
// parallax against the camera, the screen-edge rule and the twinkle.
#include <gtest/gtest.h>

#include "playfield/playfield.h"
#include "playfield/stars.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"

namespace {
TImage fakestar1, fakestar2, fakestar3;

struct StarTest : ::testing::Test {
  void SetUp() override {
    star01img = &fakestar1;
    star02img = &fakestar2;
    star03img = &fakestar3;
    starlist.clear();
    ClearDrawList();
    starsetting = 2;
    DeriveStarCount();
    camx = 140;
    camy = 48;
    SeedRandom(99);
  }
  void TearDown() override {
    star01img = star02img = star03img = nullptr;
    starlist.clear();
  }
  static tSTAR Star(float x, float y, float s) {
    tSTAR st;
    st.x = x;
    st.y = y;
    st.s = s;
    st.r = st.g = st.b = 200;
    st.tw = 300;
    return st;
  }
};
}  // namespace

TEST_F(StarTest, CountsAndLayersPerSetting) {
  starsetting = 0;
  CreateStars();
  EXPECT_TRUE(starlist.empty());

  starsetting = 1;
  DeriveStarCount();
  CreateStars();
  EXPECT_EQ(starlist.size(), 129u);

  starlist.clear();
  starsetting = 2;
  DeriveStarCount();
  CreateStars();
  ASSERT_EQ(starlist.size(), 257u);
  const int bx[8] = {0, 0, 1600, 1100, 1000, 1000, 950, 920};
  const int by[8] = {0, 0, 1200, 800, 750, 750, 700, 680};
  bool seen[8] = {};
  for (const tSTAR& st : starlist) {
    int s = (int)st.s;
    ASSERT_EQ(st.s, (float)s);
    ASSERT_GE(s, 2);
    ASSERT_LE(s, 7);
    seen[s] = true;
    EXPECT_TRUE(st.x >= 0 && st.x <= bx[s] && st.y >= 0 && st.y <= by[s]) << s;
    EXPECT_TRUE(st.r >= 64 && st.r <= 256 && st.tw >= 16 && st.tw <= 512);
  }
  for (int s = 2; s <= 7; s++) EXPECT_TRUE(seen[s]) << s;

  // OFF draws nothing, even over a list that still holds stars.
  starsetting = 0;
  UpdateStars();
  EXPECT_TRUE(drawlist.empty());
}

TEST_F(StarTest, LayersSlideAtTheirOwnSpeedAndPickTheirImage) {
  starlist = {Star(400, 300, 2), Star(400, 300, 5), Star(400, 300, 7)};
  UpdateStars();
  ASSERT_EQ(drawlist.size(), 3u);
  EXPECT_FLOAT_EQ(drawlist[0].x, 400 - 70);
  EXPECT_FLOAT_EQ(drawlist[0].y, 300 - 24);
  EXPECT_FLOAT_EQ(drawlist[2].x, 400 - 20);
  EXPECT_EQ(drawlist[0].img, &fakestar3);
  EXPECT_EQ(drawlist[1].img, &fakestar2);
  EXPECT_EQ(drawlist[2].img, &fakestar1);
  EXPECT_EQ(drawlist[0].blend, BLEND_LIGHT);
  EXPECT_EQ(drawlist[0].r, 200);

  ClearDrawList();
  camx += 140;  // the near layer moves 70, the deep one 20
  camy += 70;
  UpdateStars();
  EXPECT_FLOAT_EQ(drawlist[0].x, 400 - 140);
  EXPECT_FLOAT_EQ(drawlist[0].y, 300 - 59);
  EXPECT_FLOAT_EQ(drawlist[2].x, 400 - 40);
  EXPECT_FLOAT_EQ(drawlist[2].y, 300 - 118.0f / 7);
}

TEST_F(StarTest, StarsOnOrPastTheScreenEdgeAreNotDrawn) {
  camx = 0;
  camy = 0;
  starlist = {Star(0, 300, 2), Star(800, 300, 2), Star(400, 0, 3), Star(400, 600, 3),
              Star(0.5f, 599.5f, 4), Star(-10, 300, 2)};
  UpdateStars();
  ASSERT_EQ(drawlist.size(), 1u);
  EXPECT_FLOAT_EQ(drawlist[0].x, 0.5f);
  for (const tSTAR& st : starlist) EXPECT_EQ(st.tw, 299);  // hidden stars twinkle on too
}

TEST_F(StarTest, TwinkleSwellsOverTheLast16Ticks) {
  starlist = {Star(400, 300, 2)};
  starlist[0].tw = 17;
  std::vector<float> scales;
  for (int i = 0; i < 18; i++) {
    ClearDrawList();
    UpdateStars();
    scales.push_back(drawlist[0].xscale);
    EXPECT_EQ(drawlist[0].xscale, drawlist[0].yscale);
  }
  std::vector<float> want = {1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f, 1.8f,
                             1.7f, 1.6f, 1.5f, 1.4f, 1.3f, 1.2f, 1.1f, 1.0f, 1.0f};
  // tw 16 (scale 1), then 15 down to 0 through the table, then reloaded
  EXPECT_EQ(scales, want);
  EXPECT_GE(starlist[0].tw, 16);
  EXPECT_LE(starlist[0].tw, 512);
}
