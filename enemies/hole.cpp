// The Hole sits dormant until shot; awake, it swells, pulls the grid, the
// ship and the enemies toward it, swallows them and bends bullets away, and
// at 6000 energy it bursts into a swarm of Spawnlings, small homing missiles
// that turn 2 degrees a tick. Its gravity is part of the enemy pass.
// Hole working values: counter1 0 dormant / 1 awake, counter2 pulse phase,
// counter3 pulse rate, counter4 swirl angle 0..1440.
// Spawnling working values: counter1 speed factor 1..2, counter2 ticks until
// the factor is drawn again.
#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

constexpr float HOLE_BURST = 6000;  // energy at which an awake Hole bursts

void SpawnHole(float x, float y) {
  tNME n = NewEnemy(NME_HOLE, x, y, 6 * playercollrad);
  n.ang = 0;
  n.rot = 0;
  AddEnemy(n);
}

static void ActivateHole(tNME& n) {
  n.counter1 = 0;
  n.counter3 = 10;
  n.counter2 = n.counter4 = n.counter5 = 0;
}

// The core, its green and blue pulsing with the phase.
static void DrawCore(const tNME& n, float scale) {
  int glow = (int)(64 + SinDeg(n.counter2) * 64);
  AddDraw(n.img, n.x - camx, n.y - camy, 0, n.r, glow, glow, n.alpha, n.rot, n.xscale * scale,
          n.yscale * scale, BLEND_ALPHA);
}

// Bursts into 9 to 17 Spawnlings around it, paying nothing.
static void Burst(tNME& n) {
  n.mode = NME_DYING;
  n.score = 0;
  float x = n.x, y = n.y, out = 2 * n.collrad;
  int count = RandInt(8, 16) + 1;
  for (int i = 0; i < count; i++) {  // n is not used from here on: the list grows
    float a = (float)RandFloat(0, 359);
    SpawnSpawnling(x + SinDeg(a) * out, y + CosDeg(a) * out, 0);
  }
}

// Dormant it only pulses; awake it swirls, quivers, pulls the grid and
// gains 2 energy a tick, pulsing faster as it grows.
static void HoleStep(tNME& n) {
  float& awake = n.counter1;
  float& phase = n.counter2;
  float& rate = n.counter3;
  float& swirl = n.counter4;
  ClampToArena(n);
  if (awake == 0) {
    DrawCore(n, 1);
  } else {
    AddDraw(nme10cimg, n.x - camx, n.y - camy, 0, n.r, n.g, n.b, 0.25f, -swirl / 4, 3, 3,
            BLEND_LIGHT);
    AddDraw(nme10bimg, n.x - camx, n.y - camy, 0, n.r, n.g, n.b, 1, swirl, 3, 3, BLEND_LIGHT);
    DrawCore(n, (float)RandFloat(1, 1 + n.energy / HOLE_BURST));
    Pull(n.x - ARENA_LEFT, n.y - ARENA_TOP, (int)(10 + n.energy / 100 / 4), 4);
    n.energy += 2;
  }
  rate = n.energy / 180;
  phase += rate;
  if (phase > 360) {
    phase -= 360;
    if (awake != 0) PlayFX(Sfx::Hole, n.x);
  }
  swirl = ModF(swirl + 5, 1440);
  if (n.energy > HOLE_BURST) Burst(n);
}

int CountHoles() {
  int holes = 0;
  for (const tNME& n : nmelist) holes += n.t == NME_HOLE;
  return holes;
}

// A bullet that reaches a Hole: half damage, the first one wakes it with a
// flash, and every one explodes and sounds.
static int HoleShot(tNME& n, const tBULLET& bullet) {
  n.energy -= bullet.damage / 2;
  if (n.counter1 == 0) {
    n.counter1 = 1;
    AddHoleFlash(n, 0.25f);
  }
  SpawnExplosion(n.x, n.y);
  PlayFX(Sfx::EnemyExplode, n.x);
  if (n.energy < 0) n.mode = NME_DYING;
  return SHOT_TAKEN;
}

// An awake Hole pulls, swallows and deflects; one still spawning in is harmless.
static bool HoleAwake(const tNME& n) {
  return n.t == NME_HOLE && n.mode == NME_ACTIVE && n.counter1 == 1;
}

// An awake Hole swallows the active enemies that touch it and pulls those
// within 200; another Hole is never swallowed, only pulled, touching or not.
static void HoleOnEnemies(size_t i) {
  if (!HoleAwake(nmelist[i])) return;
  for (size_t j = 0; j < nmelist.size(); j++) {
    tNME& a = nmelist[i];
    tNME& b = nmelist[j];
    if (i == j || b.mode != NME_ACTIVE) continue;
    float d = Dist(a.x, a.y, b.x, b.y);
    if (d < a.collrad + b.collrad && b.t != NME_HOLE) {
      a.energy += 2 * b.energy;
      a.score += b.score;
      b.score = 0;
      b.mode = NME_DYING;
    } else if (d < 200) {
      PullToward(a.x, a.y, b.x, b.y, b.collrad * 16);
      void (*pulled)(tNME&) = Behaviour(b.t).pulled;
      if (pulled) pulled(b);
    }
  }
}

// An awake Hole within 200 pulls the ship.
static void HoleOnShip(const tNME& a) {
  if (!HoleAwake(a)) return;
  if (Dist(a.x, a.y, playerx, playery) < 200) PullToward(a.x, a.y, playerx, playery, playercollrad * 8);
}

// An awake Hole pushes away the bullets between 32 and 100 from it.
static void HoleOnBullets(const tNME& a) {
  if (!HoleAwake(a)) return;
  for (tBULLET& s : bulletlist) {
    float d = Dist(a.x, a.y, s.x, s.y);
    if (!(d > 32 && d < 100)) continue;
    float k = s.collrad * 16 / d;
    float ang = ATan2(a.x - s.x, a.y - s.y) + 180;
    s.x += SinDeg(ang) * k;
    s.y += CosDeg(ang) * k;
  }
}

// Explodes with two flashes and pushes the grid out; no shockwave, its own sound.
static bool HoleDying(tNME& n) {
  float x = n.x, y = n.y;
  SpawnExplosion(x, y);
  AddHoleFlash(n, 0.25f);
  AddHoleFlash(n, 0.5f);
  AddGhost(n, n.img, x, y, n.rot, n.xscale, n.yscale, n.r, n.g, n.b);
  ScoreKill(n.score, x, y);
  if (n.score != 0) {
    CountKill(NME_HOLE);
    Pull(x - ARENA_LEFT, y - ARENA_TOP, 48, -8);
  }
  Pull(x - ARENA_LEFT, y - ARENA_TOP, 32, -8);
  PlayFX(Sfx::HoleExplode, x);
  return false;
}

void SpawnSpawnling(float x, float y, float ang) {
  tNME n = NewEnemy(NME_SPAWNLING, x, y, 8 * playercollrad);
  n.ang = ang;
  n.rot = 0;
  n.speed = 4;
  AddEnemy(n);
}

// No spawn-in: active on its first tick with a speed factor.
static void SpawnlingSpawnIn(tNME& n) {
  n.alpha = 1;
  n.mode = NME_ACTIVE;
  n.counter1 = (float)RandFloat(1, 2);
  n.counter2 = (float)RandFloat(60, 120);
  n.counter3 = n.counter4 = n.counter5 = 0;
}

// Homes in at 4 to 8, turning 2 degrees a tick the short way round.
static void SpawnlingStep(tNME& n) {
  float& factor = n.counter1;
  float& redraw = n.counter2;
  RampSpeed(n, 4 * factor, 0.125f);
  redraw -= 1;
  if (redraw < 0) {
    factor = (float)RandFloat(1, 2);
    redraw = (float)RandFloat(60, 120);
  }
  float target = WithinHalfTurn(ATan2(playerx - n.x, playery - n.y), n.ang);
  if (n.ang < target) {
    n.ang = ModF(n.ang + 2, 360);
  } else if (n.ang > target) {  // one turn a tick: within 2 degrees it must not turn back
    n.ang = ModF(n.ang - 2, 360);
  }
  MoveAlongHeading(n);
  ClampToArena(n);
  DrawEnemy(n, n.rot);
}

static constexpr NmeGravity gravity = {HoleOnEnemies, HoleOnShip, HoleOnBullets};

extern constinit const NmeKindRow holekind = {
    {"hole", &nme10img, 24, 255, 32, 8, 1000, 150, Sfx::SpawnOf(NME_HOLE), &nme08spawnsnd, WEAPON_STREAM},
    {.activate = ActivateHole,
     .active = HoleStep,
     .dying = HoleDying,
     .spawn = [](float x, float y, int) { SpawnHole(x, y); },
     .shot = HoleShot,
     .gravity = &gravity},
};

extern constinit const NmeKindRow spawnlingkind = {
    {"spawnling", &nme08img, 12, 255, 255, 24, 50, 50, -1, nullptr, WEAPON_KEPT},
    {.spawnin = SpawnlingSpawnIn,
     .active = SpawnlingStep,
     .spawn = [](float x, float y, int) { SpawnSpawnling(x, y, 0); }},
};
