// What the enemy kinds share: the dispatch table of their steps and the
// small moves, draws and kill-path pieces every kind's file is built from.
#pragma once
#include <cmath>

#include "enemies/enemy.h"
#include "services/draw.h"

// One kind's steps, chosen by its code. A null step takes the common one.
struct NmeBehaviour {
  void (*activate)(tNME& n);  // the values set when the spawn-in ends
  void (*spawnin)(tNME& n);   // mode 0 (null: the common pulsing spawn-in)
  void (*active)(tNME& n);    // mode 1: moves and draws
  bool (*dying)(tNME& n);     // mode 2: false once the enemy leaves the list
};
const NmeBehaviour& Behaviour(int t);

// Each kind's steps, defined in its own file.
void ActivateWanderer(tNME& n);
void WandererStep(tNME& n);
void ActivateChaser(tNME& n);
void ChaserStep(tNME& n);
void ActivateDodger(tNME& n);
void DodgerStep(tNME& n);
void ActivateWeaver(tNME& n);
void WeaverStep(tNME& n);
void ActivateSplitter(tNME& n);
void SplitterStep(tNME& n);
bool SplitterDying(tNME& n);
void SplinterSpawnIn(tNME& n);
void SplinterStep(tNME& n);
void ActivateSnake(tNME& n);
void SnakeStep(tNME& n);
bool SnakeDying(tNME& n);
void ActivateShieldship(tNME& n);
void ShieldshipStep(tNME& n);
void ActivateHole(tNME& n);
void HoleStep(tNME& n);
bool HoleDying(tNME& n);
void SpawnlingSpawnIn(tNME& n);
void SpawnlingStep(tNME& n);

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
// (Snakes always), in list order; false when no index is built.
bool EnemiesNear(float x, float y, float reach, std::vector<int>& out);
// With the index built: false when the point is plainly out of reach of
// every segment of the Snake at that list index.
bool TrailMayReach(int index, float x, float y, float reach);
// Crowd separation as the enemy pass runs it, kind by kind, and the plain
// every-ordered-pair walk it must match.
void SeparateCrowd();
void SeparateCrowdEveryPair();
// Counts a kill that paid (kill counters, per kind).
void CountKill(int t);
