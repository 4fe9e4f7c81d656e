// The player's bullets and the screen-clearing bomb.
#pragma once
#include <vector>

#include "platform/render.h"
#include "playfield/player.h"

struct tBULLET {
  int t = 0;
  float x = 0, y = 0;
  float speed = 0;
  float ang = 0;
  float rot = 0;
  float collrad = 0;
  float damage = 0;
  float alpha = 0;
  float scale = 0;
  int blend = 0;
  int r = 0, g = 0, b = 0;
  TImage* img = nullptr;
  float xacc = 0, yacc = 0;
};

// Bullets in creation order; keeps its memory between ticks.
extern std::vector<tBULLET> bulletlist;

// The bomb ring (bombstate is declared with the player).
extern float bombx, bomby;
extern float bombradius;
extern float bombspeed;
extern float bombwidth;
extern float bombalpha;

// Moves, draws and retires every bullet, each meeting the enemies through
// hit (0 nothing, else it bursts); then counts firecount down.
void MoveBullets(int (*hit)(const tBULLET& bullet));
// Sets the bomb off; noenemies earns the award for a bomb on an empty arena.
void StartBomb(bool noenemies);
// One tick of the ring after its kills (hit: some); true on the tick it ends.
bool RunBomb(bool hit);
// True for a point in the ring's band this tick.
bool InBombRing(float x, float y);
