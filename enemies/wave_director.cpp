// The attack-wave director's values; the patterns themselves come later, so
// the tick only keeps the difficulty clock running.
#include "enemies/wave_director.h"

int attackmode = 0;
int attackmin = 0;
int attacklimit = 0;
float attackskill = 1.0f;
int64_t attacktimer = 0;
int64_t attackperiod = 300;
int attackhistory[4] = {0, 0, 0, 0};
int attacktable[30] = {1, 2, 3, 4, 1, 5, 1, 2, 3, 22, 10, 11, 4, 5, 12,
                       6, 7, 8, 23, 14, 15, 16, 13, 23, 17, 18, 19, 20, 9, 21};
int wavestep = 0;
int64_t wavestart = 0;
float wavewait = 0, wavecount = 0, wavemult = 0;

// A new game: no pattern running, only the first table entry drawable, full delays.
void ResetAttackDirector() {
  attackmode = 0;
  attackmin = 0;
  attacklimit = 0;
  attacktimer = 0;
  attackperiod = attacktimer + 300;
  for (int& h : attackhistory) h = 0;
  attackskill = 1.0f;
}

// One tick while playing: the difficulty steps every attackperiod ticks.
void RunAttackDirector() {
  attacktimer++;
  if (attacktimer >= attackperiod) {
    attacktimer = 0;
    if (attacklimit < 29) attacklimit++;
    if (attackskill > 0.25f) attackskill -= 0.01f;
  }
}
