// The enemy record and list, the bullet test against enemies, and the
// no-points kill used by the player's death and the bomb.
#pragma once
#include <array>
#include <vector>

#include "platform/render.h"

struct tBULLET;

struct tNME {
  int t = 0;     // kind: 0 Wanderer .. 8 Spawnling, 10 Splinter
  int mode = 0;  // 0 spawning in, 1 active, 2 dying
  float x = 0, y = 0;
  float ang = 0;
  float speed = 0;
  float collrad = 0;
  TImage* img = nullptr;
  float xscale = 0, yscale = 0;
  float rot = 0;
  float alpha = 0;
  int blend = 0;
  int r = 0, g = 0, b = 0;
  float energy = 0;
  int score = 0;
  float counter1 = 0, counter2 = 0, counter3 = 0, counter4 = 0, counter5 = 0;
  // Per-kind point tables; the Snake keeps its trail here (-1 = no point),
  // its segments are the entries 4i, i = 1..24.
  std::array<float, 120> tabx{}, taby{};
  int iamtheone = 0;
};

// Enemy modes.
constexpr int NME_SPAWNING = 0;  // fading in: harmless and untouchable
constexpr int NME_ACTIVE = 1;
constexpr int NME_DYING = 2;     // removed by its kind's dying routine

constexpr int NME_SNAKE = 5;

// Every enemy in the arena, in spawn order; keeps its memory between ticks.
extern std::vector<tNME> nmelist;

// Tests one bullet against the active enemies: 0 no contact, 1 an enemy took
// the bullet's damage (the first one touched).
int HitEnemies(const tBULLET& bullet);
// Puts one enemy into its dying mode worth no points.
void KillEnemyForNothing(tNME& n);
// Puts every enemy into its dying mode worth no points (the player's death).
void KillAllEnemiesForNothing();
