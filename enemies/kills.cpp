// The per-kind counters: enemies spawned and paid kills since start-up, the
// paid kills since the last weapon step, and the weapon choice they make.
#include "enemies/kinds.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"

long nmespawned[NME_KINDS] = {};
long nmekilled[NME_KINDS] = {};
int killsbykind[NME_KINDS] = {};

void ResetKillsByKind() {
  for (int& k : killsbykind) k = 0;
}

void CountKill(int t) {
  CountGameKill();
  killsbykind[t] += 1;
  nmekilled[t]++;
}

int MostKilledKind() {
  int best = 0;
  for (int k = 1; k < NME_KINDS; k++) {
    if (killsbykind[k] > killsbykind[best]) best = k;
  }
  return best;
}

// The weapon step comes after the score's other checks: it touches none of
// what they read, so the order of the sounds and awards is the score's own.
void ScoreKill(int64_t points, float x, float y) {
  AddScore(points, x, y);
  if (!WeaponStepDue()) return;
  const NmeWeapon& w = KindInfo(MostKilledKind()).weapon;
  StepWeapon(w.level, w.firedelay);
  ResetKillsByKind();
}
