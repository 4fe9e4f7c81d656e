// Chooses the platform back ends at start-up: the real machine (SDL2 +
// OpenGL window, SDL input, the audio device; in the browser build the page's
// canvas, its keyboard, mouse and gamepads, Web Audio) or headless (nothing
// shown, draws recorded, a clock the caller advances, scripted input, silence).
#pragma once
#include <string>

enum class PlatformKind { Real, Headless };

void PlatformInit(PlatformKind kind);
PlatformKind CurrentPlatform();
// The folder that holds the running program ("" when unknown).
std::string ProgramFolder();
// Whether the program may start threads of its own (the browser build runs
// on one: loading and screenshots then do their work in line).
bool PlatformThreads();
// A save of the player's has landed in its folder (the full path): the
// browser build copies it to the browser's lasting storage at once; a
// desktop's disk already holds it.
void SaveLanded(const std::string& path);
// Hands the frame loop to the host where it has one: a browser tab calls
// round() once an animation frame until it returns false, then stops
// calling, runs finished() (which saves) and says on the page that the game
// has ended. While it runs, savenow() is called whenever the page is hidden
// or closed (a closed tab ends the game as a signal ends it on the desktop,
// with no time to run finished()). False where the program runs its own loop.
bool PlatformHostsLoop(bool (*round)(), int (*finished)(), void (*savenow)());
