// Sparks, thrust puffs, flash rings and explosions.
#include "playfield/particles.h"

#include <cmath>

#include "playfield/angles.h"
#include "playfield/entity_list.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"

std::vector<tPART> partlist;

// Queues a particle's sprite at its screen position.
static inline void DrawPart(const tPART& p) {
  AddDraw(p.img, p.x - camx, p.y - camy, 0, p.r, p.g, p.b, p.alpha, p.rot, p.xscale, p.yscale,
          p.blend);
}

// A bouncing spark meets the arena walls: mirrored on each axis it crossed
// and put back its radius inside; a corner flips both in one tick.
static inline void BounceOffWalls(tPART& p) {
  if (p.x - p.collrad < ARENA_LEFT) {
    p.ang = 360 - p.ang;
    p.rot = 180 - p.ang;
    p.x = ARENA_LEFT + p.collrad;
  } else if (p.x + p.collrad > ARENA_RIGHT) {
    p.ang = 360 - p.ang;
    p.rot = 180 - p.ang;
    p.x = ARENA_RIGHT - p.collrad;
  }
  if (p.y - p.collrad < ARENA_TOP) {
    p.ang = 180 - p.ang;
    p.rot = 180 - p.ang;
    p.y = ARENA_TOP + p.collrad;
  } else if (p.y + p.collrad > ARENA_BOTTOM) {
    p.ang = 180 - p.ang;
    p.rot = 180 - p.ang;
    p.y = ARENA_BOTTOM - p.collrad;
  }
}

// One tick of one particle by its kind.
static inline void StepPart(tPART& p) {
  if (p.t < PART_BOUNCE || p.t > PART_SINK) return;
  p.accel += p.accelchange;
  p.alpha += p.alphachange;
  p.rot += p.rotchange;
  p.xscale += p.xscalechange;
  p.yscale += p.yscalechange;
  p.ang += p.angchange;
  p.x += SinDeg(p.ang) * p.accel;
  p.y += CosDeg(p.ang) * p.accel;
  switch (p.t) {
    case PART_BOUNCE:
      DrawPart(p);
      BounceOffWalls(p);
      break;
    case PART_DRIFT:
      if (p.r > 0) p.r += p.rcolchange;
      if (p.g > 0) p.g += p.gcolchange;
      if (p.b > 0) p.b += p.bcolchange;
      DrawPart(p);
      break;
    case PART_BLINK:
      p.rcolchange -= 1;
      if (p.rcolchange == 0) {
        p.rcolchange = p.gcolchange;
        p.bcolchange = (p.bcolchange + 1) % 2;
      }
      if (p.bcolchange == 1) DrawPart(p);
      break;
    case PART_SINK:
      p.y += 1;
      DrawPart(p);
      break;
  }
}

tPART& NewParticle() { return partlist.emplace_back(); }

// Moves and draws every particle, dropping those that stopped or faded out;
// the list is compacted in place so it keeps its order and its memory.
void UpdateParticles() {
  UpdateAndKeep(partlist, [](tPART& p) {
    StepPart(p);
    return !(p.accel <= 0 || p.alpha < 0);
  });
}

// Appends one flash ring that grows from nothing while it fades.
static void AddRing(float x, float y, int r, int g, int b, float growlo, float growhi, TImage* img) {
  tPART& p = partlist.emplace_back();
  p.t = PART_DRIFT;
  p.accel = 0.0000001f;
  p.x = x;
  p.y = y;
  p.rot = (float)RandInt(0, 359);
  p.alpha = 0.5f + (float)RandFloat(0.5, 1);
  p.alphachange = -0.04f;
  p.xscalechange = p.yscalechange = (float)RandFloat(growlo, growhi);
  p.img = img;
  p.blend = BLEND_LIGHT;
  p.r = r;
  p.g = g;
  p.b = b;
}

// The flash of a destroyed or hit enemy: one colour for the burst, one ring at
// MEDIUM, two at HIGH, none when explosions are off.
void SpawnExplosion(float x, float y) {
  int r = RandInt(64, 255), g = RandInt(64, 255), b = RandInt(64, 255);
  if (explosionsetting > 0) AddRing(x, y, r, g, b, 0.1f, 0.2f, partex02img);
  if (explosionsetting == 2) AddRing(x, y, r, g, b, 0.2f, 0.3f, partex01img);
}

// A small red ring, whatever the explosions setting (dying Snake trail).
void SpawnRedRing(float x, float y) { AddRing(x, y, 255, 32, 32, 0.025f, 0.05f, partex01img); }
