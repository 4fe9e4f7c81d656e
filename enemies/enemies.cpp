// The enemies floor, over the playfield, each kind's rules in its own file.
// Here: the enemy list and the kinds' table, spawning with its spawn-in, the
// once-per-tick pass with crowd separation and the kinds' gravity, the
// bullet test, and the common kill path.
#include "enemies/enemies.h"

#include <cmath>
#include <iterator>

#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/entity_list.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

std::vector<tNME> nmelist;

// Every kind's row, each from its kind's own file, by code; code 9 names no kind.
extern const NmeKindRow wandererkind, chaserkind, splitterkind, dodgerkind, weaverkind,
    snakekind, shieldshipkind, holekind, spawnlingkind, splinterkind;
static const NmeKindRow* const kindtable[NME_KINDS] = {
    &wandererkind, &chaserkind,     &splitterkind, &dodgerkind,    &weaverkind, &snakekind,
    &shieldshipkind, &holekind, &spawnlingkind, nullptr, &splinterkind,
};
// Spawn sounds follow the kind codes at the end of the effect list: every
// code must still have a slot of its own.
static_assert(Sfx::SpawnOf(NME_KINDS - 1) < (int)std::size(fxplayed));

bool IsKind(int t) { return t >= 0 && t < NME_KINDS && kindtable[t] != nullptr; }
const NmeKindInfo& KindInfo(int t) { return kindtable[IsKind(t) ? t : NME_WANDERER]->info; }
const NmeBehaviour& Behaviour(int t) { return kindtable[IsKind(t) ? t : NME_WANDERER]->steps; }

void SpawnKind(int t, float x, float y, int spawnin) { Behaviour(t).spawn(x, y, spawnin); }

float ModF(float a, float b) { return std::fmod(a, b); }
// Keeps the enemy inside the arena shrunk by its radius.
void ClampToArena(tNME& n) {
  if (n.x < ARENA_LEFT + n.collrad) n.x = ARENA_LEFT + n.collrad;
  if (n.x > ARENA_RIGHT - n.collrad) n.x = ARENA_RIGHT - n.collrad;
  if (n.y < ARENA_TOP + n.collrad) n.y = ARENA_TOP + n.collrad;
  if (n.y > ARENA_BOTTOM - n.collrad) n.y = ARENA_BOTTOM - n.collrad;
}

void HeadAtPlayer(tNME& n) { n.ang = ATan2(playerx - n.x, playery - n.y); }

void MoveAlongHeading(tNME& n) {
  n.x += SinDeg(n.ang) * n.speed;
  n.y += CosDeg(n.ang) * n.speed;
}

void RampSpeed(tNME& n, float top, float step) {
  if (n.speed < top) {
    n.speed += step;
  } else if (n.speed > 0) {
    n.speed -= 0.125f;
  }
}

void DrawEnemy(const tNME& n, float rot) {
  AddDraw(n.img, n.x - camx, n.y - camy, 0, n.r, n.g, n.b, n.alpha, rot, n.xscale, n.yscale,
          n.blend);
}

// A random point of the arena shrunk by the radius.
static void RandomArenaPoint(float collrad, float& x, float& y) {
  x = (float)RandInt((int)(ARENA_LEFT + collrad), (int)(ARENA_RIGHT - collrad));
  y = (float)RandInt((int)(ARENA_TOP + collrad), (int)(ARENA_BOTTOM - collrad));
}

void PickWaypoint(tNME& n) {
  float tx, ty;
  do {
    RandomArenaPoint(n.collrad, tx, ty);
  } while (!(Dist(tx, ty, n.x, n.y) > 4 * n.collrad));
  n.counter4 = tx;
  n.counter5 = ty;
  n.counter2 = 1;
}

tNME NewEnemy(int t, float x, float y, float minaway) {
  const NmeKindInfo& k = KindInfo(t);
  tNME n;
  n.t = t;
  n.collrad = k.collrad;
  if (x == 0 && y == 0) {
    do {
      RandomArenaPoint(k.collrad, x, y);
    } while (!(Dist(x, y, playerx, playery) > minaway));
  }
  n.x = x;
  n.y = y;
  n.img = *k.img;
  n.r = k.r;
  n.g = k.g;
  n.b = k.b;
  n.energy = k.energy;
  n.score = k.score;
  n.xscale = n.yscale = 1;
  n.blend = BLEND_LIGHT;
  n.counter2 = 1;
  return n;
}

void AddEnemy(const tNME& n, bool clamp) {
  nmelist.push_back(n);
  if (clamp) ClampToArena(nmelist.back());
  nmespawned[n.t]++;
  int sfx = KindInfo(n.t).spawnsfx;
  if (sfx >= 0) PlayFXSound(sfx, *KindInfo(n.t).spawnsound, n.x);
}

void AddActiveEnemy(tNME n) {
  n.alpha = 1;
  n.mode = NME_ACTIVE;
  n.counter2 = 0;
  Behaviour(n.t).activate(n);
  AddEnemy(n);
}

void AddEnemySpawningIn(const tNME& n, int spawnin) {
  if (spawnin == 0) {
    AddActiveEnemy(n);
  } else {
    AddEnemy(n);
  }
}

bool TravelToWaypoint(tNME& n, float top) {
  float& wobble = n.counter1;
  float& travelling = n.counter2;
  float& waypointx = n.counter4;
  float& waypointy = n.counter5;
  if (travelling == 0) {
    PickWaypoint(n);
    return false;
  }
  if (travelling != 1) return false;
  n.ang = ATan2(waypointx - n.x, waypointy - n.y) + SinDeg(wobble) * 90;
  RampSpeed(n, top, 0.125f);
  MoveAlongHeading(n);
  ClampToArena(n);
  if (Dist(n.x, n.y, waypointx, waypointy) < n.collrad) travelling = 0;
  return true;
}

// Six pulses of 8 ticks: a ring growing from 1 to 2 while a second grows
// from 0 to 1, the enemy fading in; then it is active.
static void SpawnInStep(tNME& n) {
  AddDraw(n.img, n.x - camx, n.y - camy, 0, n.r, n.g, n.b, n.alpha, n.rot, n.counter2, n.counter2,
          n.blend);
  float inner = ModF(n.counter2 + 1, 2);
  AddDraw(n.img, n.x - camx, n.y - camy, 0, n.r, n.g, n.b, n.alpha, n.rot, inner, inner, n.blend);
  n.alpha += 0.025f;
  n.counter2 += 0.125f;
  if (n.counter2 == 2) {
    n.counter2 = 1;
    n.counter1 += 1;
    if (n.counter1 == 6) {
      n.alpha = 1;
      n.mode = NME_ACTIVE;
      Behaviour(n.t).activate(n);
    }
  }
}

// One enemy's step by its mode; false once it has left the list.
static bool StepEnemy(tNME& n) {
  const NmeBehaviour& b = Behaviour(n.t);
  switch (n.mode) {
    case NME_SPAWNING:
      if (b.spawnin) {
        b.spawnin(n);
      } else {
        SpawnInStep(n);
      }
      return true;
    case NME_ACTIVE:
      b.active(n);
      return true;
    default:
      return b.dying ? b.dying(n) : CommonKillPath(n);
  }
}

void PushApart(float& ax, float& ay, float& bx, float& by, float r, float soften) {
  if (!Within(ax, ay, bx, by, r)) return;
  float d = Dist(ax, ay, bx, by);
  float ang = ATan2(ay - by, ax - bx);
  float push = (r - d) / soften;
  bx += CosDeg(ang + 180) * push;
  by += SinDeg(ang + 180) * push;
  ax += CosDeg(ang) * push;
  ay += SinDeg(ang) * push;
}

// One ordered pair of enemies of a kind that overlap is pushed apart along
// the line between them, a quarter of the overlap each, unless the kind
// has its own push.
static void SeparatePair(tNME& a, tNME& b) {
  const NmeBehaviour& k = Behaviour(a.t);
  if (k.separate) return k.separate(a, b);
  PushApart(a.x, a.y, b.x, b.y, a.collrad + b.collrad, 4);
}

void SeparateCrowdEveryPair() {
  for (size_t i = 0; i < nmelist.size(); i++)
    for (size_t j = 0; j < nmelist.size(); j++)
      if (i != j && nmelist[i].t == nmelist[j].t) SeparatePair(nmelist[i], nmelist[j]);
}

// Enemies of a kind keep apart. Pairs of different kinds never touch each
// other's positions, so walking each kind's own members in list order
// gives exactly the every-pair result.
void SeparateCrowd() {
  static std::vector<int> bykind[NME_KINDS];
  for (std::vector<int>& k : bykind) k.clear();
  for (size_t i = 0; i < nmelist.size(); i++) {
    int t = nmelist[i].t;
    if (t < 0 || t >= NME_KINDS) return SeparateCrowdEveryPair();  // not a kind: the plain way
    bykind[t].push_back((int)i);
  }
  for (const std::vector<int>& k : bykind)
    for (int i : k)
      for (int j : k)
        if (i != j) SeparatePair(nmelist[i], nmelist[j]);
}

void PullToward(float hx, float hy, float& x, float& y, float strength) {
  float d = Dist(hx, hy, x, y);
  if (d < 1) return;
  float k = strength / d;
  float a = ATan2(hx - x, hy - y);
  x += SinDeg(a) * k;
  y += CosDeg(a) * k;
}

// The kinds' gravity, phase by phase over the whole list: on the enemies,
// then on the ship, then on the bullets.
static void RunGravity() {
  for (size_t i = 0; i < nmelist.size(); i++) {
    const NmeGravity* g = Behaviour(nmelist[i].t).gravity;
    if (g) g->onenemies(i);
  }
  for (const tNME& n : nmelist) {
    const NmeGravity* g = Behaviour(n.t).gravity;
    if (g) g->onship(n);
  }
  for (const tNME& n : nmelist) {
    const NmeGravity* g = Behaviour(n.t).gravity;
    if (g) g->onbullets(n);
  }
}

// Spawn-ins, behaviours and kill paths, then the crowd and the kinds' gravity.
void UpdateEnemies() {
  UpdateAndKeep(nmelist, StepEnemy);
  SeparateCrowd();
  RunGravity();
}

void AddHoleFlash(const tNME& n, float grow) {
  tPART& p = NewParticle();
  p.t = PART_DRIFT;
  p.x = n.x;
  p.y = n.y;
  p.rot = (float)RandInt(0, 359);
  p.alpha = 1;
  p.alphachange = -0.04f;
  p.xscalechange = p.yscalechange = grow;
  p.img = bombimg;
  p.blend = BLEND_LIGHT;
  p.r = n.r;
  p.g = n.g;
  p.b = n.b;
  p.accel = 1e-07f;
}

int TakeDamage(tNME& n, float damage) {
  n.energy -= damage;
  if (n.energy < 0) n.mode = NME_DYING;
  return SHOT_TAKEN;
}

// One enemy against a bullet: 1 when it took the bullet's damage; a shield
// or a far-reaching part that stops the bullet sets result to 3.
static int TestBullet(tNME& n, int index, bool indexed, const tBULLET& bullet, int& result) {
  if (n.mode != NME_ACTIVE) return 0;
  const NmeBehaviour& k = Behaviour(n.t);
  if (Within(bullet.x, bullet.y, n.x, n.y, bullet.collrad + n.collrad)) {
    int shot = k.shot ? k.shot(n, bullet) : TakeDamage(n, bullet.damage);
    if (shot == SHOT_TAKEN) return 1;
    result = SHOT_STOPPED;
  }
  if (!k.parts) return 0;
  float reach = bullet.collrad + k.parts->radius;
  if (indexed && !PartsMayReach(index, bullet.x, bullet.y, reach)) return 0;
  if (k.parts->reaches(n, bullet.x, bullet.y, reach)) result = SHOT_STOPPED;
  return 0;
}

// The first active enemy a bullet overlaps takes its damage; shields and
// far-reaching parts stop it without harm and the scan goes on.
int HitEnemies(const tBULLET& bullet) {
  static std::vector<int> near;
  int result = 0;
  if (EnemiesNear(bullet.x, bullet.y, bullet.collrad, near)) {
    for (int i : near)
      if (TestBullet(nmelist[i], i, true, bullet, result)) return 1;
    return result;
  }
  for (size_t i = 0; i < nmelist.size(); i++)
    if (TestBullet(nmelist[i], (int)i, false, bullet, result)) return 1;
  return result;
}

void KillEnemyForNothing(tNME& n) {
  n.mode = NME_DYING;
  n.score = 0;
}

void KillAllEnemiesForNothing() {
  for (tNME& n : nmelist) KillEnemyForNothing(n);
}

void AddGhost(const tNME& n, TImage* img, float x, float y, float rot, float xscale, float yscale,
              int r, int g, int b, float grow) {
  tPART& p = NewParticle();
  p.x = x;
  p.y = y;
  p.rot = rot;
  p.xscale = xscale;
  p.yscale = yscale;
  p.r = r;
  p.g = g;
  p.b = b;
  p.img = img;
  p.alpha = 1;
  p.blend = BLEND_LIGHT;
  p.accel = 1e-07f;
  if (n.iamtheone == 0) {
    p.t = PART_DRIFT;
    p.alphachange = -0.05f;
    p.xscalechange = p.yscalechange = grow;
  } else {
    p.t = PART_BLINK;
    p.rcolchange = 1;
    p.gcolchange = 8;
    p.bcolchange = 1;
  }
}

bool CommonKillPath(tNME& n, void (*afterscored)(float x, float y)) {
  float x = n.x, y = n.y;
  int t = n.t, score = n.score;
  SpawnExplosion(x, y);
  AddGhost(n, n.img, x, y, n.rot, n.xscale, n.yscale, n.r, n.g, n.b);
  ScoreKill(score, x, y);
  if (score != 0) {
    CountKill(t);
    PlayFX(Sfx::EnemyExplode, x);
    if (afterscored) afterscored(x, y);  // may grow nmelist: n is not used after this
  }
  Shockwave((int)(x - ARENA_LEFT), (int)(y - ARENA_TOP));
  return false;
}
