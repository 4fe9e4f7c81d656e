// Each kind's own step, worked out by hand from how the kind is meant to
// move: the Wanderer's waypoints, the three homers, the Splitter and its
// Splinters, the Snake's trail and slow death, the Shieldship's aim and
// charge, and the Hole's waking, gravity, swallowing and burst.
#include <gtest/gtest.h>

#include "tests/playfield_fixture.h"

#include <array>
#include <cmath>
#include <iterator>
#include <set>
#include <vector>

#include "enemies/enemies.h"
#include "enemies/kinds.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/sfx.h"

namespace {

struct KindsTest : EnemyTest {
  KindsTest() : EnemyTest(77) {}
};

double Rad(double deg) { return deg * M_PI / 180; }
double S(double deg) { return std::sin(Rad(deg)); }
double C(double deg) { return std::cos(Rad(deg)); }
double Deg(double p, double q) { return std::atan2(p, q) * 180 / M_PI; }
// An angle difference brought into [0, 360).
double Turn(double a) { return std::fmod(std::fmod(a, 360) + 360, 360); }

bool AnySpawnSound() {
  for (int t = 0; t < NME_KINDS; t++)
    if (fxplayed[Sfx::SpawnOf(t)]) return true;
  return false;
}

// The ship stays put in the middle unless a test moves it.
constexpr float SHIPX = 1072, SHIPY = 688;

}  // namespace

TEST_F(KindsTest, WandererPicksAFarWaypointStandingStillThenSnakesTowardItSpinning) {
  SpawnWanderer(800, 600);
  Steps(48);
  tNME& w = nmelist[0];
  ASSERT_EQ(w.mode, 1);
  Step();
  EXPECT_EQ(w.x, 800);
  EXPECT_EQ(w.y, 600);
  EXPECT_GT(std::hypot(w.counter4 - 800, w.counter5 - 600), 48);
  EXPECT_GE(w.counter4, 572);
  EXPECT_LE(w.counter4, 1572);
  EXPECT_GE(w.counter5, 316);
  EXPECT_LE(w.counter5, 1060);

  // Steered by hand: the waypoint 200 to the right, the wobble at 0.
  w.counter4 = 1000;
  w.counter5 = 600;
  w.counter1 = 0;
  w.speed = 0;
  Step();
  EXPECT_NEAR(w.ang, 90, 1e-4);
  EXPECT_EQ(w.speed, 0.125f);
  EXPECT_NEAR(w.x, 800.125, 1e-4);
  EXPECT_NEAR(w.y, 600, 1e-4);
  EXPECT_EQ(w.counter1, 2);
  double a = Deg(1000 - 800.125, 0) + S(2) * 90;
  double x = 800.125 + S(a) * 0.25, y = 600 + C(a) * 0.25;
  Step();
  EXPECT_NEAR(w.ang, a, 1e-3);
  EXPECT_NEAR(w.x, x, 1e-3);
  EXPECT_NEAR(w.y, y, 1e-3);
  // A wobble of 90 turns it square off the line: waypoint straight below,
  // it goes right.
  w.counter4 = w.x;
  w.counter5 = w.y + 300;
  w.counter1 = 90;
  x = w.x;
  y = w.y;
  Step();
  EXPECT_NEAR(w.ang, 90, 1e-3);
  EXPECT_NEAR(w.x, x + 0.375, 1e-3);
  EXPECT_NEAR(w.y, y, 1e-3);

  // Speed climbs by 0.125 to 1 and no further; the spin keeps its way.
  std::set<int> spins;
  for (int t = 0; t < 40; t++) {
    float speed = w.speed, rot = w.rot;
    Step();
    if (speed < 1) {
      EXPECT_EQ(w.speed, speed + 0.125f);
    }
    EXPECT_LE(w.speed, 1);
    spins.insert((int)std::lround(Turn(w.rot - rot)));
  }
  EXPECT_GE(w.speed, 0.875f);
  ASSERT_EQ(spins.size(), 1u);
  EXPECT_TRUE(*spins.begin() == 5 || *spins.begin() == 355);
}

TEST_F(KindsTest, ChaserComesStraightOnPulsingAndStopsAtTheWall) {
  SpawnChaser(800, SHIPY, 0);
  tNME& c = nmelist[0];
  c.counter1 = 90;
  Step();
  EXPECT_EQ(c.speed, 0.125f);
  EXPECT_NEAR(c.x, 800.125, 1e-4);
  EXPECT_NEAR(c.y, SHIPY, 1e-4);
  EXPECT_NEAR(c.xscale, 1.2, 1e-6);
  EXPECT_NEAR(c.yscale, 0.8, 1e-6);
  EXPECT_EQ(c.counter1, 95);
  Step();
  EXPECT_NEAR(c.xscale, 1 + S(95) / 10 * 2, 1e-6);
  EXPECT_NEAR(c.yscale, 1 + S(275) / 10 * 2, 1e-6);
  EXPECT_EQ(c.counter1, 100);
  // 0.125 more each tick while below 2.4, straight along the line.
  for (int k = 3; k <= 19; k++) {
    Step();
    EXPECT_EQ(c.speed, 0.125f * k);
  }
  EXPECT_NEAR(c.x, 800 + 0.125 * (19 * 20 / 2), 1e-3);
  EXPECT_NEAR(c.y, SHIPY, 1e-3);
  for (int t = 0; t < 20; t++) {
    Step();
    EXPECT_GE(c.speed, 2.4f - 0.125f);
    EXPECT_LT(c.speed, 2.4f + 0.125f);
  }
  // Against the wall it stays its radius inside.
  nmelist.clear();
  playerx = 560;
  SpawnChaser(572.1f, SHIPY, 0);  // one step would take it 0.025 past the limit
  Step();
  EXPECT_EQ(nmelist[0].x, 572);
  Step();
  EXPECT_EQ(nmelist[0].x, 572);
  EXPECT_NEAR(nmelist[0].y, SHIPY, 1e-4);
}

TEST_F(KindsTest, DodgerIsShovedAwayFromANearBulletAndBacksOff) {
  SpawnDodger(800, SHIPY, 0);
  tNME& d = nmelist[0];
  tBULLET& b = bulletlist.emplace_back();
  b = Shot(800.25f, SHIPY + 30, 0, 12);
  // It steps to 800.25: the bullet is 30 off, inside 12 + 3 * 12 = 48, so
  // it is shoved (48 - 30) / 2 = 9 straight away from it.
  Step();
  EXPECT_NEAR(d.x, 800.25, 1e-3);
  EXPECT_NEAR(d.y, SHIPY - 9, 1e-3);
  EXPECT_EQ(d.speed, -4);
  bulletlist.clear();
  // Backing off: at -3.75 along the line to the ship.
  double a = Deg(SHIPX - 800.25, SHIPY - (SHIPY - 9));
  double x = 800.25 + S(a) * -3.75, y = SHIPY - 9 + C(a) * -3.75;
  Step();
  EXPECT_EQ(d.speed, -3.75f);
  EXPECT_NEAR(d.x, x, 1e-3);
  EXPECT_NEAR(d.y, y, 1e-3);

  // A bullet exactly 48 off is not near enough; speed climbs 0.25 a tick to 3.
  nmelist.clear();
  SpawnDodger(800, 900, 0);
  tNME& e = nmelist[0];
  bulletlist.emplace_back() = Shot(800, 900 + 48, 0, 12);
  playerx = 1500;
  playery = 900;
  Step();
  EXPECT_NEAR(e.x, 800.25, 1e-3);
  EXPECT_NEAR(e.y, 900, 1e-3);
  EXPECT_EQ(e.speed, 0.25f);
  for (int k = 2; k <= 12; k++) {
    Step();
    EXPECT_EQ(e.speed, 0.25f * k);
  }
  for (int t = 0; t < 10; t++) {
    Step();
    EXPECT_LT(e.speed, 3 + 0.25f);
    EXPECT_GT(e.speed, 3 - 0.25f);
  }
}

TEST_F(KindsTest, WeaverWeavesTwentyDegreesAboutTheLineAndRocks) {
  SpawnWeaver(800, SHIPY);
  Steps(48);
  tNME& w = nmelist[0];
  ASSERT_EQ(w.mode, 1);
  w.counter2 = 90;
  w.speed = 0;
  w.rot = 80;
  Step();
  EXPECT_EQ(w.speed, 0.125f);
  EXPECT_NEAR(w.ang, 110, 1e-4);
  EXPECT_NEAR(w.x, 800 + 0.125 * S(110), 1e-4);
  EXPECT_NEAR(w.y, SHIPY + 0.125 * C(110), 1e-4);
  EXPECT_EQ(w.counter2, 91);
  EXPECT_EQ(w.rot, 90);
  ASSERT_NE(FindDraw(w.img), nullptr);
  EXPECT_NEAR(FindDraw(w.img)->rot, 90, 1e-4);
  double x = w.x, y = w.y;
  double a = Deg(SHIPX - x, SHIPY - y) + S(91) * 20;
  Step();
  EXPECT_NEAR(w.ang, a, 1e-3);
  EXPECT_NEAR(w.x, x + 0.25 * S(a), 1e-4);
  EXPECT_NEAR(w.y, y + 0.25 * C(a), 1e-4);
  EXPECT_NEAR(FindDraw(w.img)->rot, S(100) * 90, 1e-3);
  for (int k = 3; k <= 16; k++) {
    Step();
    EXPECT_EQ(w.speed, 0.125f * k);
  }
  for (int t = 0; t < 10; t++) {
    Step();
    EXPECT_LE(w.speed, 2);
  }
}

TEST_F(KindsTest, SplitterChargesTheShipAndBreaksIntoThreeSplintersWhenShot) {
  SpawnSplitter(800, 500, 0);
  tNME& s = nmelist[0];
  float top = 0;
  for (int t = 0; t < 60; t++) {
    float x = s.x, y = s.y, speed = s.speed, rot = s.rot;
    Step();
    double dx = s.x - x, dy = s.y - y, tx = SHIPX - x, ty = SHIPY - y;
    EXPECT_NEAR(std::hypot(dx, dy), s.speed, 1e-3);
    EXPECT_NEAR((dx * ty - dy * tx) / std::hypot(tx, ty), 0, 1e-3);  // on the line
    EXPECT_GT(dx * tx + dy * ty, 0);                                 // toward the ship
    if (speed < 3.8f) {
      EXPECT_GT(s.speed, speed);
    }
    EXPECT_NEAR(Turn(s.rot - rot), 4, 1e-3);
    top = std::max(top, s.speed);
  }
  EXPECT_GE(top, 3.7f);
  EXPECT_LT(top, 4);

  // Shot down it pays and leaves three Splinters 36 out, silently.
  nmelist.clear();
  SpawnSplitter(900, 600, 0);
  ASSERT_EQ(HitEnemies(Shot(900, 600, 100)), 1);
  Step();
  EXPECT_EQ(score, 100);
  EXPECT_EQ(killed, 1);
  EXPECT_EQ(killsbykind[NME_SPLITTER], 1);
  EXPECT_EQ(fxplayed[Sfx::EnemyExplode], 1);
  EXPECT_FALSE(AnySpawnSound());
  ASSERT_EQ(nmelist.size(), 3u);
  for (size_t i = 0; i < 3; i++) {
    const tNME& p = nmelist[i];
    EXPECT_EQ(p.t, NME_SPLINTER);
    EXPECT_EQ(p.mode, 1);
    EXPECT_EQ(p.alpha, 1);
    EXPECT_NEAR(std::hypot(p.x - 900, p.y - 600), 36, 1e-3);
    for (size_t j = 0; j < i; j++)
      EXPECT_GT(std::hypot(p.x - nmelist[j].x, p.y - nmelist[j].y), 36);
  }
}

TEST_F(KindsTest, SplinterCirclesACentreThatChasesTheShip) {
  SpawnSplinter(800, SHIPY);
  Step();
  tNME& s = nmelist[0];
  ASSERT_EQ(s.mode, 1);
  s.counter2 = 0;  // turning the positive way
  s.counter3 = 0;
  s.speed = 0;
  Step();
  EXPECT_EQ(s.speed, 0.125f);
  EXPECT_EQ(s.tabx[0], 2);
  EXPECT_NEAR(s.counter4, 800.125, 1e-4);
  EXPECT_NEAR(s.counter5, SHIPY, 1e-4);
  EXPECT_NEAR(s.x, 800.125, 1e-4);
  EXPECT_NEAR(s.y, SHIPY + 2, 1e-4);
  EXPECT_EQ(s.counter3, 4);
  Step();
  EXPECT_EQ(s.tabx[0], 4);
  EXPECT_NEAR(s.counter4, 800.375, 1e-4);
  EXPECT_NEAR(s.x, 800.375 + S(4) * 4, 1e-4);
  EXPECT_NEAR(s.y, SHIPY + C(4) * 4, 1e-4);

  // Far from the ship the orbit opens by 2 to 48; the centre closes in at
  // the Splinter's speed, at most 3.
  for (int t = 0; t < 40; t++) {
    float radius = s.tabx[0], orbit = s.counter3, cx = s.counter4, cy = s.counter5;
    float speed = s.speed;
    Step();
    EXPECT_EQ(s.tabx[0], std::min(radius + 2, 48.0f));
    if (speed < 3) {
      EXPECT_EQ(s.speed, speed + 0.125f);
    }
    EXPECT_LE(s.speed, 3);
    EXPECT_NEAR(std::hypot(s.counter4 - cx, s.counter5 - cy), s.speed, 1e-3);
    EXPECT_GT(s.counter4, cx);
    EXPECT_NEAR(s.x, s.counter4 + S(orbit) * s.tabx[0], 1e-3);
    EXPECT_NEAR(s.y, s.counter5 + C(orbit) * s.tabx[0], 1e-3);
    EXPECT_NEAR(Turn(s.counter3 - orbit), 4, 1e-3);
  }
  EXPECT_EQ(s.tabx[0], 48);
  // With the ship on its centre the orbit closes by 2 to nothing.
  s.counter2 = 1;  // and now the other way round
  for (int t = 0; t < 30; t++) {
    playerx = s.counter4;
    playery = s.counter5;
    float radius = s.tabx[0], orbit = s.counter3;
    Step();
    EXPECT_EQ(s.tabx[0], std::max(radius - 2, 0.0f));
    EXPECT_NEAR(s.x, s.counter4 + S(orbit) * s.tabx[0], 1e-3);
    EXPECT_NEAR(s.y, s.counter5 + C(orbit) * s.tabx[0], 1e-3);
    EXPECT_NEAR(Turn(s.counter3 - orbit), 356, 1e-3);
  }
  EXPECT_EQ(s.tabx[0], 0);
}

TEST_F(KindsTest, SnakesTrailFollowsTheHeadOnlyWhenItMovesAndStopsBullets) {
  SpawnSnake(800, 600);
  tNME& s = nmelist[0];
  for (int i = 1; i <= SNAKE_SEGMENTS; i++)
    EXPECT_EQ(s.tabx[SnakeSegment(i)], -1) << i;  // no segments yet
  Steps(48);
  ASSERT_EQ(s.mode, 1);
  Step();  // picks its first waypoint standing still: the trail stays empty
  EXPECT_EQ(s.x, 800);
  EXPECT_EQ(s.y, 600);
  EXPECT_EQ(s.tabx[0], -1);
  int moves = 0, stills = 0;
  for (int t = 0; t < 400; t++) {
    std::array<float, 120> tx = s.tabx, ty = s.taby;
    float x = s.x, y = s.y, speed = s.speed;
    Step();
    if (s.x != x || s.y != y) {
      moves++;
      ASSERT_EQ(s.tabx[0], s.x);
      ASSERT_EQ(s.taby[0], s.y);
      for (int k = 0; k < 94; k++) {
        ASSERT_EQ(s.tabx[k + 1], tx[k]) << k;
        ASSERT_EQ(s.taby[k + 1], ty[k]) << k;
      }
      if (speed < 4) {
        EXPECT_EQ(s.speed, speed + 0.125f);
      }
    } else {
      stills++;
      ASSERT_EQ(s.tabx, tx);
      ASSERT_EQ(s.taby, ty);
    }
    EXPECT_LE(s.speed, 4);
  }
  ASSERT_GT(moves, 100);
  for (int i = 1; i < SNAKE_SEGMENTS; i++) EXPECT_NE(s.tabx[SnakeSegment(i)], -1) << i;
  EXPECT_EQ(s.tabx[SnakeSegment(SNAKE_SEGMENTS)], -1);  // no 24th segment, ever
  // A segment well clear of the head stops a bullet and the Snake is unhurt.
  int seg = 0;
  for (int i = 23; i >= 1 && seg == 0; i--)
    if (std::hypot(s.tabx[SnakeSegment(i)] - s.x, s.taby[SnakeSegment(i)] - s.y) > 40) seg = i;
  ASSERT_NE(seg, 0);
  EXPECT_EQ(HitEnemies(Shot(s.tabx[SnakeSegment(seg)] + 13, s.taby[SnakeSegment(seg)], 100)), 3);
  EXPECT_EQ(s.energy, 50);
  EXPECT_EQ(s.mode, 1);
}

TEST_F(KindsTest, ShotSnakeExplodesDownItsTrailFor23TicksAndIsCountedOnce) {
  // Every kind of Snake death: shot, then for nothing.
  for (bool paid : {true, false}) {
    SCOPED_TRACE(paid);
    nmelist.clear();
    score = killed = totalkilled = 0;
    killsbykind[NME_SNAKE] = 0;
    SpawnSnake(800, 600);
    Steps(48 + 300);
    tNME& s = nmelist[0];
    for (int i = 1; i < SNAKE_SEGMENTS; i++) ASSERT_NE(s.tabx[SnakeSegment(i)], -1) << i;
    float x = s.x, y = s.y;
    if (paid) {
      ASSERT_EQ(HitEnemies(Shot(x, y, 100)), 1);
    } else {
      KillEnemyForNothing(s);
    }
    ASSERT_EQ(s.mode, 2);
    partlist.clear();
    ResetGrid();
    TImage* pic = s.img;
    Step();
    EXPECT_EQ(score, paid ? 150 : 0);
    EXPECT_EQ(killed, 0);  // counted only once it has gone
    if (paid) {
      EXPECT_EQ(fxplayed[Sfx::EnemyExplode], 1);
    }
    EXPECT_EQ(Particles(partex02img), 1);
    ASSERT_NE(FindParticle(pic), nullptr);
    EXPECT_EQ(FindParticle(pic)->t, 1);
    EXPECT_TRUE(GridShakenAt(x, y));
    for (int t = 2; t <= 22; t++) {
      Step();
      ASSERT_EQ(nmelist.size(), 1u) << "tick " << t;
      EXPECT_EQ(killed, 0);
    }
    Step();
    EXPECT_TRUE(nmelist.empty());
    EXPECT_EQ(score, paid ? 150 : 0);
    EXPECT_EQ(killed, paid ? 1 : 0);
    EXPECT_EQ(totalkilled, paid ? 1 : 0);
    EXPECT_EQ(killsbykind[NME_SNAKE], paid ? 1 : 0);
    int rings = 0;
    for (const tPART& p : partlist) rings += p.r == 255 && p.g == 32 && p.b == 32;
    EXPECT_EQ(rings, 23);  // one down each segment
    Steps(5);
    EXPECT_EQ(killed, paid ? 1 : 0);
  }
}

// Unlike the other kinds, a Snake's head always bursts with the kill sound,
// paid or not.
TEST_F(KindsTest, SnakeDeathIsHeardEvenWhenItPaysNothing) {
  SpawnSnake(800, 600);
  Steps(48 + 20);
  ASSERT_EQ(nmelist[0].mode, 1);
  KillEnemyForNothing(nmelist[0]);
  Step();
  EXPECT_EQ(fxplayed[Sfx::EnemyExplode], 1);
  EXPECT_EQ(killed, 0);
}

// A Snake still spawning in when the ship dies explodes on the next pass and
// leaves after 23, like one that was active.
TEST_F(KindsTest, SnakeKilledWhileSpawningInExplodesOnTheNextPass) {
  SpawnSnake(800, 600);
  Steps(10);
  TImage* pic = nmelist[0].img;
  KillAllEnemiesForNothing();
  Step();
  EXPECT_EQ(Particles(partex02img), 1);
  EXPECT_NE(FindParticle(pic), nullptr);
  EXPECT_TRUE(GridShakenAt(800, 600));
  Steps(22);
  EXPECT_TRUE(nmelist.empty());
}

TEST_F(KindsTest, ShieldshipAimsTheShortWayStandingThenChargesTailFirst) {
  playerx = 1500;
  playery = SHIPY;
  SpawnShieldship(700, SHIPY);
  nmelist[0].ang = 0;
  Steps(48);
  tNME& s = nmelist[0];
  ASSERT_EQ(s.mode, 1);
  // Facing 0 it wants 90 + 180 = 270: the short way is down through 358.
  int ticks = 0;
  while (s.counter1 == 0 && ticks < 400) {
    float ang = s.ang;
    Step();
    ticks++;
    EXPECT_NEAR(Turn(s.ang - ang), 358, 1e-3);
    EXPECT_EQ(s.x, 700);
    EXPECT_EQ(s.y, SHIPY);
  }
  EXPECT_EQ(ticks, 43);  // 358 .. 274, the first within 5 of 270
  EXPECT_NEAR(s.ang, 274, 1e-3);
  EXPECT_EQ(s.counter1, 1);
  // Charging it backs along ang + 180, toward the ship, at up to 8.
  float top = 0;
  for (int t = 0; t < 45; t++) {
    float x = s.x, y = s.y, speed = s.speed;
    Step();
    EXPECT_NEAR(s.x - x, S(s.ang + 180) * s.speed, 1e-3);
    EXPECT_NEAR(s.y - y, C(s.ang + 180) * s.speed, 1e-3);
    if (speed < 8) {
      EXPECT_GT(s.speed, speed);
    }
    EXPECT_LT(s.speed, 8 + 0.25f);
    top = std::max(top, s.speed);
  }
  EXPECT_GE(top, 8);
  EXPECT_GT(s.x, 800);
  // The shield shows for a bullet within 64, even while it aims.
  nmelist.clear();
  SpawnShieldship(1200, 400);
  nmelist[0].mode = 1;
  nmelist[0].alpha = 1;
  nmelist[0].ang = 46;  // facing away: it stays aiming a while
  bulletlist.emplace_back() = Shot(1200, 463, 0);
  Step();
  EXPECT_EQ(nmelist[0].counter1, 0);
  EXPECT_EQ(Draws(nme09shieldimg), 1);
  bulletlist[0].y = 465;
  Step();
  EXPECT_EQ(Draws(nme09shieldimg), 0);
}

// A homing turn is one step a tick, one way or the other: half a degree
// short of its target a charging Shieldship (1 a tick) or a Spawnling (2 a
// tick) overshoots by the rest of its step and does not turn back.
TEST_F(KindsTest, ChargingShieldshipAndSpawnlingHalfADegreeShortTurnOnceAndOvershoot) {
  struct Case {
    int kind;
    float target, step;  // the target heading from 288 left of the ship
  };
  for (Case c : {Case{NME_SHIELDSHIP, 90 + 180, 1}, Case{NME_SPAWNLING, 90, 2}}) {
    SCOPED_TRACE(c.kind);
    nmelist.clear();
    playerx = SHIPX;
    playery = SHIPY;
    if (c.kind == NME_SHIELDSHIP) {
      SpawnShieldship(SHIPX - 288, SHIPY);
    } else {
      SpawnSpawnling(SHIPX - 288, SHIPY, 0);
    }
    tNME& n = nmelist[0];
    n.mode = 1;
    n.alpha = 1;
    n.counter1 = 1;    // charging / speed factor 1
    n.counter2 = c.kind == NME_SPAWNLING ? 100 : 0;  // factor kept / approaching
    n.counter5 = 8;
    n.tabx[0] = 0;
    n.ang = c.target - 0.5f;
    Step();
    EXPECT_NEAR(n.ang, c.target - 0.5f + c.step, 1e-4);
  }
}

TEST_F(KindsTest, HoleWakesOnTheFirstHitTakesHalfDamageAndDiesWithTwoFlashes) {
  SpawnHole(880, 624);  // on grid node (20, 20)
  Steps(48);
  tNME& h = nmelist[0];
  ASSERT_EQ(h.mode, 1);
  TImage* pic = h.img;
  playerx = 880;
  playery = 624 + 112;
  bulletlist.emplace_back() = Shot(880 + 50, 624, 0);
  Steps(10);  // dormant: no growth, no pull, no push
  EXPECT_EQ(h.energy, 1000);
  EXPECT_EQ(playery, 624 + 112);
  EXPECT_EQ(bulletlist[0].x, 930);
  bulletlist.clear();
  partlist.clear();
  ClearFX();
  EXPECT_EQ(HitEnemies(Shot(880, 644, 100)), 1);
  EXPECT_EQ(h.energy, 950);
  EXPECT_EQ(h.counter1, 1);
  EXPECT_EQ(Particles(partex02img), 1);  // the explosion
  EXPECT_EQ(Particles(bombimg), 1);      // the waking flash
  EXPECT_EQ(fxplayed[Sfx::EnemyExplode], 1);
  ClearFX();
  EXPECT_EQ(HitEnemies(Shot(880, 644, 100)), 1);
  EXPECT_EQ(h.energy, 900);
  EXPECT_EQ(Particles(partex02img), 2);
  EXPECT_EQ(Particles(bombimg), 1);
  EXPECT_EQ(fxplayed[Sfx::EnemyExplode], 1);
  // Awake: 2 energy a tick, and the ship 112 off is pulled 14 * 8 / 112 = 1.
  Step();
  EXPECT_EQ(h.energy, 902);
  EXPECT_NEAR(playery, 624 + 111, 1e-4);
  EXPECT_NEAR(playerx, 880, 1e-4);
  // Exactly nothing left survives.
  EXPECT_EQ(HitEnemies(Shot(880, 644, 1804)), 1);
  EXPECT_EQ(h.energy, 0);
  EXPECT_EQ(h.mode, 1);
  EXPECT_EQ(HitEnemies(Shot(880, 644, 2)), 1);
  EXPECT_EQ(h.mode, 2);
  partlist.clear();
  ResetGrid();
  Step();
  EXPECT_TRUE(nmelist.empty());
  EXPECT_EQ(score, 150);
  EXPECT_EQ(killed, 1);
  EXPECT_EQ(killsbykind[NME_HOLE], 1);
  EXPECT_EQ(fxplayed[Sfx::HoleExplode], 1);
  EXPECT_EQ(Particles(bombimg), 2);
  EXPECT_EQ(Particles(partex02img), 1);
  EXPECT_NE(FindParticle(pic), nullptr);
  // No shockwave: the grid is only pulled about, evenly near and far.
  auto kick = [](int c, int r) { return std::hypot(grid[c][r].dx, grid[c][r].dy); };
  EXPECT_GT(kick(21, 20), 0);
  EXPECT_FLOAT_EQ(kick(21, 20), kick(24, 20));
  EXPECT_FLOAT_EQ(kick(20, 21), kick(20, 24));
  EXPECT_FLOAT_EQ(kick(19, 19), kick(16, 16));
}

TEST_F(KindsTest, AwakeHolePullsSwallowsAndDeflectsButNeverSwallowsAHole) {
  SpawnHole(1000, 600);
  SpawnWanderer(1096, 600);  // 96 off: pulled 12 * 16 / 96 = 2
  SpawnWanderer(1030, 600);  // 30 off, inside 24 + 12: swallowed
  SpawnHole(904, 600);       // 96 off: pulled 24 * 16 / 96 = 4
  SpawnWanderer(1000, 850);  // 250 off: out of reach
  Steps(48);                 // the Wanderers' next step only picks a waypoint
  for (const tNME& n : nmelist) ASSERT_EQ(n.mode, 1);
  ASSERT_EQ(HitEnemies(Shot(1000, 600, 0)), 1);  // wakes the first Hole
  SpawnWanderer(1000, 500);                      // 100 off, spawning in: left alone
  playerx = 1000;
  playery = 712;
  bulletlist.emplace_back() = Shot(1000, 550, 0, 12);  // 50 off: pushed away
  bulletlist.emplace_back() = Shot(985, 615, 0, 12);   // within 32: left alone
  bulletlist.emplace_back() = Shot(850, 700, 0, 12);   // beyond 100: left alone
  Step();
  const tNME &hole = nmelist[0], &near = nmelist[1], &eaten = nmelist[2];
  const tNME &other = nmelist[3], &far = nmelist[4], &spawning = nmelist[5];
  EXPECT_NEAR(near.x, 1094, 1e-3);
  EXPECT_NEAR(near.y, 600, 1e-3);
  EXPECT_NEAR(other.x, 908, 1e-3);
  EXPECT_EQ(other.mode, 1);
  EXPECT_EQ(far.x, 1000);
  EXPECT_EQ(far.y, 850);
  EXPECT_EQ(spawning.x, 1000);
  EXPECT_EQ(spawning.y, 500);
  EXPECT_EQ(eaten.mode, 2);
  EXPECT_EQ(eaten.score, 0);
  EXPECT_EQ(hole.energy, 1000 + 2 + 2 * 50);
  EXPECT_EQ(hole.score, 150 + 25);
  EXPECT_NEAR(playerx, 1000, 1e-4);
  EXPECT_NEAR(playery, 711, 1e-4);
  EXPECT_NEAR(bulletlist[0].x, 1000, 1e-3);
  EXPECT_LT(bulletlist[0].y, 550);
  EXPECT_EQ(bulletlist[1].x, 985);
  EXPECT_EQ(bulletlist[1].y, 615);
  EXPECT_EQ(bulletlist[2].x, 850);
  EXPECT_EQ(bulletlist[2].y, 700);
  // The swallowed one dies for nothing, with its explosion and ghost.
  TImage* wandererpic = eaten.img;
  partlist.clear();
  Step();
  EXPECT_EQ(nmelist.size(), 5u);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(killed, 0);
  EXPECT_EQ(Particles(partex02img), 1);
  EXPECT_EQ(Particles(wandererpic), 1);
  // Shot down, the Hole pays for what it swallowed.
  ASSERT_EQ(HitEnemies(Shot(nmelist[0].x, nmelist[0].y, 5000)), 1);
  Step();
  EXPECT_EQ(score, 175);
  EXPECT_EQ(killed, 1);

  // Two awake Holes 40 apart touch (24 + 24): neither swallows the other,
  // each pulls the other instead, after the crowd has pushed them 46 apart
  // (2 each way, then 1 each way).
  nmelist.clear();
  bulletlist.clear();
  SpawnHole(1000, 600);
  SpawnHole(1040, 600);
  for (tNME& h : nmelist) {
    h.mode = 1;
    h.counter1 = 1;
  }
  Step();
  const tNME &first = nmelist[0], &second = nmelist[1];
  double secondx = 1043 - 24.0 * 16 / 46;  // pulled by the first
  EXPECT_NEAR(second.x, secondx, 1e-3);
  EXPECT_NEAR(second.y, 600, 1e-3);
  EXPECT_NEAR(first.x, 997 + 24.0 * 16 / (secondx - 997), 1e-3);  // then pulls it back
  for (const tNME& h : nmelist) {
    EXPECT_EQ(h.mode, 1);
    EXPECT_EQ(h.score, 150);
    EXPECT_EQ(h.energy, 1002);
  }
}

TEST_F(KindsTest, HoleStillSpawningInHasNoGravityEvenOnItsSecondPulse) {
  SpawnHole(1000, 600);
  Steps(8);
  tNME& h = nmelist[0];
  ASSERT_EQ(h.mode, 0);
  ASSERT_EQ(h.counter1, 1);
  // Probes: a dormant Hole 96 off, a Wanderer touching it, the ship 112 off
  // and a bullet 50 off, all put back before each tick.
  tNME& probe = AddEnemy(1096, 600);
  probe.t = NME_HOLE;
  probe.collrad = 24;
  probe.energy = 1000;
  tNME& touching = AddEnemy(1020, 600);
  bulletlist.emplace_back();
  for (int t = 9; t <= 50; t++) {
    probe.x = 1096;
    touching.x = 1020;
    touching.y = 600;
    touching.counter2 = 0;  // picks a waypoint: stands still this tick
    playerx = 1000;
    playery = 712;
    bulletlist[0] = Shot(1000, 550, 0, 12);
    Step();
    EXPECT_EQ(h.mode, t < 48 ? 0 : 1) << "tick " << t;
    EXPECT_EQ(probe.x, 1096) << "tick " << t;
    EXPECT_EQ(touching.mode, 1) << "tick " << t;
    EXPECT_EQ(touching.x, 1020) << "tick " << t;
    EXPECT_EQ(playery, 712) << "tick " << t;
    EXPECT_EQ(bulletlist[0].y, 550) << "tick " << t;
    EXPECT_EQ(h.energy, 1000) << "tick " << t;
  }
  // Active, it is dormant until shot; then all of it at once.
  touching.counter2 = 0;
  ASSERT_EQ(HitEnemies(Shot(995, 600, 0)), 1);
  Step();
  EXPECT_NEAR(probe.x, 1092, 1e-3);
  EXPECT_EQ(touching.mode, 2);
  EXPECT_NEAR(playery, 711, 1e-4);
  EXPECT_LT(bulletlist[0].y, 550);
}

TEST_F(KindsTest, AwakeHoleBurstsIntoNineToSeventeenSpawnlingsForNothing) {
  std::set<size_t> counts;
  for (int round = 0; round < 12; round++) {
    SCOPED_TRACE(round);
    nmelist.clear();
    SpawnHole(1000, 600);
    nmelist[0].mode = 1;
    ASSERT_EQ(HitEnemies(Shot(1000, 600, 0)), 1);
    nmelist[0].energy = 5996;
    nmelist[0].score = 175;  // as if it had swallowed a Wanderer
    Steps(2);
    ASSERT_EQ(nmelist.size(), 1u);  // 6000 is not more than 6000
    EXPECT_EQ(nmelist[0].energy, 6000);
    Step();
    EXPECT_EQ(nmelist[0].mode, 2);
    size_t spawnlings = nmelist.size() - 1;
    EXPECT_GE(spawnlings, 9u);
    EXPECT_LE(spawnlings, 17u);
    counts.insert(spawnlings);
    EXPECT_FALSE(AnySpawnSound());
    for (size_t i = 1; i < nmelist.size(); i++) {
      EXPECT_EQ(nmelist[i].t, NME_SPAWNLING);
      EXPECT_EQ(nmelist[i].mode, 1);
      EXPECT_EQ(nmelist[i].alpha, 1);
      EXPECT_LT(std::hypot(nmelist[i].x - 1000, nmelist[i].y - 600), 120);
    }
    Step();
    EXPECT_EQ(nmelist.size(), spawnlings);
    for (const tNME& n : nmelist) EXPECT_EQ(n.t, NME_SPAWNLING);
    EXPECT_EQ(fxplayed[Sfx::HoleExplode], 1);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(killed, 0);
    EXPECT_EQ(killsbykind[NME_HOLE], 0);
  }
  EXPECT_GT(counts.size(), 1u);
}

TEST_F(KindsTest, EveryKindCodeHasAWholeRowInEveryKindTable) {
  static_assert(std::size(nmespawned) == NME_KINDS && std::size(nmekilled) == NME_KINDS &&
                std::size(killsbykind) == NME_KINDS);
  std::set<TImage*> pictures;
  std::set<int> sounds;
  int kinds = 0;
  for (int t = -1; t <= NME_KINDS; t++) {
    if (!IsKind(t)) {
      EXPECT_EQ(&KindInfo(t), &KindInfo(NME_WANDERER)) << t;  // a stray code reads a real row
      continue;
    }
    kinds++;
    const NmeKindInfo& k = KindInfo(t);
    const NmeBehaviour& b = Behaviour(t);
    ASSERT_NE(k.name, nullptr) << t;
    ASSERT_NE(k.img, nullptr) << k.name;
    EXPECT_TRUE(*k.img && pictures.insert(*k.img).second) << k.name;  // a picture of its own
    EXPECT_GT(k.collrad, 0) << k.name;
    EXPECT_GT(k.energy, 0) << k.name;
    EXPECT_GT(k.score, 0) << k.name;
    if (k.spawnsfx != -1) {
      EXPECT_EQ(k.spawnsfx, Sfx::SpawnOf(t)) << k.name;
      EXPECT_TRUE(sounds.insert(k.spawnsfx).second) << k.name;
      EXPECT_NE(k.spawnsound, nullptr) << k.name;  // the sound global it plays
    }
    bool kept = k.weapon.level == WEAPON_KEPT.level;
    EXPECT_TRUE(kept || (k.weapon.level > 0 && k.weapon.firedelay > 0)) << k.name;
    EXPECT_TRUE(b.active && b.spawn) << k.name;
    EXPECT_TRUE(b.activate || b.spawnin) << k.name;  // the common spawn-in ends in activate
    if (b.parts) {
      EXPECT_TRUE(b.parts->box && b.parts->reaches && b.parts->touchesship) << k.name;
    }
    if (b.gravity) {
      EXPECT_TRUE(b.gravity->onenemies && b.gravity->onship && b.gravity->onbullets) << k.name;
    }
    // Its spawn call makes one of its own kind and counts it.
    long spawned = nmespawned[t];
    nmelist.clear();
    SpawnKind(t, 800, 600);
    ASSERT_FALSE(nmelist.empty()) << k.name;
    EXPECT_EQ(nmelist.back().t, t) << k.name;
    EXPECT_EQ(nmespawned[t], spawned + 1) << k.name;
  }
  EXPECT_EQ(kinds, NME_KINDS - 1);  // code 9 names no kind
}
