// The Shieldship turns on the spot to face the ship, then charges; while it
// charges its shield stops every bullet but those from behind.
// Working values: counter1 0 aiming / 1 charging; counter2 the turn
// direction while aiming (0 clockwise), the charge phase while charging
// (0 approach, 1 close pass, 2 braking); counter3 distance to the ship;
// counter4 shield frame 0..3; counter5 the charge's top speed; tabx[0]
// ticks spent charging.
#include <cmath>

#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

constexpr float AIMING = 0, CHARGING = 1;
constexpr float APPROACH = 0, CLOSE_PASS = 1, BRAKING = 2;

// The heading that points the ship's nose (it flies backwards) at the ship.
static float AimTarget(const tNME& n) { return ATan2(playerx - n.x, playery - n.y) + 180; }

// Chooses the way to turn toward the ship, the short way round.
static void ChooseTurn(tNME& n) {
  float target = WithinHalfTurn(AimTarget(n), n.ang);
  if (n.ang < target) n.counter2 = 0;
  if (n.ang > target) n.counter2 = 1;
}

void SpawnShieldship(float x, float y) {
  tNME n = NewEnemy(NME_SHIELDSHIP, x, y, 8 * playercollrad);
  n.ang = (float)RandInt(0, 359);
  n.rot = n.ang + 180;
  AddEnemy(n);
}

static void ActivateShieldship(tNME& n) {
  n.counter1 = n.counter3 = n.counter4 = n.counter5 = 0;
  ChooseTurn(n);
}

// Turns 2 degrees a tick until it faces the ship within 5, then charges.
static void Aim(tNME& n) {
  if (n.counter2 == 0) {
    n.ang = ModF(n.ang + 2, 360);
  } else {
    n.ang = ModF(n.ang - 2, 360);
    if (n.ang < 0) n.ang += 360;
  }
  n.rot = 180 - n.ang;
  if (std::fabs(AimTarget(n) - n.ang) < 5) {
    n.counter1 = CHARGING;
    n.counter2 = APPROACH;
    n.counter3 = 0;
    n.counter5 = 8;
    n.tabx[0] = 0;
  }
}

// Charges at up to 8, steering a degree a tick; after passing the ship (or
// 250 ticks) it brakes to a stop and aims again.
static void Charge(tNME& n) {
  float& phase = n.counter2;
  float& topspeed = n.counter5;
  float& ticks = n.tabx[0];
  RampSpeed(n, topspeed, 0.25f);
  ticks += 1;
  if (ticks == 250) phase = BRAKING;
  n.counter3 = Dist(n.x, n.y, playerx, playery);
  if (n.counter3 < 100 && phase == APPROACH) phase = CLOSE_PASS;
  if (n.counter3 > 100 && phase == CLOSE_PASS) phase = BRAKING;
  if (phase == BRAKING) {
    if (topspeed > 0) topspeed -= 0.125f;
    if (topspeed <= 0) {
      n.counter1 = AIMING;
      ChooseTurn(n);
    }
  }
  float target = WithinHalfTurn(AimTarget(n), n.ang);
  if (n.ang < target) {
    n.ang = ModF(n.ang + 1, 360);
  } else if (n.ang > target) {  // one turn a tick: within a degree it must not turn back
    n.ang = ModF(n.ang - 1, 360);
  }
  n.rot = 180 - n.ang;
  n.x += SinDeg(n.ang + 180) * n.speed;
  n.y += CosDeg(n.ang + 180) * n.speed;
  ClampToArena(n);
}

// Aims or charges; the shield shows (and shakes the grid) whenever a bullet
// is within 64, though it only stops bullets while charging.
static void ShieldshipStep(tNME& n) {
  if (n.counter1 == AIMING) {
    Aim(n);
  } else {
    Charge(n);
  }
  bool shielded = false;
  for (const tBULLET& s : bulletlist)
    if (Within(n.x, n.y, s.x, s.y, 64)) shielded = true;
  DrawEnemy(n, n.rot);
  float& frame = n.counter4;
  if (shielded) {
    AddDraw(nme09shieldimg, n.x - camx, n.y - camy, (int)frame, n.r + 64, n.g + 64, n.b, n.alpha,
            n.rot + 180, n.xscale + 1, n.yscale + 2, BLEND_LIGHT);
    Shockwave((int)(n.x - ARENA_LEFT), (int)(n.y - ARENA_TOP));
  }
  frame += 1;
  if (frame == 4) frame = 0;
}

// A charging Shieldship lets bullets through only from within 45 degrees of
// straight behind it; the angle is brought into one turn before the test.
static bool ThroughOpenSide(const tNME& n, float bx, float by) {
  float a = ModF(ATan2(n.x - bx, n.y - by) - n.ang, 360);
  if (a < 0) a += 360;
  return a > 135 && a < 225;
}

// While charging the shield stops what does not come through the open side.
static int ShieldshipShot(tNME& n, const tBULLET& bullet) {
  if (n.counter1 == CHARGING && !ThroughOpenSide(n, bullet.x, bullet.y)) return SHOT_STOPPED;
  return TakeDamage(n, bullet.damage);
}

extern constinit const NmeKindRow shieldshipkind = {
    {"shieldship", &nme09img, 16, 255, 64, 64, 50, 150, Sfx::SpawnOf(NME_SHIELDSHIP), &nme07spawnsnd,
     WEAPON_SPREAD},
    {.activate = ActivateShieldship,
     .active = ShieldshipStep,
     .spawn = [](float x, float y, int) { SpawnShieldship(x, y); },
     .shot = ShieldshipShot},
};
