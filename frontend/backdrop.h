// What the front end's screens draw behind and around their menus: the
// stars and decorative explosions over the arena, the title, the credit
// line, the version and the pointer.
#pragma once
#include <string>

// The line along the foot of the title and table screens.
extern const std::string kCreditLine;

// Starts a backdrop tick: a fresh draw list, no effect played yet this tick,
// the stars and particles moved on.
void BeginBackdropTick();
// The credit line and the faint version number in the corner.
void DrawCreditAndVersion();
// The pointer at the mouse.
void DrawPointer();
// One explosion every third tick somewhere over the arena behind the screen.
void ExplosionCountdown();
// The title screen behind the main menu and the settings screens, ending with
// the menus' own pass.
void TitleBackdrop();
