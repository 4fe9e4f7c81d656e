// Particles: each kind's motion and drawing, when a particle dies, the wall
// bounce, and how many rings an explosion makes at each EXPLOSIONS level.
#include <gtest/gtest.h>

#include <cmath>

#include "playfield/particles.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"

namespace {
TImage fakering1, fakering2, fakespark;

struct ParticleTest : ::testing::Test {
  void SetUp() override {
    partlist.clear();
    ClearDrawList();
    camx = 500;
    camy = 300;
    partex01img = &fakering1;
    partex02img = &fakering2;
    explosionsetting = 2;
    SeedRandom(1234);
  }
  void TearDown() override {
    partex01img = partex02img = nullptr;
    partlist.clear();
  }
  static tPART Spark(int t) {
    tPART p;
    p.t = t;
    p.x = 1000;
    p.y = 700;
    p.accel = 1;
    p.alpha = 1;
    p.img = &fakespark;
    p.blend = BLEND_LIGHT;
    p.xscale = p.yscale = 1;
    return p;
  }
  static int Tick() {
    size_t before = drawlist.size();
    UpdateParticles();
    return (int)(drawlist.size() - before);
  }
};
}  // namespace

TEST_F(ParticleTest, CommonMotionAndTheSprite) {
  tPART p = Spark(PART_SINK);
  p.accel = 2;
  p.accelchange = 1;
  p.ang = 80;
  p.angchange = 10;  // moves along 90: straight right
  p.rotchange = 5;
  p.alphachange = -0.25f;
  p.xscalechange = 0.5f;
  p.yscalechange = -0.5f;
  p.r = 10;
  p.g = 20;
  p.b = 30;
  partlist.push_back(p);
  EXPECT_EQ(Tick(), 1);
  const tPART& q = partlist[0];
  EXPECT_FLOAT_EQ(q.accel, 3);
  EXPECT_NEAR(q.x, 1003, 1e-4);
  EXPECT_NEAR(q.y, 701, 1e-4);  // the sink's extra pixel down
  const tDRAW& d = drawlist.back();
  EXPECT_NEAR(d.x, 503, 1e-4);  // drawn against the camera
  EXPECT_NEAR(d.y, 401, 1e-4);
  EXPECT_TRUE(d.alpha == 0.75f && d.rot == 5 && d.xscale == 1.5f && d.yscale == 0.5f);
}

TEST_F(ParticleTest, DriftStopsAChannelAtZeroAndNeverStartsOne) {
  tPART p = Spark(PART_DRIFT);
  p.accel = 0.0000001f;
  p.r = 10;
  p.rcolchange = -6;
  p.g = 0;
  p.gcolchange = 5;
  p.b = 100;
  p.bcolchange = 10;
  partlist.push_back(p);
  for (int i = 0; i < 3; i++) Tick();
  EXPECT_EQ(partlist[0].r, -2);  // 10, 4, -2, then it stops
  EXPECT_EQ(partlist[0].g, 0);
  EXPECT_EQ(partlist[0].b, 130);
  EXPECT_EQ(drawlist.back().r, -2);
}

TEST_F(ParticleTest, BlinkDrawsAlternateRunsOfItsPeriod) {
  tPART p = Spark(PART_BLINK);
  p.rcolchange = 1;  // counter
  p.gcolchange = 3;  // period
  p.bcolchange = 0;  // state
  partlist.push_back(p);
  std::string seen;
  for (int i = 0; i < 12; i++) seen += Tick() ? '#' : '.';
  EXPECT_EQ(seen, "###...###...");
}

TEST_F(ParticleTest, BounceOffTheWallsAndBothAtACorner) {
  tPART p = Spark(PART_BOUNCE);
  p.x = 565;
  p.y = 310;
  p.collrad = 8;
  p.accel = 10;
  p.ang = 225;  // up and to the left, into the top-left corner
  partlist.push_back(p);
  EXPECT_EQ(Tick(), 1);
  const tPART& q = partlist[0];
  EXPECT_FLOAT_EQ(q.x, 568);
  EXPECT_FLOAT_EQ(q.y, 312);
  EXPECT_FLOAT_EQ(q.ang, 45);  // 360 - 225 = 135, then 180 - 135
  EXPECT_FLOAT_EQ(q.rot, 135);
  // drawn where it got to before the bounce
  EXPECT_NEAR(drawlist.back().x, 565 - 10 * std::sqrt(0.5f) - 500, 1e-3);

  partlist.clear();
  p.x = 1580;
  p.y = 1068;
  p.ang = 45;  // down and to the right, into the bottom-right corner
  partlist.push_back(p);
  Tick();
  EXPECT_FLOAT_EQ(partlist[0].x, 1576);
  EXPECT_FLOAT_EQ(partlist[0].y, 1064);
  EXPECT_FLOAT_EQ(partlist[0].ang, 180 - (360 - 45));

  partlist.clear();
  p.x = 1000;
  p.y = 1068;
  p.ang = 0;  // straight down onto the bottom wall only
  partlist.push_back(p);
  Tick();
  EXPECT_FLOAT_EQ(partlist[0].x, 1000);
  EXPECT_FLOAT_EQ(partlist[0].y, 1064);
  EXPECT_FLOAT_EQ(partlist[0].ang, 180);
}

TEST_F(ParticleTest, RemovalOnStoppedOrFadedKeepsTheOthersInOrder) {
  tPART stops = Spark(PART_DRIFT);
  stops.accel = 0.5f;
  stops.accelchange = -0.5f;  // reaches 0 this tick though still bright
  tPART fades = Spark(PART_SINK);
  fades.alpha = 0.01f;
  fades.alphachange = -0.02f;
  tPART reachzero = Spark(PART_SINK);
  reachzero.alpha = 0.02f;
  reachzero.alphachange = -0.02f;  // alpha exactly 0 is not below 0
  tPART still = Spark(PART_DRIFT);
  still.accel = 0.0000001f;
  still.alphachange = -0.5f;
  tPART odd = Spark(7);  // unknown kinds are left alone
  for (int i = 0; i < 5; i++) {
    tPART* ps[] = {&stops, &fades, &reachzero, &still, &odd};
    ps[i]->x = (float)i;
    partlist.push_back(*ps[i]);
  }
  EXPECT_EQ(Tick(), 4);  // the stopping one was still drawn this tick
  ASSERT_EQ(partlist.size(), 3u);
  EXPECT_EQ(partlist[0].x, 2);
  EXPECT_FLOAT_EQ(partlist[1].x, 3);
  EXPECT_EQ(partlist[2].x, 4);
  EXPECT_EQ(partlist[2].alpha, 1);
  Tick();  // still: alpha 0.5 -> 0; reachzero: -0.02
  ASSERT_EQ(partlist.size(), 2u);
  EXPECT_FLOAT_EQ(partlist[0].x, 3);
  Tick();
  ASSERT_EQ(partlist.size(), 1u);
  EXPECT_EQ(partlist[0].t, 7);
}

TEST_F(ParticleTest, ExplosionRingsFollowTheSetting) {
  explosionsetting = 0;
  SpawnExplosion(800, 600);
  EXPECT_TRUE(partlist.empty());

  explosionsetting = 1;
  SpawnExplosion(800, 600);
  ASSERT_EQ(partlist.size(), 1u);
  EXPECT_EQ(partlist[0].img, &fakering2);

  partlist.clear();
  explosionsetting = 2;
  for (int n = 0; n < 50; n++) SpawnExplosion(800, 600);
  ASSERT_EQ(partlist.size(), 100u);
  for (size_t i = 0; i < partlist.size(); i += 2) {
    const tPART& a = partlist[i];
    const tPART& b = partlist[i + 1];
    ASSERT_TRUE(a.img == &fakering2 && b.img == &fakering1);
    EXPECT_TRUE(a.r == b.r && a.g == b.g && a.b == b.b);  // one colour for the burst
    EXPECT_TRUE(a.r >= 64 && a.g >= 64 && a.b >= 64 && a.r <= 255 && a.g <= 255 && a.b <= 255);
    EXPECT_TRUE(a.alpha >= 1 && a.alpha < 1.5f && a.xscale == 0 && a.t == PART_DRIFT);
    EXPECT_TRUE(a.xscalechange >= 0.1f && a.xscalechange < 0.2f && a.xscalechange == a.yscalechange);
    EXPECT_TRUE(b.xscalechange >= 0.2f && b.xscalechange < 0.3f);
  }
  // Every ring fades out within 25 to 38 ticks, without moving.
  int ticks = 0;
  while (!partlist.empty() && ticks < 100) {
    Tick();
    ticks++;
    if (ticks < 25) {
      ASSERT_EQ(partlist.size(), 100u);
    }
  }
  EXPECT_GE(ticks, 25);
  EXPECT_LE(ticks, 38);
}

TEST_F(ParticleTest, RedRingIgnoresTheSetting) {
  explosionsetting = 0;
  SpawnRedRing(900, 650);
  ASSERT_EQ(partlist.size(), 1u);
  const tPART& p = partlist[0];
  EXPECT_TRUE(p.img == &fakering1 && p.r == 255 && p.g == 32 && p.b == 32);
  EXPECT_TRUE(p.xscalechange >= 0.025f && p.xscalechange < 0.05f);
}

TEST_F(ParticleTest, AHeavyTickKeepsItsMemory) {
  for (int n = 0; n < 1000; n++) SpawnExplosion(600 + n % 900, 400 + n % 600);
  for (int n = 0; n < 200; n++) {
    tPART p = Spark(PART_BOUNCE);
    p.accel = 3;
    p.ang = (float)n;
    p.alphachange = -0.001f;
    partlist.push_back(p);
  }
  drawlist.reserve(4096);
  Tick();
  const tPART* partmem = partlist.data();
  const tDRAW* drawmem = drawlist.data();
  for (int i = 0; i < 20; i++) {
    ClearDrawList();
    Tick();
    for (int n = 0; n < 10; n++) SpawnExplosion(1000, 700);  // refills within capacity
  }
  EXPECT_EQ(partlist.data(), partmem);
  EXPECT_EQ(drawlist.data(), drawmem);
}
