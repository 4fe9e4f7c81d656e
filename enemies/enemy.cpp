// The enemy list, the bullet-against-body test, and the kills worth nothing.
#include "enemies/enemy.h"

#include "playfield/bullets.h"

std::vector<tNME> nmelist;

// A bullet hits the first active enemy whose body it overlaps and takes its
// damage off it; below zero energy the enemy starts dying.
int HitEnemies(const tBULLET& bullet) {
  for (tNME& n : nmelist) {
    if (n.mode != NME_ACTIVE) continue;
    float dx = n.x - bullet.x, dy = n.y - bullet.y;
    float reach = bullet.collrad + n.collrad;
    if (dx * dx + dy * dy < reach * reach) {
      n.energy -= bullet.damage;
      if (n.energy < 0) n.mode = NME_DYING;
      return 1;
    }
  }
  return 0;
}

// The enemy starts dying without paying or counting (bomb, shield ram, player's death).
void KillEnemyForNothing(tNME& n) {
  n.mode = NME_DYING;
  n.score = 0;
}

// Every enemy starts dying for nothing (the player's death).
void KillAllEnemiesForNothing() {
  for (tNME& n : nmelist) KillEnemyForNothing(n);
}
