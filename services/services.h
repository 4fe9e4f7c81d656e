// The ground every game floor stands on, over the platform alone: draw
// commands and text, the media catalogue, sound effects, the random
// generator, the settings, the configured controls and the press latch, and
// (this header) the run state: what the whole program is doing, whether it
// is ending, the ticks it has run, its name and version. The top drives the
// run state through these functions; every floor may read it.
#pragma once
#include <csignal>
#include <string>

// The program's states, dispatched once per tick.
enum class GameState : int {
  FrontEnd = 0,     // menus and the screens around the game
  Game = 1,         // a game in play
  GroupIntro = 98,  // the group-logo intro
  Splash = 99,      // the engine-logo splash
  WaitTiming = 100  // start-up: waits for steady timing
};
extern GameState gamestate;
void SetGameState(GameState s);

// Set to end the loop (the quit entry, a signal, a watched run's end);
// saving follows. A signal handler may set it too.
extern volatile std::sig_atomic_t quitflag;
void RequestQuit();

// Ticks dispatched since start-up (headless runs count them).
extern long tickcount;
void CountTick();

extern const std::string version;
extern const std::string author;
