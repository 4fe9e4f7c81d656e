// The enemies floor, over the playfield: each kind's rules in its own file
// reached through the kind table, the ship's contact, the bullets' and the
// bomb's kills, the counters and the attack waves; and (this header) the
// enemy record and list, the kinds' constant table, the spawn calls, the
// once-per-tick enemy pass, the bullet test and the kills worth nothing.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/audio.h"
#include "platform/render.h"

struct tBULLET;

struct tNME {
  int t = 0;     // kind (NmeKind)
  int mode = 0;  // NME_SPAWNING, NME_ACTIVE or NME_DYING
  float x = 0, y = 0;
  float ang = 0;
  float speed = 0;
  float collrad = 0;
  TImage* img = nullptr;
  float xscale = 0, yscale = 0;
  float rot = 0;
  float alpha = 0;
  int blend = 0;
  int r = 0, g = 0, b = 0;
  float energy = 0;
  int score = 0;
  // Working values; each kind's file names what it keeps in them.
  float counter1 = 0, counter2 = 0, counter3 = 0, counter4 = 0, counter5 = 0;
  // Per-kind point tables; the Snake keeps its trail here (kinds.h).
  std::array<float, 120> tabx{}, taby{};
  int iamtheone = 0;
};

// Kind codes (no kind has code 9).
enum NmeKind : int {
  NME_WANDERER = 0,
  NME_CHASER = 1,
  NME_SPLITTER = 2,
  NME_DODGER = 3,
  NME_WEAVER = 4,
  NME_SNAKE = 5,
  NME_SHIELDSHIP = 6,
  NME_HOLE = 7,
  NME_SPAWNLING = 8,
  NME_SPLINTER = 10,
  NME_KINDS = 11  // codes run 0..10
};

// Enemy modes.
constexpr int NME_SPAWNING = 0;  // fading in: harmless and untouchable
constexpr int NME_ACTIVE = 1;
constexpr int NME_DYING = 2;     // its kind's dying routine runs on the next pass

// The weapon a kind's kills earn at a weapon step (level -1 keeps the one in hand).
struct NmeWeapon {
  int level;
  int firedelay;
};
constexpr NmeWeapon WEAPON_KEPT = {-1, 0};
constexpr NmeWeapon WEAPON_SPREAD = {1, 6};  // three bullets
constexpr NmeWeapon WEAPON_STREAM = {2, 7};  // five bullets

// What every enemy of a kind starts with.
struct NmeKindInfo {
  const char* name;  // lower case, for the statistics line
  TImage** img;      // the kind's picture global
  float collrad;
  int r, g, b;
  float energy;
  int score;
  int spawnsfx;      // effect index, -1 for none
  TSound** spawnsound;  // the sound global it plays (none when silent)
  NmeWeapon weapon;  // what most kills of the kind earn at a weapon step
};
// The kind's row of the table (the Wanderer's for a code without a kind).
const NmeKindInfo& KindInfo(int t);
// True for the codes that name a kind.
bool IsKind(int t);

// Every enemy in the arena, in spawn order; keeps its memory between ticks.
extern std::vector<tNME> nmelist;
// Enemies spawned and killed (with score) by kind since start-up.
extern long nmespawned[NME_KINDS];
extern long nmekilled[NME_KINDS];
// Paid kills by kind since the last weapon step (for the weapon choice).
extern int killsbykind[NME_KINDS];
// A new game, or a weapon step taken: no kills counted toward the next one.
void ResetKillsByKind();
// The enemy kind killed most since the last weapon step (lowest on a tie).
int MostKilledKind();
// Scores a kill: the points with their checks, then at a weapon step the
// weapon of the kind killed most since the last one.
void ScoreKill(int64_t points, float x, float y);

// The spawn call of a kind by code, as the wave director uses it.
void SpawnKind(int t, float x, float y, int spawnin = 1);
// Spawn calls; (0, 0) asks for a random position away from the player.
// Chaser, Splitter and Dodger may skip the spawn-in (spawnin 0).
void SpawnWanderer(float x, float y);
void SpawnChaser(float x, float y, int spawnin);
void SpawnSplitter(float x, float y, int spawnin);
void SpawnDodger(float x, float y, int spawnin);
void SpawnWeaver(float x, float y);
void SpawnSnake(float x, float y);
void SpawnShieldship(float x, float y);
void SpawnHole(float x, float y);
void SpawnSpawnling(float x, float y, float ang);
void SpawnSplinter(float x, float y);

// One tick of every enemy: its kind's step, crowd separation and the Holes'
// gravity on enemies, the player and bullets.
void UpdateEnemies();
// The bullets' walk of a tick: an index of the active enemies by position
// speeds up HitEnemies until it is dropped (the enemies must not move or
// spawn in between). Without it HitEnemies scans the whole list.
void IndexEnemiesForBullets();
void DropEnemyIndex();
// Tests one moving bullet against the active enemies: 0 no contact, 1 an
// enemy took the bullet's damage, 3 a shield or a Snake's trail stopped it.
int HitEnemies(const tBULLET& bullet);
// Puts one enemy into its dying mode worth no points.
void KillEnemyForNothing(tNME& n);
// Puts every enemy into its dying mode worth no points (the player's death).
void KillAllEnemiesForNothing();
// The enemies of kind Hole in the list, in any mode.
int CountHoles();
