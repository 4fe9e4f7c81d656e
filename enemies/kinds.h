// What the enemy kinds share: the dispatch table of their steps and the
// small moves, draws and kill-path pieces every kind's file is built from.
#pragma once
#include <cmath>
#include <cstddef>

#include "enemies/enemies.h"
#include "services/draw.h"

struct tBULLET;

// What a bullet that reaches an enemy's body does.
constexpr int SHOT_TAKEN = 1;    // the enemy took its damage
constexpr int SHOT_STOPPED = 3;  // a shield stopped it unharmed

// The box around a kind's far-reaching parts (left > right: none).
struct NmeBox {
  float left = 0, top = 0, right = -1, bottom = -1;
};

// A kind's parts beyond its body that stop bullets and kill the ship (the
// Snake's trail); each part has the given radius.
struct NmeParts {
  float radius;
  NmeBox (*box)(const tNME& n);
  // True when a point is within reach of a part (bullets).
  bool (*reaches)(const tNME& n, float x, float y, float reach);
  // True when the ship is within reach of a part (squared distances).
  bool (*touchesship)(const tNME& n, float reach);
};

// A kind's pull on the world after the enemy pass (the awake Hole's
// gravity): each phase runs for every enemy of the list in turn.
struct NmeGravity {
  void (*onenemies)(size_t index);
  void (*onship)(const tNME& n);
  void (*onbullets)(const tNME& n);
};

// One kind's steps and rules, chosen by its code. A null hook takes the
// common rule.
struct NmeBehaviour {
  void (*activate)(tNME& n) = nullptr;  // the values set when the spawn-in ends
  void (*spawnin)(tNME& n) = nullptr;   // mode 0 (null: the common pulsing spawn-in)
  void (*active)(tNME& n) = nullptr;    // mode 1: moves and draws
  bool (*dying)(tNME& n) = nullptr;     // mode 2: false once the enemy leaves the list
  // The director's spawn call; (0, 0) asks for a random spot, spawnin 0
  // skips the spawn-in where the kind allows it.
  void (*spawn)(float x, float y, int spawnin) = nullptr;
  // A bullet reaching the body: SHOT_TAKEN or SHOT_STOPPED (null: the
  // common damage).
  int (*shot)(tNME& n, const tBULLET& bullet) = nullptr;
  const NmeParts* parts = nullptr;      // null: the body is all there is
  const NmeGravity* gravity = nullptr;  // null: no pull
  void (*pulled)(tNME& n) = nullptr;    // after another enemy's gravity pulled it
  // Pushes two overlapping enemies of the kind apart (null: the common push).
  void (*separate)(tNME& a, tNME& b) = nullptr;
};
const NmeBehaviour& Behaviour(int t);

// A kind's whole row: its starting values and its steps, defined in the
// kind's own file and gathered into the table by code in enemies.cpp.
struct NmeKindRow {
  NmeKindInfo info;
  NmeBehaviour steps;
};

// The Snake's trail: the last SNAKE_TRAIL head positions in tabx, taby,
// newest first (-1 none); segment i = 1..SNAKE_SEGMENTS is the entry
// SnakeSegment(i).
constexpr int SNAKE_SEGMENTS = 24;  // the 24th never fills: at most 23 exist
constexpr int SNAKE_TRAIL = 96;     // head positions kept, entries 0..95
constexpr int SNAKE_SEGMENT_STEP = 4;
constexpr int SnakeSegment(int i) { return SNAKE_SEGMENT_STEP * i; }

// Squared distance from the ship to a point (the contact tests).
float ShipDist2(float x, float y);

// The common damage of a bullet: SHOT_TAKEN, the enemy dying below 0 energy.
int TakeDamage(tNME& n, float damage);
// Pushes two points apart along the line between them when closer than r,
// each by (r - d) / soften.
void PushApart(float& ax, float& ay, float& bx, float& by, float r, float soften);
// Pulls a point toward (hx, hy) by strength / distance; nothing at a
// distance below 1, where the pull would blow up.
void PullToward(float hx, float hy, float& x, float& y, float strength);

// A new enemy of a kind with the table's values, at (x, y) or, for (0, 0), a
// random spot more than minaway from the player. Not yet in the list: the
// kind's spawn call sets its own values, then hands it to AddEnemy.
tNME NewEnemy(int t, float x, float y, float minaway);
// Clamps (unless asked not to), appends to nmelist and plays the spawn sound.
void AddEnemy(const tNME& n, bool clamp = true);
// Appends an enemy that skips the spawn-in: full alpha, active, the kind's
// activation values.
void AddActiveEnemy(tNME n);
// AddEnemy, or AddActiveEnemy when spawnin is 0 (Chaser, Splitter, Dodger).
void AddEnemySpawningIn(const tNME& n, int spawnin);
// The Wanderer's and the Snake's travel: picks a waypoint (standing still
// that tick) or snakes toward it, up to 90 degrees either side of the line,
// at up to top speed; true on a tick it moved.
bool TravelToWaypoint(tNME& n, float top);

// Floating remainder with the sign of the dividend.
float ModF(float a, float b);
// Keeps the enemy inside the arena shrunk by its radius.
void ClampToArena(tNME& n);
// Heads straight at the player.
void HeadAtPlayer(tNME& n);
// Moves along the heading at the current speed.
void MoveAlongHeading(tNME& n);
// Speeds up by step while below top, else slows by 0.125 while above 0.
void RampSpeed(tNME& n, float top, float step);
// Draws the kind's picture at the enemy with the given rotation.
void DrawEnemy(const tNME& n, float rot);
// Picks a waypoint inside the clamped arena more than 4 radii away into
// counter4, counter5 (Wanderer and Snake).
void PickWaypoint(tNME& n);
// Distance between two points: the same value as hypot in single precision
// (the square root is taken in double and rounded once), without its
// overflow care, which the arena never needs.
inline float Dist(float x1, float y1, float x2, float y2) {
  double dx = x1 - x2, dy = y1 - y2;
  return (float)std::sqrt(dx * dx + dy * dy);
}
// Dist(...) < r. The distance is at least the larger axis gap, so a gap
// above r + 1 can never round down below r: those need no square root.
inline bool Within(float x1, float y1, float x2, float y2, float r) {
  float gx = x1 - x2, gy = y1 - y2;
  if (gx > r + 1 || gx < -r - 1 || gy > r + 1 || gy < -r - 1) return false;
  return Dist(x1, y1, x2, y2) < r;
}

// The ghost a dying enemy leaves: its picture swelling and fading, or for
// the enemy that killed the player a sprite that stays and blinks.
void AddGhost(const tNME& n, TImage* img, float x, float y, float rot, float xscale, float yscale,
              int r, int g, int b, float grow = 0.075f);
// The flash ring of a Hole waking or bursting, growing by grow a tick.
void AddHoleFlash(const tNME& n, float grow);
// The common kill path: explosion, ghost, score, removal, the kill counted
// with its sound when it paid, and the grid's shockwave. afterscored runs
// after the sound of a paid kill (the Splitter splits there).
bool CommonKillPath(tNME& n, void (*afterscored)(float x, float y) = nullptr);
// The list indices of the enemies that may touch a point within reach
// (kinds with far-reaching parts always), in list order; false when no
// index is built.
bool EnemiesNear(float x, float y, float reach, std::vector<int>& out);
// With the index built: false when the point is plainly out of reach of
// every far-reaching part of the enemy at that list index.
bool PartsMayReach(int index, float x, float y, float reach);
// Crowd separation as the enemy pass runs it, kind by kind, and the plain
// every-ordered-pair walk it must match.
void SeparateCrowd();
void SeparateCrowdEveryPair();
// Counts a kill that paid (kill counters, per kind).
void CountKill(int t);

