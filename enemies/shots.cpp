// The player's shots among the enemies: the bullets' walk tests each bullet
// against an index of the enemies built for it, and the bomb's ring kills
// the enemies in its band and, as it ends, cuts the attack pattern's wait.
#include "enemies/shots.h"

#include "enemies/enemies.h"
#include "enemies/wave_director.h"
#include "playfield/bullets.h"
#include "playfield/player.h"

void UpdateBullets() {
  IndexEnemiesForBullets();
  MoveBullets(HitEnemies);
  DropEnemyIndex();
}

// Active enemies in the ring's band die for nothing; true when any did.
static bool KillInBombRing() {
  bool hit = false;
  for (tNME& n : nmelist) {
    if (n.mode != NME_ACTIVE) continue;
    if (InBombRing(n.x, n.y)) {
      KillEnemyForNothing(n);
      hit = true;
    }
  }
  return hit;
}

// A request sets the ring off this tick; a running ring kills, then grows.
void UpdateBomb() {
  if (bombstate == BOMB_REQUESTED) {
    StartBomb(nmelist.empty());
  } else if (bombstate == BOMB_RUNNING) {
    bool hit = KillInBombRing();
    if (RunBomb(hit)) EndPatternWait();
  }
}
