// The player's bullets fly straight, plough the grid, hit the first enemy they
// touch and burst into sparks; the bomb is a growing ring that sweeps the arena.
#include "playfield/bullets.h"

#include <cmath>

#include "enemies/enemy.h"
#include "enemies/wave_director.h"
#include "playfield/angles.h"
#include "playfield/entity_list.h"
#include "playfield/game.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
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

// Each tick after the player: every bullet moves with its drift, tests the
// enemies (even when it has left the arena), is drawn, and either ploughs the
// grid or bursts into two sparks and goes. Then the gun cools by one tick.
void UpdateBullets() {
  IndexEnemiesForBullets();
  UpdateAndKeep(bulletlist, [](tBULLET& b) {
    if (b.t == 0) {
      b.x += SinDeg(b.ang) * b.speed;
      b.y += CosDeg(b.ang) * b.speed;
      b.x += b.xacc;
      b.y += b.yacc;
      bool outside = b.x - b.collrad < ARENA_LEFT || b.x + b.collrad > ARENA_RIGHT ||
                     b.y - b.collrad < ARENA_TOP || b.y + b.collrad > ARENA_BOTTOM;
      int hit = HitEnemies(b);
      AddDraw(b.img, b.x - camx, b.y - camy, 0, b.r, b.g, b.b, b.alpha, b.rot, b.scale, b.scale,
              b.blend);
      if (!outside && hit == 0) {
        Push(b.x - ARENA_LEFT, b.y - ARENA_TOP, 2, 0.02f);
      } else {
        AddSpark(b.x, b.y);
        AddSpark(b.x, b.y);
        return false;
      }
    }
    return true;
  });
  DropEnemyIndex();
  if (firecount > 0) firecount--;
}

// The bomb: a request starts it this tick, a running one grows.
void UpdateBomb() {
  if (bombstate == BOMB_REQUESTED) {
    StartBomb();
  } else if (bombstate == BOMB_RUNNING) {
    RunBomb();
  }
}

// Sets the ring off at the ship, spends a bomb and hands out the two bomb awards.
void StartBomb() {
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
  if (nmelist.empty()) GiveAward(AWARD_SUCKER);
}

// One tick of the ring: enemies in its band die for nothing, it grows and
// fades, blows the grid outward, and past 800 pixels it ends (cutting the
// current attack pattern's wait short).
void RunBomb() {
  bool hit = false;
  for (tNME& n : nmelist) {
    if (n.mode != NME_ACTIVE) continue;
    float d = Hypot(n.x - bombx, n.y - bomby);
    if (bombradius - bombwidth < d && d < bombradius + bombwidth) {
      KillEnemyForNothing(n);
      hit = true;
    }
  }
  bombalpha -= 0.02f;
  bombradius += bombspeed;
  if (bombradius > 800) {
    bombstate = BOMB_IDLE;
    if (wavestep != 0) attackmode = 0;
  }
  AddDraw(bombimg, bombx - camx, bomby - camy, 0, 64, 200, 255, bombalpha, 0, bombradius / 64,
          bombradius / 64, BLEND_LIGHT);
  if (hit) PlayFX(Sfx::EnemyExplode, -1);
  Pull(bombx - ARENA_LEFT, bomby - ARENA_TOP, (int)(bombradius / 12),
       -1.5f * (1024 - bombradius) / 1024);
}
