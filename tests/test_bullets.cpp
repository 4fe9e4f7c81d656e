// Bullets against enemies and walls, and the bomb ring: who dies, who pays,
// how long it runs and which awards it earns.
#include <gtest/gtest.h>

#include "tests/playfield_fixture.h"

#include "enemies/enemies.h"
#include "enemies/shots.h"
#include "enemies/wave_director.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "playfield/bullets.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"

namespace {
TImage bulletpic, ringpic;

struct BulletTest : PlayfieldTest {
  BulletTest() : PlayfieldTest(3) {}
  void SetUp() override {
    PlayfieldTest::SetUp();
    bombimg = &ringpic;
  }
  void TearDown() override {
    PlayfieldTest::TearDown();
    bombimg = nullptr;
  }
};

tBULLET& AddBullet(float x, float y, float ang) {
  tBULLET& b = bulletlist.emplace_back();
  b.x = x;
  b.y = y;
  b.ang = ang;
  b.speed = 12;
  b.collrad = 12;
  b.damage = 100;
  b.alpha = 1;
  b.scale = 1;
  b.blend = BLEND_LIGHT;
  b.img = &bulletpic;
  return b;
}

}  // namespace

TEST_F(BulletTest, BulletLeavingTheArenaStillHitsIsDrawnOnceAndSparks) {
  AddBullet(1570, 700, 90);  // moves to 1582: past the wall with its radius
  tNME& n = AddEnemy(1574, 700);
  UpdateBullets();
  EXPECT_EQ(n.mode, 2);
  EXPECT_EQ(n.energy, -50);
  EXPECT_EQ(Draws(&bulletpic), 1);
  EXPECT_TRUE(bulletlist.empty());
  ASSERT_EQ(partlist.size(), 2u);
  for (const tPART& p : partlist) {
    EXPECT_EQ(p.t, 0);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 255);
    EXPECT_EQ(p.b, 64);
    EXPECT_GE(p.accel, 9);
    EXPECT_LE(p.accel, 12);
    EXPECT_NEAR(p.rot, 180 - p.ang, 1e-4);
  }
  ClearDrawList();
  UpdateBullets();
  EXPECT_EQ(Draws(&bulletpic), 0);
  // A bullet outside that touches nothing also bursts.
  AddBullet(1575, 400, 90);
  UpdateBullets();
  EXPECT_TRUE(bulletlist.empty());
  EXPECT_EQ(partlist.size(), 4u);
}

TEST_F(BulletTest, BulletDamagesOnlyTheFirstEnemyItTouches) {
  tNME& a = AddEnemy(1000, 612, 0);  // spawning in: untouchable
  tNME& b = AddEnemy(1000, 612);
  tNME& c = AddEnemy(1004, 612);
  b.energy = 100;
  AddBullet(1000, 600, 0);
  UpdateBullets();
  EXPECT_EQ(a.energy, 50);
  EXPECT_EQ(b.energy, 0);
  EXPECT_EQ(b.mode, 1);  // exactly 0 is still alive
  EXPECT_EQ(c.energy, 50);
  AddBullet(1000, 600, 0);
  UpdateBullets();
  EXPECT_EQ(b.mode, 2);
  // A free bullet flies on and the gun cools one tick per update.
  firecount = 2;
  AddBullet(700, 400, 0);
  UpdateBullets();
  EXPECT_EQ(bulletlist.size(), 1u);
  EXPECT_EQ(bulletlist[0].y, 412);
  EXPECT_EQ(firecount, 1);
}

TEST_F(BulletTest, BombRunsFiftyTicksKillsForNothingAndEndsTheWait) {
  shield = 120;
  bombs = 2;
  attackmode = 7;
  wavestep = 2;
  HeadlessSetKey(keybomb, 1);
  Tick();
  EXPECT_EQ(bombstate, 2);  // started in the tick of the request
  EXPECT_EQ(bombs, 1);
  EXPECT_EQ(noshootticks, 0);
  EXPECT_EQ(gameawards[0], 1);  // shield still up
  EXPECT_EQ(gameawards[1], 1);  // nothing to bomb
  // Enemies placed after the start: one in reach, one spawning in, one far.
  tNME& near = AddEnemy(playerx + 200, playery);
  tNME& spawning = AddEnemy(playerx - 200, playery, 0);
  tNME& far = AddEnemy(1584 - 12, 1072 - 12);
  int ticks = 0;
  while (bombstate == 2 && ticks < 200) {
    Tick();
    ticks++;
    if (bombstate == 2) {
      EXPECT_EQ(Draws(&ringpic), 1);
    }
  }
  EXPECT_EQ(ticks, 50);
  EXPECT_EQ(bombradius, 807);
  EXPECT_EQ(near.mode, 2);
  EXPECT_EQ(near.score, 0);
  EXPECT_EQ(far.mode, 2);
  EXPECT_EQ(far.score, 0);
  EXPECT_EQ(spawning.mode, 0);
  EXPECT_EQ(spawning.score, 25);
  EXPECT_EQ(attackmode, 0);
  // The held key starts the next bomb only once the first has ended.
  EXPECT_EQ(bombs, 1);
  Tick();
  EXPECT_EQ(bombs, 0);
  EXPECT_EQ(bombstate, 2);
}

TEST_F(BulletTest, BombAwardsNeedShieldOrEmptyArenaAndStepZeroKeepsThePattern) {
  shield = 0;
  AddEnemy(600, 400, 0);
  attackmode = 4;
  wavestep = 0;
  bombstate = 1;
  Tick();
  EXPECT_EQ(gameawards[0], 0);
  EXPECT_EQ(gameawards[1], 0);
  for (int t = 0; t < 50; t++) Tick();
  EXPECT_EQ(bombstate, 0);
  EXPECT_EQ(attackmode, 4);
  // No bombs left: the request is ignored.
  bombs = 0;
  HeadlessSetKey(keybomb, 1);
  Tick();
  EXPECT_EQ(bombstate, 0);
}
