// The ship under keys, sticks and the mouse: speeds, walls, fire cadence, the
// three weapons, the shield's warning, the turning fire direction, contact
// with enemies, and settings that point outside what exists.
#include <gtest/gtest.h>

#include "tests/playfield_fixture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "enemies/enemies.h"
#include "enemies/kinds.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

namespace {
TImage shieldpic, shippic;

float Sin(float a) { return (float)std::sin(a * M_PI / 180); }
float Cos(float a) { return (float)std::cos(a * M_PI / 180); }

struct PlayerTest : PlayfieldTest {
  PlayerTest() : PlayfieldTest(7) {}
  void SetUp() override {
    PlayfieldTest::SetUp();
    playershieldimg = &shieldpic;
    playerimg = &shippic;
  }
  void TearDown() override {
    PlayfieldTest::TearDown();
    playershieldimg = nullptr;
    playerimg = nullptr;
  }
};

}  // namespace

TEST_F(PlayerTest, KeysReachTopSpeedInFourTicksAndStopInSixteen) {
  HeadlessSetKey(keyright, 1);
  HeadlessSetKey(keyup, 1);
  float speeds[] = {1, 2, 3, 4, 4, 4};
  for (float s : speeds) {
    Tick();
    EXPECT_EQ(playerdx, s);
    EXPECT_EQ(playerdy, -s);
  }
  EXPECT_EQ(playerx, 1072 + 1 + 2 + 3 + 4 + 4 + 4);
  auto ticksToStop = [](float& v) {
    int ticks = 0;
    while (v != 0 && ticks < 100) {
      Tick();
      ticks++;
    }
    return ticks;
  };
  HeadlessSetKey(keyup, 0);
  EXPECT_EQ(ticksToStop(playerdy), 16);
  EXPECT_EQ(playerdx, 4);
  Tick();
  EXPECT_EQ(playerrot, 90);  // keys turn the ship at once to its heading
  EXPECT_EQ(thrustang, -90);
  HeadlessSetKey(keyright, 0);
  EXPECT_EQ(ticksToStop(playerdx), 16);
  // A speed of 4.25 stays above 4: a key adds nothing more, friction takes it down.
  playerdx = 4.25f;
  HeadlessSetKey(keyright, 1);
  Tick();
  EXPECT_EQ(playerdx, 4.25f);
}

TEST_F(PlayerTest, WallsStopTheShipExactlyItsRadiusInside) {
  playerx = 560 + 14 + 2;
  playerdx = -3;
  playery = 1072 - 14 - 1;
  playerdy = 3;
  HeadlessSetKey(keyleft, 1);
  HeadlessSetKey(keydown, 1);
  Tick();
  EXPECT_EQ(playerx, 574);
  EXPECT_EQ(playerdx, 0);
  EXPECT_EQ(playery, 1058);
  EXPECT_EQ(playerdy, 0);
  EXPECT_EQ(camx, 574 / 2 + 140);
  EXPECT_EQ(camy, 1058 / 2 + 48);
}

TEST_F(PlayerTest, HeldFireGivesOneVolleyPerFireDelay) {
  HeadlessSetMouse(700, 300);
  HeadlessSetMouseButton(1, 1);
  for (int delay : {6, 7}) {
    firedelay = delay;
    firecount = 0;
    bulletlist.clear();
    noshootticks = 50;
    std::vector<int> volleys;
    for (int t = 0; t < 4 * delay; t++) {
      if (Tick() > 0) volleys.push_back(t);
      EXPECT_EQ(noshootticks, 1);  // reset by the fire input, then counted once
    }
    EXPECT_EQ(volleys, (std::vector<int>{0, delay, 2 * delay, 3 * delay})) << "delay " << delay;
  }
  // A minute alive without a fire input earns the no-shooting award once.
  HeadlessSetMouseButton(1, 0);
  noshootticks = 0;
  for (int t = 0; t < 3600; t++) Tick();
  EXPECT_EQ(gameawards[2], 0);
  Tick();
  EXPECT_EQ(gameawards[2], 1);
  Tick();
  EXPECT_EQ(noshootticks, 3601);  // no longer counted once earned
}

TEST_F(PlayerTest, ThreeWeaponPatterns) {
  struct Shot {
    float ang, d, p;
  };
  struct Weapon {
    int level;
    std::vector<Shot> shots;
    float damage;
    int r, g, b;
  };
  // Aiming straight right: fire angle 90.
  Weapon weapons[] = {
      {0, {{90, 12, 115}, {90, 12, 65}}, 100, 255, 200, 64},
      {1, {{82, 6, 82}, {90, 24, 90}, {98, 6, 98}}, 150, 255, 255, 64},
      {2, {{86, 12, 86}, {88, 18, 88}, {90, 18, 90}, {92, 18, 92}, {94, 12, 94}}, 200, 255, 128, 64},
  };
  playerx = 1000;
  playery = 600;
  playerdx = 1.5f;
  playerdy = -2;
  for (const Weapon& w : weapons) {
    SCOPED_TRACE(w.level);
    weaponlevel = w.level;
    firedelay = 7;
    firecount = 0;
    aimx = playerx + 100;
    aimy = playery;
    bulletlist.clear();
    FireWeapon();
    EXPECT_EQ(firecount, 7);
    ASSERT_EQ(bulletlist.size(), w.shots.size());
    for (size_t i = 0; i < w.shots.size(); i++) {
      const tBULLET& b = bulletlist[i];
      const Shot& s = w.shots[i];
      EXPECT_NEAR(b.ang, s.ang, 1e-3);
      EXPECT_NEAR(b.rot, s.ang, 1e-3);  // drawing rotation matches the flight
      EXPECT_NEAR(b.x, playerx + s.d * Sin(s.p), 1e-3);
      EXPECT_NEAR(b.y, playery + s.d * Cos(s.p), 1e-3);
      EXPECT_EQ(b.damage, w.damage);
      EXPECT_EQ(b.r, w.r);
      EXPECT_EQ(b.g, w.g);
      EXPECT_EQ(b.b, w.b);
      EXPECT_EQ(b.speed, 12);
      EXPECT_EQ(b.collrad, 12);
      EXPECT_EQ(b.blend, BLEND_LIGHT);
      EXPECT_EQ(b.xacc, 1.5f);
      EXPECT_EQ(b.yacc, -2);
    }
    // The gun is not ready again until firecount runs out.
    FireWeapon();
    EXPECT_EQ(bulletlist.size(), w.shots.size());
  }
}

TEST_F(PlayerTest, BulletsKeepTheShipsVelocity) {
  playerdx = 3;  // gliding right (4 after this tick's key) while firing up and left
  HeadlessSetKey(keyright, 1);
  HeadlessSetMouseButton(1, 1);
  HeadlessSetMouse(0, 0);
  ASSERT_EQ(Tick(), 2);
  // The shots drift with the ship's velocity at the moment of firing.
  const tBULLET& b = bulletlist[0];
  EXPECT_EQ(b.xacc, 4);
  EXPECT_EQ(b.yacc, 0);
  float x0 = b.x, y0 = b.y;
  HeadlessSetKey(keyright, 0);
  HeadlessSetMouseButton(1, 0);
  Tick();
  EXPECT_NEAR(bulletlist[0].x, x0 + Sin(b.ang) * 12 + 4, 1e-3);
  EXPECT_NEAR(bulletlist[0].y, y0 + Cos(b.ang) * 12, 1e-3);
}

TEST_F(PlayerTest, ShieldFlickersInItsLastHundredTicksAndWarnsOnce) {
  shield = 200;
  int warnings = 0, lastwarning = -1;
  for (int t = 0; t < 210; t++) {
    Tick();
    const tDRAW* d = FindDraw(&shieldpic);
    if (fxplayed[6]) {
      warnings++;
      lastwarning = shield;
    }
    if (t < 200) {
      ASSERT_NE(d, nullptr) << t;
      float expected = shield < 100 ? 0.5f + 0.5f * Sin(shield * 15.0f)
                                    : 0.75f + 0.25f * Sin(shield * 10.0f);
      EXPECT_NEAR(d->alpha, expected, 1e-4) << "shield " << shield;
      EXPECT_EQ(d->r, 192);
    } else {
      EXPECT_EQ(d, nullptr);
    }
    if (shield == 99) {
      EXPECT_NEAR(d->alpha, 0.5f + 0.5f * Sin(99 * 15.0f), 1e-4);  // the flicker has begun
    }
  }
  EXPECT_EQ(shield, 0);
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(lastwarning, 0);
}

TEST_F(PlayerTest, TwoHandedFireTurnsThroughIntermediateAngles) {
  controltype = 2;
  aimang = 0;  // last fired straight down the screen
  HeadlessSetKey(keyfireright, 1);
  std::vector<float> angles;
  for (int t = 0; t < 40; t++) {
    if (Tick() > 0) angles.push_back(bulletlist.back().ang);
  }
  ASSERT_GE(angles.size(), 6u);
  EXPECT_NEAR(angles[0], 22.5f, 1e-3);  // a quarter of the way on the first tick
  for (size_t i = 1; i < angles.size(); i++) {
    EXPECT_GT(angles[i], angles[i - 1]);
    EXPECT_LT(angles[i], 90.0001f);
  }
  EXPECT_NEAR(angles.back(), 90, 0.5);
  // From 350 to the right it turns the short way, through 0.
  HeadlessSetKey(keyfireright, 0);
  Tick();
  aimang = 350;
  firecount = 0;
  HeadlessSetKey(keyfireright, 1);
  ASSERT_GT(Tick(), 0);
  EXPECT_NEAR(aimang, 15, 1e-3);
  EXPECT_NEAR(bulletlist.back().ang, 15, 1e-3);
  // Up wins over down, left over right.
  HeadlessSetKey(keyfireup, 1);
  HeadlessSetKey(keyfiredown, 1);
  HeadlessSetKey(keyfireleft, 1);
  for (int t = 0; t < 60; t++) Tick();
  EXPECT_NEAR(std::fmod(aimang + 720, 360), 225, 0.5);
}

// The angle turned through by a run of angles, step by step the short way.
float Swept(const std::vector<float>& a) {
  float sum = 0;
  for (size_t i = 1; i < a.size(); i++) {
    float d = std::fmod(std::fabs(a[i] - a[i - 1]), 360.0f);
    sum += d > 180 ? 360 - d : d;
  }
  return sum;
}

// How far a float result lies from a long double reference, in steps of a
// float at the reference's size (a reference of exactly 0 but for the
// reference's own rounding counts as 0).
double FloatStepsApart(float got, long double want) {
  float size = std::fabs((float)want);
  float step = std::nextafter(size, INFINITY) - size;
  long double off = std::fabs((long double)got - want);
  return off < 1e-15L ? 0 : (double)(off / step);
}

// The game's own sine, cosine and arc tangent agree with the library's to
// within a float step everywhere they are used, and far out.
TEST(Angles, SineCosineAndArcTangentLieWithinAFloatStepOfTheLibrarys) {
  const long double radperdeg = 3.141592653589793238462643383279502884L / 180;
  std::vector<float> angles;
  for (int i = -1080 * 64; i <= 1080 * 64; i++) angles.push_back(i / 64.0f);  // every 1/64 degree
  SeedRandom(99);
  for (int i = 0; i < 100000; i++) angles.push_back((float)RandFloat(-1e5, 1e5));
  double worst = 0;
  for (float a : angles) {
    worst = std::max(worst, FloatStepsApart(SinDeg(a), std::sin(a * radperdeg)));
    worst = std::max(worst, FloatStepsApart(CosDeg(a), std::cos(a * radperdeg)));
  }
  EXPECT_LE(worst, 1.0);
  worst = 0;
  for (int i = -400; i <= 400; i++)
    for (int j = -400; j <= 400; j += 3) {
      float p = i * 1.37f, q = j * 0.91f;
      if (p == 0 && q == 0) continue;
      worst = std::max(worst, FloatStepsApart(ATan2(p, q), std::atan2((long double)p, (long double)q) / radperdeg));
    }
  for (int i = 0; i < 100000; i++) {
    float p = (float)RandFloat(-2000, 2000);
    float q = (float)RandFloat(-1e-3, 1e-3) * (i % 2 ? 1 : 1e6f);
    worst = std::max(worst, FloatStepsApart(ATan2(p, q), std::atan2((long double)p, (long double)q) / radperdeg));
  }
  EXPECT_LE(worst, 1.0);
}

// Movement along a quarter turn stays on its axis, and headings straight
// along an axis or a diagonal come out whole: the enemies and the ship
// rely on both.
TEST(Angles, QuarterTurnsDiagonalsAndAxesAreExact) {
  const float sines[] = {0, 1, 0, -1};
  for (int turn = -8; turn <= 8; turn++) {
    float a = 90.0f * turn;
    EXPECT_EQ(SinDeg(a), sines[(turn % 4 + 4) % 4]) << a;
    EXPECT_EQ(CosDeg(a), sines[((turn + 1) % 4 + 4) % 4]) << a;
  }
  EXPECT_EQ(ATan2(0, 5), 0);
  EXPECT_EQ(ATan2(5, 0), 90);
  EXPECT_EQ(ATan2(0, -5), 180);
  EXPECT_EQ(ATan2(-5, 0), -90);
  EXPECT_EQ(ATan2(3, 3), 45);
  EXPECT_EQ(ATan2(-3, -3), -135);
  EXPECT_EQ(ATan2(0, 0), 0);
  EXPECT_EQ(ATan2(-0.0f, -0.0f), 0);
  EXPECT_EQ(Hypot(3, 4), 5);
}

TEST_F(PlayerTest, TurnsTakeTheShortWayHoweverFarTheAngleHasWound) {
  // Two-handed keys: left, up, right for 30 ticks each wind the fire
  // direction past -180; down-and-left then lies 135 degrees back through
  // down, not 225 through up and left.
  controltype = 2;
  aimang = 0;
  for (int key : {keyfireleft, keyfireup, keyfireright}) {
    HeadlessSetKey(key, 1);
    for (int t = 0; t < 30; t++) Tick();
    HeadlessSetKey(key, 0);
  }
  ASSERT_LT(aimang, -180);
  HeadlessSetKey(keyfiredown, 1);
  HeadlessSetKey(keyfireleft, 1);
  std::vector<float> aims = {aimang};
  float firstvolley = -1;
  for (int t = 0; t < 40; t++) {
    if (Tick() > 0 && firstvolley < 0) firstvolley = bulletlist.back().ang;
    aims.push_back(aimang);
  }
  EXPECT_NEAR(std::fmod(aimang + 720, 360), 315, 0.5);
  EXPECT_NEAR(Swept(aims), 135, 0.5);
  EXPECT_NEAR(std::fmod(firstvolley + 720, 360), 56.25f, 0.5);
  HeadlessReleaseAll();

  // The steering stick: the heading winds the same way and must also turn
  // back the short way when the stick swings round.
  controltype = 1;
  HeadlessSetJoystickCount(1);
  JoystickCount();
  playerrot = 0;
  struct Push {
    float x, y;
    int ticks;
  } pushes[] = {{-1, 0, 30}, {0, 1, 30}, {0.7f, -0.7f, 30}, {0, -1, 6}, {0, 0, 9}};
  for (const Push& p : pushes) {
    HeadlessSetJoyAxis(0, JOYAXIS_X, p.x);
    HeadlessSetJoyAxis(0, JOYAXIS_Y, p.y);
    for (int t = 0; t < p.ticks; t++) Tick();
  }
  std::vector<float> rots = {playerrot};
  HeadlessSetJoyAxis(0, JOYAXIS_X, -0.7f);
  HeadlessSetJoyAxis(0, JOYAXIS_Y, 0.7f);
  for (int t = 0; t < 40; t++) {
    Tick();
    rots.push_back(playerrot);
  }
  EXPECT_LE(Swept(rots), 180.5f);
}

TEST_F(PlayerTest, ContactKillsTheBareShipAndEveryEnemyForNothing) {
  musicplaying = 0;
  lives = 2;
  tNME& first = AddEnemy(playerx + 20, playery);
  tNME& second = AddEnemy(playerx - 20, playery);
  tNME& spawning = AddEnemy(playerx + 300, playery, 0);
  AddEnemy(playerx, playery + 300);
  bulletlist.emplace_back();
  Tick();
  EXPECT_EQ(playstate, PlayState::Dying);
  EXPECT_EQ(playermode, PlayerMode::Dying);
  EXPECT_EQ(deathtimer, 150);
  EXPECT_EQ(lives, 1);
  EXPECT_TRUE(bulletlist.empty());
  EXPECT_EQ(first.iamtheone, 1);
  EXPECT_EQ(second.iamtheone, 0);
  for (const tNME& n : nmelist) {
    EXPECT_EQ(n.mode, 2);
    EXPECT_EQ(n.score, 0);
  }
  EXPECT_EQ(spawning.mode, 2);
  // The death animation runs on; the ship is not hit twice.
  for (int t = 0; t < 30; t++) Tick();
  EXPECT_EQ(lives, 1);
  EXPECT_EQ(lifelost, 1);
  EXPECT_NEAR(rezscale, 3, 1e-3);
}

TEST_F(PlayerTest, ShieldRamsBodiesButIgnoresSnakeTrails) {
  shield = 150;
  tNME& rammed = AddEnemy(playerx + 20, playery);
  tNME& snake = AddEnemy(playerx + 400, playery);
  snake.t = NME_SNAKE;
  snake.tabx.fill(-1);
  snake.taby.fill(-1);
  snake.tabx[SnakeSegment(2)] = playerx;  // segment 2 lies on the ship
  snake.taby[SnakeSegment(2)] = playery + 15;
  Tick();
  EXPECT_EQ(rammed.mode, 2);
  EXPECT_EQ(rammed.score, 0);
  EXPECT_EQ(snake.mode, 1);
  EXPECT_EQ(playermode, PlayerMode::Alive);
  EXPECT_EQ(lives, 3);
  // Once the shield is gone, the trail kills.
  shield = 0;
  Tick();
  EXPECT_EQ(playermode, PlayerMode::Dying);
  EXPECT_EQ(snake.iamtheone, 1);
  EXPECT_EQ(lives, 2);
}

TEST_F(PlayerTest, OutOfRangeSettingsNeverCrash) {
  HeadlessSetJoystickCount(1);
  JoystickCount();
  HeadlessSetJoyAxis(0, JOYAXIS_X, 0.5f);
  joyport[0] = 200;
  EXPECT_EQ(ReadJoyAxis(0), 0);  // no such joystick
  joyport[0] = 0;
  for (float range : {0.0f, -3.0f, NAN, INFINITY}) {
    joyrange[0] = range;
    EXPECT_EQ(ReadJoyAxis(0), 0.5f);
  }
  joyrange[0] = 0.5f;
  EXPECT_EQ(ReadJoyAxis(0), 1.0f);
  joyaxis[0] = 11;
  EXPECT_EQ(ReadJoyAxis(0), 0);
  EXPECT_EQ(ReadJoyAxis(-1), 0);
  EXPECT_EQ(ReadJoyAxis(8), 0);
  EXPECT_EQ(JoyControlActive(99), 0);
  for (int c = 0; c < 8; c++) {
    joyport[c] = 200;
    joyrange[c] = 0;
    joyaxis[c] = -5;
    joyisbutton[c] = 1;
  }
  for (int i = 0; i < 4; i++) {
    joyfirebutton[i] = 99;
    joyfireport[i] = 200;
  }
  weaponlevel = 7;
  for (int type : {9, -1, 1, 3}) {
    controltype = type;
    for (int t = 0; t < 20; t++) Tick();
  }
  EXPECT_EQ(playermode, PlayerMode::Alive);
  // controltype 9 behaves as a known type rather than reading past the table.
  EXPECT_GE(playerx, 574);
}
