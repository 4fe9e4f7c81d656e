// Shared set-up for the playfield tests: a headless machine in its default
// state, plain enemy records, a fixture with the ship alive mid-game, and
// one for the enemy pass with counters cleared and pictures to tell apart.
#pragma once
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/frame_loop.h"
#include "app/play_session.h"
#include "enemies/contact.h"
#include "enemies/enemies.h"
#include "enemies/shots.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

// An enemy of radius 12 and energy 50 worth 25 points; mode 1 is alive,
// 0 still spawning in.
inline tNME& AddEnemy(float x, float y, int mode = 1) {
  tNME& n = nmelist.emplace_back();
  n.x = x;
  n.y = y;
  n.mode = mode;
  n.collrad = 12;
  n.energy = 50;
  n.score = 25;
  return n;
}

// The headless back end with nothing pressed, the given number of idle pads
// (sticks centred, no buttons), default settings and the font widths.
inline void HeadlessDefaults(int joysticks) {
  PlatformInit(PlatformKind::Headless);
  HeadlessReleaseAll();
  HeadlessSetJoystickCount(joysticks);
  lastjoyport = JoystickCount() - 1;
  SetDefaultConfig();
  InitFontWidths();
}

// Whole front-end ticks, each tick's input then taken as seen.
inline void FrontEndTicks(int ticks = 1) {
  for (int i = 0; i < ticks; i++) {
    FrontEndFrame();
    InputTickDone();
  }
}
// A key down for one front-end tick and up for the next.
inline void TapKey(int key) {
  HeadlessSetKey(key, 1);
  FrontEndTicks();
  HeadlessSetKey(key, 0);
  FrontEndTicks();
}

// The ship alive and unshielded at 1072,688 mid-game, no pads, empty lists,
// randomness seeded with the given seed.
struct PlayfieldTest : ::testing::Test {
  explicit PlayfieldTest(int64_t seed) : seed_(seed) {}
  void SetUp() override {
    HandDown();
    HeadlessDefaults(0);
    SeedRandom(seed_);
    nmelist.clear();
    nmelist.reserve(16);  // the tests hold references to the enemies they add
    bulletlist.clear();
    partlist.clear();
    ClearDrawList();
    for (int& a : gameawards) a = 0;
    playerx = 1072;
    playery = 688;
    InitPlayer();
    playermode = PlayerMode::Alive;
    playstate = PlayState::Playing;
    shield = 0;
  }
  void TearDown() override {
    HeadlessReleaseAll();
    HeadlessSetJoystickCount(0);
    JoystickCount();
    SetDefaultConfig();
  }
  // One playfield tick of the player, the bullets and the bomb; returns the
  // number of bullets the player fired.
  static int Tick() {
    ClearDrawList();
    ClearFX();
    size_t before = bulletlist.size();
    UpdatePlayer();
    int fired = (int)(bulletlist.size() - before);
    UpdateBullets();
    UpdateBomb();
    return fired;
  }
  // How many times this tick drew the image.
  static int Draws(TImage* img) {
    int n = 0;
    for (const tDRAW& d : drawlist) n += d.img == img;
    return n;
  }
  // The first draw of the image this tick, or null.
  static const tDRAW* FindDraw(TImage* img) {
    for (const tDRAW& d : drawlist)
      if (d.img == img) return &d;
    return nullptr;
  }

 private:
  int64_t seed_;
};

// The whole game tick from a new game on an empty border map, one idle pad.
struct WholeGameTest : ::testing::Test {
  void SetUp() override {
    HeadlessDefaults(1);
    emptymap.data.assign(1700, 0);
    SetupGrid(&emptymap);
    menulist.clear();
    TakeFocusLost();
    quitflag = 0;
    BeginGame();
  }
  void TearDown() override {
    HeadlessReleaseAll();
    quitflag = 0;
  }
  TBank emptymap;
};

// The enemy pass on its own: the camera at the world's origin (draws are at
// world positions), score and kill counters at zero with the multiplier at 1,
// the grid at rest, one flash ring per explosion, and a picture of its own
// for every enemy, segment, shield, flash and ring, so that draws and
// particles can be told apart by picture.
struct EnemyTest : PlayfieldTest {
  explicit EnemyTest(int64_t seed) : PlayfieldTest(seed) {}
  void SetUp() override {
    PlayfieldTest::SetUp();
    nmelist.reserve(64);  // room for a Hole's burst without moving the list
    camx = camy = 0;
    score = 0;
    multiplier = 1;
    nextmulti = 25;
    killed = totalkilled = 0;
    for (int& k : killsbykind) k = 0;
    scoresprlist.clear();
    multiplylist.clear();
    explosionsetting = 1;
    ResetGrid();
    ClearFX();
    for (size_t i = 0; i < kPictures; i++) {
      saved_[i] = *Picture(i);
      *Picture(i) = &pictures_[i];
    }
  }
  void TearDown() override {
    for (size_t i = 0; i < kPictures; i++) *Picture(i) = saved_[i];
    nmelist.clear();
    bulletlist.clear();
    partlist.clear();
    PlayfieldTest::TearDown();
  }
  // One enemy pass with this tick's draws and sounds only.
  static void Step() {
    ClearDrawList();
    ClearFX();
    UpdateEnemies();
  }
  static void Steps(int ticks) {
    for (int t = 0; t < ticks; t++) Step();
  }
  // A bullet at rest: radius 6 unless given, the damage given.
  static tBULLET Shot(float x, float y, float damage, float collrad = 6) {
    tBULLET b;
    b.x = x;
    b.y = y;
    b.collrad = collrad;
    b.damage = damage;
    return b;
  }
  // The particles of this picture.
  static int Particles(TImage* img) {
    int n = 0;
    for (const tPART& p : partlist) n += p.img == img;
    return n;
  }
  static const tPART* FindParticle(TImage* img) {
    for (const tPART& p : partlist)
      if (p.img == img) return &p;
    return nullptr;
  }
  // True when a grid node within two cells of the world point moves.
  static bool GridShakenAt(float x, float y) {
    int c = (int)((x - ARENA_LEFT) / 16), r = (int)((y - ARENA_TOP) / 16);
    for (int i = c - 2; i <= c + 2; i++)
      for (int j = r - 2; j <= r + 2; j++)
        if (grid[i][j].dx != 0 || grid[i][j].dy != 0) return true;
    return false;
  }
  // Sounds started this tick, counted over every effect index.
  static int SoundsPlayed() {
    int n = 0;
    for (int f : fxplayed) n += f;
    return n;
  }

 private:
  static constexpr size_t kPictures = 17;
  static TImage** Picture(size_t i) {
    static TImage** const globals[kPictures] = {
        &nme01img,  &nme02img,  &nme03img, &nme04img,    &nme05img,       &nme06img,
        &nme07img,  &nme07bimg, &nme08img, &nme09img,    &nme09shieldimg, &nme10img,
        &nme10bimg, &nme10cimg, &bombimg,  &partex01img, &partex02img};
    return globals[i];
  }
  TImage pictures_[kPictures];
  TImage* saved_[kPictures] = {};
};
