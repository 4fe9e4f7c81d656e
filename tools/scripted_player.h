// The scripted player, shared by the replay tests (the games they record)
// and the soak (long games that live to meet every enemy and wave). It only
// produces input, each control type its own way, from what it sees in the
// game's globals: it steers away from the enemies near the ship and from the
// walls, fires at the nearest enemy, bombs when crowded, opens the quit
// prompt once and resumes, and near the end quits (Escape, or the joystick's
// start button).
#pragma once
#include <cstdint>

#include "enemies/enemies.h"

// The game the player plays.
struct ScriptedGame {
  int controltype;
  long ticks;                // near the end of these it quits
  int64_t seed = 0;          // 0: 4711 + the control type (the recorded games' seed)
  bool spareholes = false;   // wakes a Hole, then neither shoots it nor steers round it
};

// Forgets what the player remembered of the last game: call before a new one.
void ResetScript();
// Sets the input of tick t of its game (counted from 0 on the game's first tick).
void ScriptTick(const ScriptedGame& s, long t);

// A Hole that has been woken and pulls.
bool AwakeHole(const tNME& n);
// The control types played with a joystick.
bool Joystick(int type);
