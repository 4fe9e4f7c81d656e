// The attack-wave director: which pattern of enemies enters the arena next,
// and how the pace quickens with play time.
#pragma once
#include <cstdint>

extern int attackmode;      // running pattern 1..23; 0 = choose one this tick
extern int attackmin;       // lowest table index drawn
extern int attacklimit;     // highest table index drawn (grows to 29)
extern float attackskill;   // delay factor of the waits (shrinks to 0.25)
extern int64_t attacktimer;  // ticks since the last difficulty step
extern int64_t attackperiod; // ticks per difficulty step
extern int attackhistory[4];  // last four patterns, newest first
extern int attacktable[30];   // table index to pattern
extern int wavestep;          // step of the running pattern
extern int64_t wavestart;     // gameclock when the pattern started
extern float wavewait, wavecount, wavemult;

// Puts the director back to the start of a game.
void ResetAttackDirector();
// The attack under way ends (a new life starts without one).
void EndAttack();
// One tick of the director (before the enemy update, only while playing).
void RunAttackDirector();
// The bomb's ring has ended: a pattern past its setup stops waiting and the
// next one is chosen on the next tick.
void EndPatternWait();
