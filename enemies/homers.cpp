// The three kinds that home straight in on the ship: the Chaser pulses as
// it comes, the Dodger shoves itself away from passing bullets, the Weaver
// weaves about the line to the ship.
#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/player.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

// The Chaser: counter1 is its squash-and-stretch phase.
void SpawnChaser(float x, float y, int spawnin) {
  tNME n = NewEnemy(NME_CHASER, x, y, 8 * playercollrad);
  n.ang = ATan2(playery - n.y, playerx - n.x) - 90;
  n.rot = 0;
  AddEnemySpawningIn(n, spawnin);
}

static void ActivateChaser(tNME& n) {
  n.counter1 = 5.0f * RandInt(0, 72);
  n.counter2 = n.counter3 = n.counter4 = n.counter5 = 0;
}

// Straight at the ship at up to 2.4, squashing and stretching by 0.2.
static void ChaserStep(tNME& n) {
  float& pulse = n.counter1;
  RampSpeed(n, 2.4f, 0.125f);
  HeadAtPlayer(n);
  MoveAlongHeading(n);
  n.xscale = 1 + SinDeg(pulse) / 10 * 2;
  n.yscale = 1 + SinDeg(pulse + 180) / 10 * 2;
  pulse = ModF(pulse + 5, 360);
  ClampToArena(n);
  DrawEnemy(n, n.rot);
}

// The Dodger: counter1 is its spin direction (0 clockwise).
void SpawnDodger(float x, float y, int spawnin) {
  tNME n = NewEnemy(NME_DODGER, x, y, 8 * playercollrad);
  n.ang = ATan2(playery - n.y, playerx - n.x);
  n.rot = (float)RandInt(0, 359);
  AddEnemySpawningIn(n, spawnin);
}

static void ActivateDodger(tNME& n) {
  n.counter1 = (float)RandInt(0, 1);
  n.counter2 = n.counter3 = n.counter4 = n.counter5 = 0;
}

// Closes in at up to 3; every bullet that comes near shoves it straight away
// and sets it backing off.
static void DodgerStep(tNME& n) {
  float& spinback = n.counter1;
  n.rot = spinback != 0 ? ModF(n.rot - 5, 360) : ModF(n.rot + 5, 360);
  HeadAtPlayer(n);
  RampSpeed(n, 3, 0.25f);
  MoveAlongHeading(n);
  for (const tBULLET& s : bulletlist) {
    float reach = s.collrad + 3 * n.collrad;
    if (!Within(n.x, n.y, s.x, s.y, reach)) continue;
    float w = Dist(n.x, n.y, s.x, s.y);
    float a = ATan2(n.y - s.y, n.x - s.x);
    n.x += CosDeg(a) * (reach - w) / 2;
    n.y += SinDeg(a) * (reach - w) / 2;
    n.speed = -4;
  }
  ClampToArena(n);
  DrawEnemy(n, n.rot);
}

// The Weaver: counter2 is its weave phase, one period every 360 ticks.
void SpawnWeaver(float x, float y) {
  tNME n = NewEnemy(NME_WEAVER, x, y, 8 * playercollrad);
  n.ang = ATan2(playery - n.y, playerx - n.x) - 90;
  n.rot = 4.0f * RandInt(0, 89);
  AddEnemy(n);
}

static void ActivateWeaver(tNME& n) {
  n.counter1 = (float)RandInt(0, 359);
  n.counter2 = (float)RandInt(0, 359);
  n.counter3 = n.counter4 = n.counter5 = 0;
}

// Heads at the ship 20 degrees either side of the line, rocking as it goes.
static void WeaverStep(tNME& n) {
  RampSpeed(n, 2, 0.125f);
  float& weave = n.counter2;
  n.ang = ATan2(playerx - n.x, playery - n.y) + SinDeg(weave) * 20;
  weave = ModF(weave + 1, 360);
  MoveAlongHeading(n);
  ClampToArena(n);
  n.rot = ModF(n.rot + 10, 360);
  DrawEnemy(n, SinDeg(n.rot) * 90);
}

extern constinit const NmeKindRow chaserkind = {
    {"chaser", &nme02img, 12, 24, 255, 255, 50, 50, Sfx::SpawnOf(NME_CHASER), &nme02spawnsnd, WEAPON_STREAM},
    {.activate = ActivateChaser, .active = ChaserStep, .spawn = SpawnChaser},
};

extern constinit const NmeKindRow dodgerkind = {
    {"dodger", &nme05img, 12, 24, 255, 24, 50, 100, Sfx::SpawnOf(NME_DODGER), &nme04spawnsnd, WEAPON_SPREAD},
    {.activate = ActivateDodger, .active = DodgerStep, .spawn = SpawnDodger},
};

extern constinit const NmeKindRow weaverkind = {
    {"weaver", &nme06img, 8, 64, 64, 255, 50, 10, Sfx::SpawnOf(NME_WEAVER), &nme05spawnsnd, WEAPON_SPREAD},
    {.activate = ActivateWeaver,
     .active = WeaverStep,
     .spawn = [](float x, float y, int) { SpawnWeaver(x, y); }},
};
