// The attack-wave director: draws the next attack pattern from the part of
// the table that play time has opened, never one of the last four once the
// choice is wide enough, runs it, and steps the difficulty every 300 ticks.
#include "enemies/wave_director.h"

#include <cmath>

#include "enemies/wave_patterns.h"
#include "services/random.h"

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

// Draws the next pattern; above table index 4 it must differ from the last four.
static void ChoosePattern() {
  attackmode = attacktable[RandInt(attackmin, attacklimit)];
  if (attacklimit > 4) {
    auto recent = [](int p) {
      for (int h : attackhistory)
        if (h == p) return true;
      return false;
    };
    while (recent(attackmode)) attackmode = attacktable[RandInt(attackmin, attacklimit)];
  }
  wavestep = 0;
  for (int i = 3; i > 0; i--) attackhistory[i] = attackhistory[i - 1];
  attackhistory[0] = attackmode;
}

// One tick while playing: choose or run a pattern, then the difficulty
// steps every attackperiod ticks.
void RunAttackDirector() {
  if (attackmode == 0) {
    ChoosePattern();
  } else {
    RunAttackPattern(attackmode);
  }
  attacktimer++;
  if (attacktimer >= attackperiod) {
    attacktimer = 0;
    if (attacklimit < 29) attacklimit++;
    // Each step lands on the hundredth itself, so 75 steps reach 0.25 and
    // stop there, where float steps of 0.01 would drift on to 0.24.
    if (attackskill > 0.25f) attackskill = std::round((attackskill - 0.01f) * 100) / 100;
  }
}

void EndAttack() { attackmode = 0; }

void EndPatternWait() {
  if (wavestep != 0) attackmode = 0;
}
