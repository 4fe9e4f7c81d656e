// Sparks, thrust puffs, flash rings and explosions: sprites driven by
// per-tick rates until they fade out or stop.
#pragma once
#include <vector>
#include "platform/render.h"

// Behaviour kinds.
constexpr int PART_BOUNCE = 0;  // bounces off the arena walls
constexpr int PART_DRIFT = 1;   // colour drifts by the colour changes
constexpr int PART_BLINK = 2;   // blinks on and off
constexpr int PART_SINK = 3;    // sinks one pixel down the screen a tick

class tPART {
 public:
  int t = 0;
  float x = 0, y = 0;
  float accel = 0, accelchange = 0;
  float ang = 0, angchange = 0;
  float rot = 0, rotchange = 0;
  float alpha = 0, alphachange = 0;
  float xscale = 0, yscale = 0;
  float xscalechange = 0, yscalechange = 0;
  TImage* img = nullptr;
  int blend = 0;
  int r = 0, g = 0, b = 0;
  // Kind 1: added to a channel while it is above 0. Kind 2: blink counter,
  // blink period and blink state.
  int rcolchange = 0, gcolchange = 0, bcolchange = 0;
  float collrad = 0;  // kind 0: radius against the arena walls
};

// Every live particle in creation order; keeps its memory between ticks.
extern std::vector<tPART> partlist;

// A new particle at the end of the list, for its maker to fill.
tPART& NewParticle();
// Moves, draws and retires every particle (each playfield tick, animated screens).
void UpdateParticles();
// The flash rings of a destroyed or hit enemy, as many as the EXPLOSIONS setting asks.
void SpawnExplosion(float x, float y);
// One small red flash ring (each point of a dying Snake's trail).
void SpawnRedRing(float x, float y);
