// The ship against the active enemies, bodies and far-reaching parts alike:
// unshielded it dies and takes every enemy with it for no points; shielded
// it rams the bodies it touches for no points.
#include "enemies/contact.h"

#include "enemies/kinds.h"
#include "playfield/player.h"
#include "services/sfx.h"

float ShipDist2(float x, float y) {
  return (x - playerx) * (x - playerx) + (y - playery) * (y - playery);
}

// The first enemy an unshielded ship touches is the one that killed it.
void CheckPlayerHit() {
  bool dead = false;
  bool shielded = shield != 0;
  for (tNME& n : nmelist) {
    if (n.mode != NME_ACTIVE) continue;
    float reach = playercollrad + n.collrad;
    bool body = ShipDist2(n.x, n.y) < reach * reach;
    const NmeParts* parts = Behaviour(n.t).parts;
    if (!body && !(parts && parts->touchesship(n, playercollrad + parts->radius))) continue;
    if (!shielded) {
      if (!dead) n.iamtheone = 1;
      dead = true;
    } else if (body) {
      KillEnemyForNothing(n);
      PlayFX(Sfx::BombHit, n.x);
    }
  }
  if (!dead) return;
  KillAllEnemiesForNothing();
  LoseShip();
}

void UpdatePlayer() { UpdatePlayerWith(CheckPlayerHit); }
