// The player's bullets fly straight, plough the grid, burst into sparks on
// what the enemies' hit test reports; the bomb is a growing ring that sweeps
// the arena.
#include "playfield/bullets.h"

#include <cmath>

#include "playfield/angles.h"
#include "playfield/entity_list.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

std::vector<tBULLET> bulletlist;

float bombx = 0, bomby = 0;
float bombradius = 0;
float bombspeed = 0;
float bombwidth = 0;
float bombalpha = 0;

// One yellow spark bouncing away from where a bullet died.
static void AddSpark(float x, float y) {
  tPART& p = partlist.emplace_back();
  p.t = 0;
  p.accel = 8.0f + RandInt(1, 4);
  p.accelchange = -p.accel / 25;
  p.ang = (float)RandInt(0, 359);
  p.angchange = 0;
  int k = RandInt(4, 8);
  p.x = x + k * SinDeg(p.ang);
  p.y = y + k * CosDeg(p.ang);
  p.rot = 180 - p.ang;
  p.rotchange = 0;
  p.alpha = 1;
  p.alphachange = -0.04f;
  p.xscale = 1;
  p.yscale = (float)RandFloat(1, 2);
  p.xscalechange = 0;
  p.yscalechange = -0.01f;
  p.img = part01img;
  p.blend = BLEND_LIGHT;
  p.r = 255;
  p.g = 255;
  p.b = 64;
  p.collrad = 8;
}

// Each tick after the player: every bullet moves with its drift, meets the
// enemies (even when it has left the arena), is drawn, and either ploughs the
// grid or bursts into two sparks and goes. Then the gun cools by one tick.
void MoveBullets(int (*hit)(const tBULLET& bullet)) {
  UpdateAndKeep(bulletlist, [hit](tBULLET& b) {
    if (b.t == 0) {
      b.x += SinDeg(b.ang) * b.speed;
      b.y += CosDeg(b.ang) * b.speed;
      b.x += b.xacc;
      b.y += b.yacc;
      bool outside = b.x - b.collrad < ARENA_LEFT || b.x + b.collrad > ARENA_RIGHT ||
                     b.y - b.collrad < ARENA_TOP || b.y + b.collrad > ARENA_BOTTOM;
      int met = hit(b);
      AddDraw(b.img, b.x - camx, b.y - camy, 0, b.r, b.g, b.b, b.alpha, b.rot, b.scale, b.scale,
              b.blend);
      if (!outside && met == 0) {
        Push(b.x - ARENA_LEFT, b.y - ARENA_TOP, 2, 0.02f);
      } else {
        AddSpark(b.x, b.y);
        AddSpark(b.x, b.y);
        return false;
      }
    }
    return true;
  });
  if (firecount > 0) firecount--;
}

// Sets the ring off at the ship, spends a bomb and hands out the two bomb
// awards (one for a bomb on an empty arena).
void StartBomb(bool noenemies) {
  bombx = playerx;
  bomby = playery;
  bombradius = playercollrad / 2;
  bombspeed = 16;
  bombwidth = 16;
  bombalpha = 1;
  bombstate = BOMB_RUNNING;
  bombs -= 1;
  noshootticks = 0;
  PlayFX(Sfx::Bomb, -1);
  if (shield != 0) GiveAward(AWARD_PANSY);
  if (noenemies) GiveAward(AWARD_SUCKER);
}

// One tick of the ring after the enemies in its band died (hit: some did):
// it grows and fades, blows the grid outward, and past 800 pixels it ends;
// true on that tick.
bool RunBomb(bool hit) {
  bool ended = false;
  bombalpha -= 0.02f;
  bombradius += bombspeed;
  if (bombradius > 800) {
    bombstate = BOMB_IDLE;
    ended = true;
  }
  AddDraw(bombimg, bombx - camx, bomby - camy, 0, 64, 200, 255, bombalpha, 0, bombradius / 64,
          bombradius / 64, BLEND_LIGHT);
  if (hit) PlayFX(Sfx::EnemyExplode, -1);
  Pull(bombx - ARENA_LEFT, bomby - ARENA_TOP, (int)(bombradius / 12),
       -1.5f * (1024 - bombradius) / 1024);
  return ended;
}

bool InBombRing(float x, float y) {
  float d = Hypot(x - bombx, y - bomby);
  return bombradius - bombwidth < d && d < bombradius + bombwidth;
}
