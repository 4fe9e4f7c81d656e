// The enemy list and the kinds' table, spawning with its spawn-in, the
// once-per-tick pass with crowd separation and the Holes' gravity, the
// bullet test, and the common kill path.
#include "enemies/enemy.h"

#include <cmath>

#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/entity_list.h"
#include "playfield/game.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/scoring.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

std::vector<tNME> nmelist;
long nmespawned[NME_KINDS] = {};
long nmekilled[NME_KINDS] = {};

// Every kind's starting values, by code; code 9 names no kind.
static const NmeKindInfo kindtable[NME_KINDS] = {
    {"wanderer", &nme01img, 12, 128, 64, 255, 50, 25, Sfx::SpawnOf(NME_WANDERER)},
    {"chaser", &nme02img, 12, 24, 255, 255, 50, 50, Sfx::SpawnOf(NME_CHASER)},
    {"splitter", &nme03img, 12, 255, 24, 255, 50, 100, Sfx::SpawnOf(NME_SPLITTER)},
    {"dodger", &nme05img, 12, 24, 255, 24, 50, 100, Sfx::SpawnOf(NME_DODGER)},
    {"weaver", &nme06img, 8, 64, 64, 255, 50, 10, Sfx::SpawnOf(NME_WEAVER)},
    {"snake", &nme07img, 12, 96, 32, 255, 50, 150, Sfx::SpawnOf(NME_SNAKE)},
    {"shieldship", &nme09img, 16, 255, 64, 64, 50, 150, Sfx::SpawnOf(NME_SHIELDSHIP)},
    {"hole", &nme10img, 24, 255, 32, 8, 1000, 150, Sfx::SpawnOf(NME_HOLE)},
    {"spawnling", &nme08img, 12, 255, 255, 24, 50, 50, -1},
    {nullptr, nullptr, 0, 0, 0, 0, 0, 0, -1},
    {"splinter", &nme04img, 8, 255, 24, 255, 50, 50, -1},
};

// Every kind's steps, by code.
static const NmeBehaviour behaviourtable[NME_KINDS] = {
    {ActivateWanderer, nullptr, WandererStep, nullptr},
    {ActivateChaser, nullptr, ChaserStep, nullptr},
    {ActivateSplitter, nullptr, SplitterStep, SplitterDying},
    {ActivateDodger, nullptr, DodgerStep, nullptr},
    {ActivateWeaver, nullptr, WeaverStep, nullptr},
    {ActivateSnake, nullptr, SnakeStep, SnakeDying},
    {ActivateShieldship, nullptr, ShieldshipStep, nullptr},
    {ActivateHole, nullptr, HoleStep, HoleDying},
    {nullptr, SpawnlingSpawnIn, SpawnlingStep, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, SplinterSpawnIn, SplinterStep, nullptr},
};

bool IsKind(int t) { return t >= 0 && t < NME_KINDS && kindtable[t].name != nullptr; }
const NmeKindInfo& KindInfo(int t) { return kindtable[IsKind(t) ? t : NME_WANDERER]; }
const NmeBehaviour& Behaviour(int t) { return behaviourtable[IsKind(t) ? t : NME_WANDERER]; }

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
  if (sfx >= 0) PlayFX(sfx, n.x);
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

// An awake Hole pulls, swallows and deflects; one still spawning in is harmless.
static bool HoleAwake(const tNME& n) {
  return n.t == NME_HOLE && n.mode == NME_ACTIVE && n.counter1 == 1;
}

// One ordered pair of enemies of a kind that overlap is pushed apart along
// the line between them (Splinters by their orbit centres, harder).
static void SeparatePair(tNME& a, tNME& b) {
  bool splinter = a.t == NME_SPLINTER;
  float& ax = splinter ? a.counter4 : a.x;
  float& ay = splinter ? a.counter5 : a.y;
  float& bx = splinter ? b.counter4 : b.x;
  float& by = splinter ? b.counter5 : b.y;
  float r = a.collrad + b.collrad;
  if (!Within(ax, ay, bx, by, r)) return;
  float d = Dist(ax, ay, bx, by);
  float ang = ATan2(ay - by, ax - bx);
  float push = splinter ? r - d : (r - d) / 4;
  bx += CosDeg(ang + 180) * push;
  by += SinDeg(ang + 180) * push;
  ax += CosDeg(ang) * push;
  ay += SinDeg(ang) * push;
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

// Pulls a point toward (hx, hy) by strength / distance; nothing at a
// distance below 1, where the pull would blow up.
static void PullToward(float hx, float hy, float& x, float& y, float strength) {
  float d = Dist(hx, hy, x, y);
  if (d < 1) return;
  float k = strength / d;
  float a = ATan2(hx - x, hy - y);
  x += SinDeg(a) * k;
  y += CosDeg(a) * k;
}

// Awake Holes swallow the active enemies that touch them and pull those
// within 200; another Hole is never swallowed, only pulled, touching or not.
static void HolesOnEnemies() {
  for (size_t i = 0; i < nmelist.size(); i++) {
    if (!HoleAwake(nmelist[i])) continue;
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
        if (b.t == NME_SPLINTER && b.tabx[0] > 0) b.tabx[0] -= 2;
      }
    }
  }
}

// Awake Holes within 200 pull the ship.
static void HolesOnPlayer() {
  for (const tNME& a : nmelist) {
    if (!HoleAwake(a)) continue;
    if (Dist(a.x, a.y, playerx, playery) < 200) PullToward(a.x, a.y, playerx, playery, playercollrad * 8);
  }
}

// Awake Holes push away the bullets between 32 and 100 from them.
static void HolesOnBullets() {
  for (const tNME& a : nmelist) {
    if (!HoleAwake(a)) continue;
    for (tBULLET& s : bulletlist) {
      float d = Dist(a.x, a.y, s.x, s.y);
      if (!(d > 32 && d < 100)) continue;
      float k = s.collrad * 16 / d;
      float ang = ATan2(a.x - s.x, a.y - s.y) + 180;
      s.x += SinDeg(ang) * k;
      s.y += CosDeg(ang) * k;
    }
  }
}

// Spawn-ins, behaviours and kill paths, then the crowd and the Holes' gravity.
void UpdateEnemies() {
  UpdateAndKeep(nmelist, StepEnemy);
  SeparateCrowd();
  HolesOnEnemies();
  HolesOnPlayer();
  HolesOnBullets();
}

void AddHoleFlash(const tNME& n, float grow) {
  tPART& p = partlist.emplace_back();
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

// A bullet that reaches a Hole: half damage, the first one wakes it with a
// flash, and every one explodes and sounds.
static void HitHole(tNME& n, float damage) {
  n.energy -= damage / 2;
  if (n.counter1 == 0) {
    n.counter1 = 1;
    AddHoleFlash(n, 0.25f);
  }
  SpawnExplosion(n.x, n.y);
  PlayFX(Sfx::EnemyExplode, n.x);
  if (n.energy < 0) n.mode = NME_DYING;
}

// A charging Shieldship lets bullets through only from within 45 degrees of
// straight behind it; the angle is brought into one turn before the test.
static bool ThroughOpenSide(const tNME& n, float bx, float by) {
  float a = ModF(ATan2(n.x - bx, n.y - by) - n.ang, 360);
  if (a < 0) a += 360;
  return a > 135 && a < 225;
}

// One enemy against a bullet: 1 when it took the bullet's damage; a shield
// or a Snake's trail that stops the bullet sets result to 3.
static int TestBullet(tNME& n, int index, bool indexed, const tBULLET& bullet, int& result) {
  if (n.mode != NME_ACTIVE) return 0;
  if (Within(bullet.x, bullet.y, n.x, n.y, bullet.collrad + n.collrad)) {
    if (n.t == NME_SHIELDSHIP && n.counter1 == 1 && !ThroughOpenSide(n, bullet.x, bullet.y)) {
      result = 3;
    } else if (n.t == NME_HOLE) {
      HitHole(n, bullet.damage);
      return 1;
    } else {
      n.energy -= bullet.damage;
      if (n.energy < 0) n.mode = NME_DYING;
      return 1;
    }
  }
  float reach = bullet.collrad + 8;
  if (n.t == NME_SNAKE && (!indexed || TrailMayReach(index, bullet.x, bullet.y, reach))) {
    for (int i = 1; i <= 24; i++) {
      if (n.tabx[4 * i] == -1) continue;
      if (Within(bullet.x, bullet.y, n.tabx[4 * i], n.taby[4 * i], reach)) result = 3;
    }
  }
  return 0;
}

// The first active enemy a bullet overlaps takes its damage; shields and
// Snake trails stop it without harm and the scan goes on.
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

int CountHoles() {
  int holes = 0;
  for (const tNME& n : nmelist) holes += n.t == NME_HOLE;
  return holes;
}

void AddGhost(const tNME& n, TImage* img, float x, float y, float rot, float xscale, float yscale,
              int r, int g, int b, float grow) {
  tPART& p = partlist.emplace_back();
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

void CountKill(int t) {
  totalkilled += 1;
  killed += 1;
  killsbykind[t] += 1;
  nmekilled[t]++;
}

bool CommonKillPath(tNME& n, void (*afterscored)(float x, float y)) {
  float x = n.x, y = n.y;
  int t = n.t, score = n.score;
  SpawnExplosion(x, y);
  AddGhost(n, n.img, x, y, n.rot, n.xscale, n.yscale, n.r, n.g, n.b);
  AddScore(score, x, y);
  if (score != 0) {
    CountKill(t);
    PlayFX(Sfx::EnemyExplode, x);
    if (afterscored) afterscored(x, y);  // may grow nmelist: n is not used after this
  }
  Shockwave((int)(x - ARENA_LEFT), (int)(y - ARENA_TOP));
  return false;
}
