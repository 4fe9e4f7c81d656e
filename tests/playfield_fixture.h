// Places a plain enemy record for tests of contacts, bullets and the bomb.
#pragma once
#include "enemies/enemy.h"

// An enemy of radius 12 and energy 50 worth 25 points; mode 1 is alive,
// 0 still spawning in.
inline tNME& AddEnemy(float x, float y, int mode = 1) {
  tNME& n = nmelist.emplace_back();
  n.x = x;
  n.y = y;
  n.mode = mode;
  n.collrad = 12;
  n.energy = 50;
  n.score = 25;
  return n;
}
