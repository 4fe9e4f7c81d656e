// The Snake: wanders between waypoints dragging a trail of up to 23
// segments that stops bullets and kills the ship; shot, it explodes from
// the head down the tail, one segment a tick.
// Working values: counter1 wobble phase, counter2 0 needs a waypoint / 1 on
// its way, counter3 the next segment to explode while dying, counter4, 5
// the waypoint; tabx, taby the trail (kinds.h).
#include "enemies/kinds.h"
#include "playfield/angles.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

void SpawnSnake(float x, float y) {
  tNME n = NewEnemy(NME_SNAKE, x, y, 8 * playercollrad);
  n.ang = ATan2(playery - n.y, playerx - n.x) - 90;
  n.rot = n.ang + 180;
  for (int i = 0; i <= SNAKE_TRAIL; i++) n.tabx[i] = n.taby[i] = -1;
  AddEnemy(n);
}

static void ActivateSnake(tNME& n) {
  n.counter1 = (float)RandInt(0, 359);
  n.counter3 = 1;
  n.counter2 = n.counter4 = n.counter5 = 0;
}

// The drawn rotation of segment i: along the trail toward the one before it.
static float SegmentRot(const tNME& n, int i) {
  if (i == 1) return ATan2(n.taby[SnakeSegment(1)] - n.y, n.tabx[SnakeSegment(1)] - n.x) - 90;
  return ATan2(n.taby[SnakeSegment(i)] - n.taby[SnakeSegment(i - 1)], n.tabx[SnakeSegment(i)] - n.tabx[SnakeSegment(i - 1)]) - 90;
}

// The trail moves up by one place behind a head that moved.
static void ShiftTrail(tNME& n) {
  for (int i = SNAKE_TRAIL - 2; i >= 0; i--) {
    n.tabx[i + 1] = n.tabx[i];
    n.taby[i + 1] = n.taby[i];
  }
  n.tabx[0] = n.x;
  n.taby[0] = n.y;
}

// Wanders like the Wanderer but faster, the trail following the head.
static void SnakeStep(tNME& n) {
  float& wobble = n.counter1;
  if (TravelToWaypoint(n, 4)) ShiftTrail(n);
  n.rot = n.ang + 180;
  for (int i = 1; i <= SNAKE_SEGMENTS; i++) {
    if (n.tabx[SnakeSegment(i)] == -1) continue;
    AddDraw(nme07bimg, n.tabx[SnakeSegment(i)] - camx, n.taby[SnakeSegment(i)] - camy, 0, 255, 128, 32, 1,
            SegmentRot(n, i), 1 - i / 36.0f, 1, BLEND_LIGHT);
  }
  DrawEnemy(n, n.rot);
  wobble = ModF(wobble + 2, 360);
}

// The first dying tick: the head explodes and pays, and every segment
// leaves a shrinking ghost.
static void SnakeDies(tNME& n) {
  SpawnExplosion(n.x, n.y);
  ScoreKill(n.score, n.x, n.y);
  Shockwave((int)(n.x - ARENA_LEFT), (int)(n.y - ARENA_TOP));
  AddGhost(n, n.img, n.x, n.y, n.rot, n.xscale, n.yscale, n.r, n.g, n.b);
  for (int i = 1; i <= SNAKE_SEGMENTS; i++) {
    if (n.tabx[SnakeSegment(i)] == -1) continue;
    AddGhost(n, nme07bimg, n.tabx[SnakeSegment(i)], n.taby[SnakeSegment(i)], SegmentRot(n, i), 1 - i / 36.0f, 1, 255,
             128, 32, -0.075f);
  }
  PlayFX(Sfx::EnemyExplode, n.x);
}

// A chain of explosions down the trail, one segment a tick; the Snake
// leaves the list after 23 ticks.
static bool SnakeDying(tNME& n) {
  float& next = n.counter3;
  // One killed before its activation has no chain started yet: it starts now.
  if (next < 1) next = 1;
  if (next == 1) SnakeDies(n);
  int k = (int)next;
  if (k >= 0 && k <= SNAKE_SEGMENTS && n.tabx[SnakeSegment(k)] != -1) {
    SpawnRedRing(n.tabx[SnakeSegment(k)], n.taby[SnakeSegment(k)]);
    Shockwave((int)(n.tabx[SnakeSegment(k)] - ARENA_LEFT), (int)(n.taby[SnakeSegment(k)] - ARENA_TOP));
  }
  next += 1;
  if (next < SNAKE_SEGMENTS) return true;
  if (n.score != 0) CountKill(NME_SNAKE);
  return false;
}

// The box around the trail's segments (none without segments).
static NmeBox TrailBox(const tNME& n) {
  NmeBox b;
  bool any = false;
  for (int i = 1; i <= SNAKE_SEGMENTS; i++) {
    float x = n.tabx[SnakeSegment(i)], y = n.taby[SnakeSegment(i)];
    if (x == -1) continue;
    if (!any || x < b.left) b.left = x;
    if (!any || x > b.right) b.right = x;
    if (!any || y < b.top) b.top = y;
    if (!any || y > b.bottom) b.bottom = y;
    any = true;
  }
  return b;
}

// A bullet within reach of any segment is stopped.
static bool TrailReaches(const tNME& n, float x, float y, float reach) {
  for (int i = 1; i <= SNAKE_SEGMENTS; i++) {
    if (n.tabx[SnakeSegment(i)] == -1) continue;
    if (Within(x, y, n.tabx[SnakeSegment(i)], n.taby[SnakeSegment(i)], reach)) return true;
  }
  return false;
}

// The ship within reach of any segment touches the Snake.
static bool TrailTouchesShip(const tNME& n, float reach) {
  for (int i = 1; i <= SNAKE_SEGMENTS; i++) {
    float x = n.tabx[SnakeSegment(i)], y = n.taby[SnakeSegment(i)];
    if (x != -1 && ShipDist2(x, y) < reach * reach) return true;
  }
  return false;
}

constexpr float SEGMENT_RADIUS = 8;
static constexpr NmeParts trail = {SEGMENT_RADIUS, TrailBox, TrailReaches, TrailTouchesShip};

extern constinit const NmeKindRow snakekind = {
    {"snake", &nme07img, 12, 96, 32, 255, 50, 150, Sfx::SpawnOf(NME_SNAKE), &nme06spawnsnd, WEAPON_STREAM},
    {.activate = ActivateSnake,
     .active = SnakeStep,
     .dying = SnakeDying,
     .spawn = [](float x, float y, int) { SpawnSnake(x, y); },
     .parts = &trail},
};
