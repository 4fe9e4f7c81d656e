// The front end: menus, title screen and the screens around the game.
#pragma once

extern int menustate;
extern int lastjoyport;
extern int attracttimer;
constexpr int attractdelay = 1200;  // idle ticks before the attract display

void FrontEndFrame();
