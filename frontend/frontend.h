// The front end: menus, title screen and the screens around the game.
#pragma once
#include "frontend/menu_states.h"

extern MenuState menustate;
extern int attracttimer;
constexpr int attractdelay = 1200;  // idle ticks before the attract display

// Hands the program to the front end at a state (after the intros, a quit
// from play, or game over).
void ReturnToFrontEnd(MenuState at);
// One tick of the front end, by menustate.
void FrontEndFrame();
// Entering the front end: nothing of the last game lingers behind the menus.
void EnterFrontEnd();
