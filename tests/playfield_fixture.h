// Shared set-up for the playfield tests: a headless machine in its default
// state, plain enemy records, and a fixture with the ship alive mid-game.
#pragma once
#include <gtest/gtest.h>

#include "enemies/enemy.h"
#include "shell/frame_loop.h"
#include "playfield/grid.h"
#include "frontend/menus.h"
#include "frontend/config.h"
#include "frontend/frontend.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "playfield/bullets.h"
#include "playfield/game.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "shell/controls.h"
#include "shell/draw.h"
#include "shell/random.h"
#include "shell/sfx.h"

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

// The ship alive and unshielded at 1072,688 mid-game, no pads, empty lists,
// randomness seeded with the given seed.
struct PlayfieldTest : ::testing::Test {
  explicit PlayfieldTest(int64_t seed) : seed_(seed) {}
  void SetUp() override {
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
