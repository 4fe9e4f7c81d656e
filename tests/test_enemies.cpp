// What every enemy shares: the kinds' starting values and spawn sounds, the
// search for a spawn spot away from the ship, the clamp to the arena, the
// spawn-in, which enemy a bullet hits, the kill path paid or for nothing,
// crowd separation, and that no meeting of centres ever makes a NaN.
#include <gtest/gtest.h>

#include "tests/playfield_fixture.h"

#include <cmath>
#include <vector>

#include "enemies/contact.h"
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

struct EnemiesTest : EnemyTest {
  EnemiesTest() : EnemyTest(20240611) {}
};

// One row of the kinds' table as the game is designed.
struct KindRow {
  int t;
  float collrad;
  int r, g, b;
  float energy;
  int score;
  int spawnsfx;  // -1: silent
};
const KindRow kKinds[] = {
    {NME_WANDERER, 12, 128, 64, 255, 50, 25, 17},  {NME_CHASER, 12, 24, 255, 255, 50, 50, 18},
    {NME_SPLITTER, 12, 255, 24, 255, 50, 100, 19}, {NME_DODGER, 12, 24, 255, 24, 50, 100, 20},
    {NME_WEAVER, 8, 64, 64, 255, 50, 10, 21},      {NME_SNAKE, 12, 96, 32, 255, 50, 150, 22},
    {NME_SHIELDSHIP, 16, 255, 64, 64, 50, 150, 23}, {NME_HOLE, 24, 255, 32, 8, 1000, 150, 24},
    {NME_SPAWNLING, 12, 255, 255, 24, 50, 50, -1}, {NME_SPLINTER, 8, 255, 24, 255, 50, 50, -1},
};

bool Finite(const tNME& n) {
  return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.ang) &&
         std::isfinite(n.speed) && std::isfinite(n.counter4) && std::isfinite(n.counter5);
}

}  // namespace

TEST_F(EnemiesTest, EveryKindSpawnsWithItsTableValuesAtRestAndWithItsOwnSound) {
  for (const KindRow& k : kKinds) {
    SCOPED_TRACE(k.t);
    nmelist.clear();
    ClearFX();
    SpawnKind(k.t, 900, 640);
    ASSERT_EQ(nmelist.size(), 1u);
    const tNME& n = nmelist[0];
    EXPECT_EQ(n.t, k.t);
    EXPECT_EQ(n.x, 900);
    EXPECT_EQ(n.y, 640);
    EXPECT_EQ(n.collrad, k.collrad);
    EXPECT_EQ(n.r, k.r);
    EXPECT_EQ(n.g, k.g);
    EXPECT_EQ(n.b, k.b);
    EXPECT_EQ(n.energy, k.energy);
    EXPECT_EQ(n.score, k.score);
    EXPECT_EQ(n.mode, 0);
    EXPECT_EQ(n.xscale, 1);
    EXPECT_EQ(n.yscale, 1);
    EXPECT_EQ(n.blend, 4);
    EXPECT_EQ(n.counter1, 0);
    EXPECT_EQ(n.counter2, 1);
    EXPECT_EQ(n.iamtheone, 0);
    if (k.t != NME_SPAWNLING) {
      EXPECT_EQ(n.speed, 0);
    }
    if (k.t != NME_SPLINTER) {
      EXPECT_EQ(n.alpha, 0);
    }
    // Its own spawn sound and nothing else; the two small kinds are silent.
    if (k.spawnsfx >= 0) {
      EXPECT_EQ(fxplayed[k.spawnsfx], 1);
    }
    EXPECT_EQ(SoundsPlayed(), k.spawnsfx >= 0 ? 1 : 0);
  }
}

// The two kinds born of others need no fade-in: a burst's Spawnlings leave at
// speed 4, a split's Splinters are seen at once.
TEST_F(EnemiesTest, SpawnlingsLeaveAtSpeedAndSplintersAreSeenAtOnce) {
  SpawnSpawnling(900, 640, 0);
  SpawnSplinter(1000, 640);
  EXPECT_EQ(nmelist[0].speed, 4);
  EXPECT_EQ(nmelist[0].alpha, 0);
  EXPECT_EQ(nmelist[1].speed, 0);
  EXPECT_EQ(nmelist[1].alpha, 1);
}

TEST_F(EnemiesTest, SpawningAtTheOriginSearchesAwayFromTheShipAndOtherSpotsAreClamped) {
  // The ship in each corner of the arena, then in the middle.
  const float spots[][2] = {{560, 304}, {1584, 304}, {560, 1072}, {1584, 1072}, {1072, 688}};
  for (const auto& spot : spots) {
    playerx = spot[0];
    playery = spot[1];
    for (const KindRow& k : kKinds) {
      nmelist.clear();
      for (int i = 0; i < 12; i++) SpawnKind(k.t, 0, 0);
      for (const tNME& n : nmelist) {
        float away = std::hypot(n.x - playerx, n.y - playery);
        EXPECT_GT(away, k.t == NME_HOLE ? 84 : 112) << "kind " << k.t;
        EXPECT_GE(n.x, 560 + k.collrad);
        EXPECT_LE(n.x, 1584 - k.collrad);
        EXPECT_GE(n.y, 304 + k.collrad);
        EXPECT_LE(n.y, 1072 - k.collrad);
      }
    }
  }
  // A Hole only keeps 84 away: over many spawns some land nearer than 112.
  nmelist.clear();
  int nearer = 0;
  for (int i = 0; i < 400; i++) {
    SpawnHole(0, 0);
    float away = std::hypot(nmelist.back().x - playerx, nmelist.back().y - playery);
    nearer += away < 112;
    nmelist.clear();
  }
  EXPECT_GT(nearer, 0);

  // Any other spot is taken as given, then kept its radius inside the walls.
  SpawnWanderer(0, 5);  // not the origin: no search
  EXPECT_EQ(nmelist.back().x, 572);
  EXPECT_EQ(nmelist.back().y, 316);
  SpawnWeaver(5000, -3);
  EXPECT_EQ(nmelist.back().x, 1576);
  EXPECT_EQ(nmelist.back().y, 312);
  SpawnHole(1584, 1072);
  EXPECT_EQ(nmelist.back().x, 1560);
  EXPECT_EQ(nmelist.back().y, 1048);
  SpawnShieldship(700, 1071);
  EXPECT_EQ(nmelist.back().x, 700);
  EXPECT_EQ(nmelist.back().y, 1056);
  SpawnChaser(100, 100, 0);
  EXPECT_EQ(nmelist.back().x, 572);
  EXPECT_EQ(nmelist.back().y, 316);
  // A Splinter is left where it is put, its orbit centre with it.
  SpawnSplinter(10, 5000);
  EXPECT_EQ(nmelist.back().x, 10);
  EXPECT_EQ(nmelist.back().y, 5000);
  EXPECT_EQ(nmelist.back().counter4, 10);
  EXPECT_EQ(nmelist.back().counter5, 5000);
}

TEST_F(EnemiesTest, SpawnInTakesSixPulsesOfEightTicksUntouchableAndHarmless) {
  SpawnWanderer(800, 600);
  SpawnHole(1300, 500);
  SpawnShieldship(700, 900);
  tNME& wanderer = nmelist[0];
  tNME& hole = nmelist[1];
  tNME& ship = nmelist[2];
  for (int t = 1; t <= 47; t++) {
    Step();
    for (const tNME& n : nmelist) {
      EXPECT_EQ(n.mode, 0) << "tick " << t;
      EXPECT_EQ(HitEnemies(Shot(n.x, n.y, 100)), 0) << "tick " << t;
      EXPECT_EQ(n.energy, KindInfo(n.t).energy);
    }
    EXPECT_EQ(wanderer.x, 800);
    EXPECT_EQ(wanderer.y, 600);
    EXPECT_EQ(ship.x, 700);
    EXPECT_EQ(ship.y, 900);
    // Sitting on the ship does it no harm.
    playerx = wanderer.x;
    playery = wanderer.y;
    CheckPlayerHit();
    EXPECT_EQ(playermode, PlayerMode::Alive);
    EXPECT_EQ(wanderer.mode, 0);
  }
  playerx = 1072;
  playery = 688;
  Step();
  for (const tNME& n : nmelist) {
    EXPECT_EQ(n.mode, 1);
    EXPECT_EQ(n.alpha, 1);
  }
  // Activated: the Hole is dormant (pulls nothing, gains nothing), the
  // Shieldship turns on the spot and the Wanderer first picks a waypoint.
  float shipang = ship.ang;
  playerx = hole.x;
  playery = hole.y + 100;
  Step();
  EXPECT_EQ(hole.energy, 1000);
  EXPECT_EQ(playery, hole.y + 100);
  EXPECT_EQ(wanderer.x, 800);
  EXPECT_EQ(wanderer.y, 600);
  EXPECT_EQ(ship.x, 700);
  EXPECT_EQ(ship.y, 900);
  float turned = std::fmod(ship.ang - shipang + 720, 360);
  EXPECT_TRUE(std::fabs(turned - 2) < 1e-3 || std::fabs(turned - 358) < 1e-3) << turned;
  Step();
  EXPECT_NE(std::hypot(wanderer.x - 800, wanderer.y - 600), 0);
  // Now a bullet hits.
  EXPECT_EQ(HitEnemies(Shot(wanderer.x, wanderer.y, 10)), 1);
  EXPECT_EQ(wanderer.energy, 40);

  // Spawnlings and Splinters come alive on their first tick; Chasers,
  // Splitters and Dodgers may skip the spawn-in and move on their first.
  nmelist.clear();
  SpawnSpawnling(700, 400, 0);
  SpawnSplinter(1400, 400);
  Step();
  EXPECT_EQ(nmelist[0].mode, 1);
  EXPECT_EQ(nmelist[0].alpha, 1);
  EXPECT_EQ(nmelist[1].mode, 1);
  EXPECT_EQ(nmelist[1].alpha, 1);
  nmelist.clear();
  SpawnChaser(700, 400, 0);
  SpawnSplitter(1400, 400, 0);
  SpawnDodger(700, 1000, 0);
  SpawnChaser(1400, 1000, 1);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(nmelist[i].mode, 1);
    EXPECT_EQ(nmelist[i].alpha, 1);
  }
  EXPECT_EQ(nmelist[3].mode, 0);
  std::vector<tNME> before = nmelist;
  Step();
  for (int i = 0; i < 3; i++) {
    // Each came one step straight at the ship.
    float dx = nmelist[i].x - before[i].x, dy = nmelist[i].y - before[i].y;
    float tx = playerx - before[i].x, ty = playery - before[i].y;
    EXPECT_GT(std::hypot(dx, dy), 0) << i;
    EXPECT_NEAR(dx * ty - dy * tx, 0, 1e-2) << i;
    EXPECT_GT(dx * tx + dy * ty, 0) << i;
  }
  EXPECT_EQ(nmelist[3].x, before[3].x);
}

TEST_F(EnemiesTest, ABulletGoesToTheFirstActiveEnemyItOverlapsInListOrder) {
  tNME& spawning = AddEnemy(800, 600, 0);
  tNME& dying = AddEnemy(800, 600, 2);
  EXPECT_EQ(HitEnemies(Shot(800, 600, 10)), 0);
  EXPECT_EQ(spawning.energy, 50);
  EXPECT_EQ(dying.energy, 50);
  tNME& first = AddEnemy(805, 600);
  tNME& second = AddEnemy(800, 604);
  // Overlap means nearer than the two radii together (12 + 6).
  EXPECT_EQ(HitEnemies(Shot(805, 582, 10)), 0);
  EXPECT_EQ(HitEnemies(Shot(805, 582.01f, 10)), 1);
  EXPECT_EQ(first.energy, 40);
  EXPECT_EQ(second.energy, 50);
  // Only the first takes it, even where both overlap.
  EXPECT_EQ(HitEnemies(Shot(802, 602, 40)), 1);
  EXPECT_EQ(first.energy, 0);
  EXPECT_EQ(first.mode, 1);  // exactly nothing left is still alive
  EXPECT_EQ(second.energy, 50);
  EXPECT_EQ(HitEnemies(Shot(802, 602, 0.5f)), 1);
  EXPECT_EQ(first.mode, 2);
  // The dying one is passed over: the next in line takes the bullet.
  EXPECT_EQ(HitEnemies(Shot(802, 602, 50)), 1);
  EXPECT_EQ(first.energy, -0.5f);
  EXPECT_EQ(second.energy, 0);
  EXPECT_EQ(second.mode, 1);
  EXPECT_EQ(HitEnemies(Shot(1200, 900, 50)), 0);
}

TEST_F(EnemiesTest, ChargingShieldshipStopsBulletsSaveFromWithin45DegreesOfStraightBehind) {
  // Charging along ang + 180: its back faces ang.
  auto charging = [](float ang) {
    nmelist.clear();
    tNME& s = AddEnemy(1000, 600);
    s.t = NME_SHIELDSHIP;
    s.collrad = 16;
    s.counter1 = 1;
    s.ang = ang;
    return &s;
  };
  // A bullet 20 out from the ship in direction a.
  auto from = [](const tNME& s, float a, float damage) {
    double r = a * M_PI / 180;
    return Shot((float)(s.x + std::sin(r) * 20), (float)(s.y + std::cos(r) * 20), damage);
  };
  tNME* s = charging(0);
  EXPECT_EQ(HitEnemies(from(*s, 180, 10)), 3);  // head on
  EXPECT_EQ(HitEnemies(from(*s, 90, 10)), 3);   // the side
  EXPECT_EQ(HitEnemies(from(*s, 46, 10)), 3);
  EXPECT_EQ(HitEnemies(from(*s, -46, 10)), 3);
  EXPECT_EQ(s->energy, 50);
  EXPECT_EQ(HitEnemies(from(*s, 0, 10)), 1);  // straight behind
  EXPECT_EQ(HitEnemies(from(*s, 44, 10)), 1);
  EXPECT_EQ(HitEnemies(from(*s, -44, 10)), 1);
  EXPECT_EQ(s->energy, 20);
  // The open side is found whatever way the angle has wound.
  for (float ang : {350.0f, -10.0f, 710.0f}) {
    s = charging(ang);
    EXPECT_EQ(HitEnemies(from(*s, 350 + 20, 10)), 1) << ang;
    EXPECT_EQ(HitEnemies(from(*s, 350 - 20, 10)), 1) << ang;
    EXPECT_EQ(HitEnemies(from(*s, 350 + 180, 10)), 3) << ang;
    EXPECT_EQ(s->energy, 30) << ang;
  }
  // A stopped bullet can still hit what lies further down the list.
  s = charging(0);
  tNME& later = AddEnemy(1000, 570);
  EXPECT_EQ(HitEnemies(Shot(1000, 582, 10)), 1);
  EXPECT_EQ(s->energy, 50);
  EXPECT_EQ(later.energy, 40);
  // Aiming, it has no shield at all.
  s->counter1 = 0;
  EXPECT_EQ(HitEnemies(from(*s, 180, 10)), 1);
  EXPECT_EQ(s->energy, 40);
}

TEST_F(EnemiesTest, ASnakesTrailStopsBulletsWithoutHarmingIt) {
  tNME& snake = AddEnemy(800, 600);
  snake.t = NME_SNAKE;
  snake.tabx.fill(-1);
  snake.taby.fill(-1);
  for (int i = 0; i <= 40; i++) {  // a straight trail to the left, 3 apart
    snake.tabx[i] = 800 - 3 * (i + 1);
    snake.taby[i] = 600;
  }
  // Segment 10 is entry 40, at x 677; a bullet of radius 6 reaches 14 from it.
  EXPECT_EQ(HitEnemies(Shot(677, 613.9f, 100)), 3);
  EXPECT_EQ(HitEnemies(Shot(677, 614.1f, 100)), 0);
  // Entry 41 is no segment; entry 40 is the last one set.
  snake.tabx[SnakeSegment(10) + 1] = 600;
  snake.taby[SnakeSegment(10) + 1] = 900;
  EXPECT_EQ(HitEnemies(Shot(600, 900, 100)), 0);
  EXPECT_EQ(snake.energy, 50);
  EXPECT_EQ(snake.mode, 1);
  // The head itself is hit as any enemy is.
  EXPECT_EQ(HitEnemies(Shot(800, 600, 100)), 1);
  EXPECT_EQ(snake.mode, 2);
}

TEST_F(EnemiesTest, AShotEnemyPaysBeforeItIsCountedThenExplodesLeavesAGhostAndShakesTheGrid) {
  SpawnWanderer(800, 600);
  tNME& n = nmelist[0];
  n.mode = 1;
  n.alpha = 1;
  killed = 24;  // the next kill is the 25th, which steps the multiplier
  totalkilled = 100;
  ASSERT_EQ(HitEnemies(Shot(800, 600, 100)), 1);
  ASSERT_EQ(n.mode, 2);
  TImage* pic = n.img;
  Step();
  EXPECT_TRUE(nmelist.empty());
  EXPECT_EQ(score, 25);
  // The score was added while the kill was still uncounted.
  EXPECT_EQ(multiplier, 1);
  EXPECT_EQ(killed, 25);
  EXPECT_EQ(totalkilled, 101);
  EXPECT_EQ(killsbykind[NME_WANDERER], 1);
  EXPECT_EQ(fxplayed[Sfx::EnemyExplode], 1);
  EXPECT_EQ(Particles(partex02img), 1);  // the explosion
  const tPART* ghost = FindParticle(pic);
  ASSERT_NE(ghost, nullptr);
  EXPECT_EQ(ghost->t, 1);
  EXPECT_GT(ghost->xscalechange, 0);  // swelling
  EXPECT_EQ(ghost->x, 800);
  EXPECT_EQ(ghost->y, 600);
  EXPECT_TRUE(GridShakenAt(800, 600));
  EXPECT_FALSE(GridShakenAt(1300, 900));
  // The next kill sees 25 counted and steps the multiplier.
  SpawnChaser(900, 600, 0);
  nmelist[0].mode = 2;
  Step();
  EXPECT_EQ(score, 75);
  EXPECT_EQ(multiplier, 2);
  EXPECT_EQ(killsbykind[NME_CHASER], 1);
}

TEST_F(EnemiesTest, KillsForNothingStillExplodeLeaveAGhostAndShakeTheGrid) {
  // Bombed (or swallowed): every kind but the Snake and the Hole, which die
  // their own ways.
  for (const KindRow& k : kKinds) {
    if (k.t == NME_SNAKE || k.t == NME_HOLE) continue;
    SCOPED_TRACE(k.t);
    nmelist.clear();
    partlist.clear();
    ResetGrid();
    SpawnKind(k.t, 800, 600);
    Step();  // Spawnlings and Splinters come alive
    tNME& n = nmelist[0];
    n.mode = 1;
    TImage* pic = n.img;
    KillEnemyForNothing(n);
    Step();
    EXPECT_TRUE(nmelist.empty());  // a Splitter leaves no Splinters
    EXPECT_EQ(score, 0);
    EXPECT_EQ(killed, 0);
    EXPECT_EQ(totalkilled, 0);
    EXPECT_EQ(killsbykind[k.t], 0);
    EXPECT_EQ(fxplayed[Sfx::EnemyExplode], 0);
    EXPECT_EQ(Particles(partex02img), 1);
    const tPART* ghost = FindParticle(pic);
    ASSERT_NE(ghost, nullptr);
    EXPECT_EQ(ghost->t, 1);
    EXPECT_TRUE(GridShakenAt(800, 600));
  }

  // The ship's death: all die for nothing, the one that did it blinks on.
  partlist.clear();
  nmelist.clear();
  SpawnChaser(playerx + 10, playery, 0);
  SpawnDodger(playerx - 300, playery, 0);
  SpawnWeaver(playerx, playery + 300);  // still spawning in
  TImage* killerpic = nmelist[0].img;
  TImage* dodgerpic = nmelist[1].img;
  CheckPlayerHit();
  ASSERT_EQ(playermode, PlayerMode::Dying);
  Step();
  EXPECT_TRUE(nmelist.empty());
  EXPECT_EQ(score, 0);
  EXPECT_EQ(killed, 0);
  ASSERT_NE(FindParticle(killerpic), nullptr);
  EXPECT_EQ(FindParticle(killerpic)->t, 2);
  ASSERT_NE(FindParticle(dodgerpic), nullptr);
  EXPECT_EQ(FindParticle(dodgerpic)->t, 1);
  EXPECT_EQ(Particles(partex02img), 3);

  // Rammed by the shielded ship.
  partlist.clear();
  playermode = PlayerMode::Alive;
  shield = 100;
  SpawnSplitter(playerx + 10, playery, 0);
  CheckPlayerHit();
  EXPECT_EQ(playermode, PlayerMode::Alive);
  EXPECT_EQ(fxplayed[Sfx::BombHit], 1);
  Step();
  EXPECT_TRUE(nmelist.empty());
  EXPECT_EQ(score, 0);
  EXPECT_EQ(killed, 0);
  EXPECT_EQ(Particles(partex02img), 1);
}

TEST_F(EnemiesTest, CrowdsOfOneKindArePushedApartAQuarterOfTheOverlapPerOrderedPair) {
  // Still spawning in, so only the crowd moves them. Radii 12 + 12, 10
  // apart: 3.5 each way, then 17 apart: 1.75 each way.
  SpawnWanderer(800, 600);
  SpawnWanderer(810, 600);
  SpawnChaser(805, 600, 1);  // another kind: left alone
  Step();
  EXPECT_NEAR(nmelist[0].x, 794.75f, 1e-4);
  EXPECT_NEAR(nmelist[1].x, 815.25f, 1e-4);
  EXPECT_NEAR(nmelist[0].y, 600, 1e-4);
  EXPECT_NEAR(nmelist[1].y, 600, 1e-4);
  EXPECT_EQ(nmelist[2].x, 805);
  EXPECT_EQ(nmelist[2].y, 600);
  // Diagonal overlap: 3-4-5 apart, each pair pushes along the line.
  nmelist.clear();
  SpawnWanderer(900, 700);
  SpawnWanderer(903, 704);
  Step();
  float dx = nmelist[1].x - nmelist[0].x, dy = nmelist[1].y - nmelist[0].y;
  EXPECT_NEAR(dy / dx, 4.0f / 3, 1e-3);
  // 5 apart: 4.75 each way makes 14.5; then 2.375 each way makes 19.25.
  EXPECT_NEAR(std::hypot(dx, dy), 19.25f, 1e-3);
  EXPECT_NEAR((nmelist[0].x + nmelist[1].x) / 2, 901.5f, 1e-3);
  // Coincident centres still part: 6 each way, then 3 more each way.
  nmelist.clear();
  SpawnWanderer(1000, 500);
  SpawnWanderer(1000, 500);
  Step();
  EXPECT_TRUE(Finite(nmelist[0]) && Finite(nmelist[1]));
  EXPECT_NEAR(std::fabs(nmelist[0].x - nmelist[1].x), 18, 1e-3);
  EXPECT_NEAR(nmelist[0].x + nmelist[1].x, 2000, 1e-3);
  // Active ones too: two dormant Holes 40 apart (radii 24 + 24).
  nmelist.clear();
  SpawnHole(1200, 800);
  SpawnHole(1240, 800);
  nmelist[0].mode = nmelist[1].mode = 1;
  Step();
  EXPECT_NEAR(nmelist[0].x, 1197, 1e-3);  // 2 each way, then 1 each way
  EXPECT_NEAR(nmelist[1].x, 1243, 1e-3);
  // Splinters part by their orbit centres and by the whole overlap: radii
  // 8 + 8, 4 apart, 12 each way; then they no longer touch.
  nmelist.clear();
  SpawnSplinter(800, 900);
  SpawnSplinter(804, 900);
  Step();
  EXPECT_NEAR(nmelist[0].counter4, 788, 1e-3);
  EXPECT_NEAR(nmelist[1].counter4, 816, 1e-3);
  EXPECT_NEAR(nmelist[0].counter5, 900, 1e-3);
  nmelist.clear();
  SpawnSplinter(700, 700);
  SpawnSplinter(700, 700);
  Step();
  EXPECT_TRUE(Finite(nmelist[0]) && Finite(nmelist[1]));
  EXPECT_NEAR(std::fabs(nmelist[0].counter4 - nmelist[1].counter4), 32, 1e-3);
}

TEST_F(EnemiesTest, NoMeetingOfCentresMakesANaN) {
  // Every homing kind sitting exactly on the ship.
  for (const KindRow& k : kKinds) {
    SCOPED_TRACE(k.t);
    nmelist.clear();
    bulletlist.clear();
    SpawnKind(k.t, playerx, playery);
    nmelist[0].mode = 1;
    nmelist[0].alpha = 1;
    if (k.t == NME_HOLE) nmelist[0].counter1 = 1;  // awake
    if (k.t == NME_SHIELDSHIP) nmelist[0].ang = 180;
    // A bullet right on it too.
    tBULLET& b = bulletlist.emplace_back();
    b = Shot(playerx, playery, 0, 12);
    for (int t = 0; t < 60; t++) {
      Step();
      ASSERT_FALSE(nmelist.empty());
      ASSERT_TRUE(Finite(nmelist[0])) << "tick " << t;
      ASSERT_TRUE(std::isfinite(playerx) && std::isfinite(playery));
      ASSERT_TRUE(std::isfinite(bulletlist[0].x) && std::isfinite(bulletlist[0].y));
    }
  }
  // The ship exactly on an awake Hole, or less than 1 from it: no pull.
  nmelist.clear();
  bulletlist.clear();
  SpawnHole(1000, 600);
  nmelist[0].mode = 1;
  ASSERT_EQ(HitEnemies(Shot(1000, 600, 0)), 1);  // wakes it
  playerx = 1000;
  playery = 600;
  Step();
  EXPECT_EQ(playerx, 1000);
  EXPECT_EQ(playery, 600);
  playerx = 1000.5f;
  Step();
  EXPECT_EQ(playerx, 1000.5f);
  EXPECT_EQ(playery, 600);
  // Two awake Holes on one spot.
  SpawnHole(1000, 600);
  nmelist[1].mode = 1;
  nmelist[1].counter1 = 1;
  for (int t = 0; t < 10; t++) Step();
  EXPECT_TRUE(Finite(nmelist[0]) && Finite(nmelist[1]));
  EXPECT_EQ(nmelist[0].mode, 1);
  EXPECT_EQ(nmelist[1].mode, 1);
  EXPECT_GT(std::fabs(nmelist[0].x - nmelist[1].x), 0);
}
