// The Wanderer: drifts from one random waypoint to the next on a snaking
// path, spinning as it goes. Harmless-looking, worth little.
// Working values: counter1 wobble phase, counter2 0 needs a waypoint / 1 on
// its way, counter3 spin direction (0 clockwise), counter4, 5 the waypoint.
#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/player.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

void SpawnWanderer(float x, float y) {
  tNME n = NewEnemy(NME_WANDERER, x, y, 8 * playercollrad);
  n.ang = ATan2(playery - n.y, playerx - n.x) - 90;
  n.rot = (float)RandInt(0, 359);
  AddEnemy(n);
}

static void ActivateWanderer(tNME& n) {
  n.counter1 = (float)RandInt(0, 359);
  n.counter3 = (float)RandInt(0, 1);
  n.counter2 = n.counter4 = n.counter5 = 0;
}

// Drifts from waypoint to waypoint on a snaking path, spinning.
static void WandererStep(tNME& n) {
  float& wobble = n.counter1;
  float& spinback = n.counter3;
  TravelToWaypoint(n, 1);
  DrawEnemy(n, n.rot);
  wobble = ModF(wobble + 2, 360);
  n.rot = spinback == 0 ? ModF(n.rot + 5, 360) : ModF(n.rot - 5, 360);
}

extern constinit const NmeKindRow wandererkind = {
    {"wanderer", &nme01img, 12, 128, 64, 255, 50, 25, Sfx::SpawnOf(NME_WANDERER), &nme01spawnsnd, WEAPON_SPREAD},
    {.activate = ActivateWanderer,
     .active = WandererStep,
     .spawn = [](float x, float y, int) { SpawnWanderer(x, y); }},
};
