// The Splitter charges the ship rocking from side to side; shot down, it
// breaks into three Splinters that circle centres of their own while the
// centres chase the ship.
// Splitter working values: counter1 a phase set on activation (unused).
// Splinter working values: counter2 spin direction (0 clockwise), counter3
// orbit angle, counter4, 5 the orbit centre, tabx[0] the orbit radius.
#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/player.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

void SpawnSplitter(float x, float y, int spawnin) {
  tNME n = NewEnemy(NME_SPLITTER, x, y, 8 * playercollrad);
  n.ang = ATan2(playery - n.y, playerx - n.x) - 90;
  n.rot = 4.0f * RandInt(0, 89);
  AddEnemySpawningIn(n, spawnin);
}

static void ActivateSplitter(tNME& n) {
  n.counter1 = 5.0f * RandInt(0, 72);
  n.counter2 = n.counter3 = n.counter4 = n.counter5 = 0;
}

// Straight at the ship at up to 3.8, the sprite rocking 45 degrees each way.
static void SplitterStep(tNME& n) {
  RampSpeed(n, 3.8f, 0.125f);
  HeadAtPlayer(n);
  MoveAlongHeading(n);
  n.rot = ModF(n.rot + 4, 360);
  ClampToArena(n);
  DrawEnemy(n, SinDeg(n.rot) * 45);
}

// Three Splinters 36 pixels out, at both sides and behind as the ship sees it.
static void Split(float x, float y) {
  float out = 3 * KindInfo(NME_SPLITTER).collrad;
  float a0 = ATan2(playerx - x, playery - y) + 90;
  for (float a : {a0, a0 + 90, a0 + 180}) SpawnSplinter(x + SinDeg(a) * out, y + CosDeg(a) * out);
}

// Only a Splitter that was shot down splits.
static bool SplitterDying(tNME& n) { return CommonKillPath(n, Split); }

// A Splinter starts on its own centre, visible at once, not clamped, silent.
void SpawnSplinter(float x, float y) {
  tNME n = NewEnemy(NME_SPLINTER, x, y, 8 * playercollrad);
  n.ang = ATan2(playery - n.y, playerx - n.x) - 90;
  n.rot = (float)RandInt(0, 359);
  n.alpha = 1;
  n.counter3 = (float)RandFloat(0, 359);
  n.counter4 = n.x;
  n.counter5 = n.y;
  n.tabx[0] = 0;
  AddEnemy(n, false);
}

// No spawn-in: active on its first tick with a spin direction.
static void SplinterSpawnIn(tNME& n) {
  n.mode = NME_ACTIVE;
  n.counter2 = (float)RandInt(0, 1);
}

// The centre chases the ship; the body circles it at 4 degrees a tick on a
// radius that opens to 48 and closes once the centre is within 48.
static void SplinterStep(tNME& n) {
  float& spinback = n.counter2;
  float& orbit = n.counter3;
  float& centrex = n.counter4;
  float& centrey = n.counter5;
  float& radius = n.tabx[0];
  RampSpeed(n, 3, 0.125f);
  if (Dist(centrex, centrey, playerx, playery) > 48) {
    if (radius < 48) radius += 2;
  } else if (radius > 0) {
    radius -= 2;
  }
  float a = ATan2(playerx - centrex, playery - centrey);
  centrex += SinDeg(a) * n.speed;
  centrey += CosDeg(a) * n.speed;
  n.x = centrex + SinDeg(orbit) * radius;
  n.y = centrey + CosDeg(orbit) * radius;
  ClampToArena(n);
  if (spinback != 0) {
    n.rot = ModF(n.rot - 5, 360);
    orbit = ModF(orbit - 4, 360);
  } else {
    n.rot = ModF(n.rot + 5, 360);
    orbit = ModF(orbit + 4, 360);
  }
  DrawEnemy(n, n.rot);
}

// Splinters keep apart by their orbit centres, the whole overlap each.
static void SeparateSplinters(tNME& a, tNME& b) {
  PushApart(a.counter4, a.counter5, b.counter4, b.counter5, a.collrad + b.collrad, 1);
}

// A pulled Splinter's orbit tightens by 2.
static void SplinterPulled(tNME& n) {
  float& radius = n.tabx[0];
  if (radius > 0) radius -= 2;
}

extern constinit const NmeKindRow splitterkind = {
    {"splitter", &nme03img, 12, 255, 24, 255, 50, 100, Sfx::SpawnOf(NME_SPLITTER), &nme03spawnsnd, WEAPON_STREAM},
    {.activate = ActivateSplitter,
     .active = SplitterStep,
     .dying = SplitterDying,
     .spawn = SpawnSplitter},
};

extern constinit const NmeKindRow splinterkind = {
    {"splinter", &nme04img, 8, 255, 24, 255, 50, 50, -1, nullptr, WEAPON_SPREAD},
    {.spawnin = SplinterSpawnIn,
     .active = SplinterStep,
     .spawn = [](float x, float y, int) { SpawnSplinter(x, y); },
     .pulled = SplinterPulled,
     .separate = SeparateSplinters},
};
