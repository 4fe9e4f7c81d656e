// The front end: the title, every menu screen and the screens around the
// game, driven by one state number that the chosen menu line writes.
#pragma once
#include <span>
#include <string>

#include "frontend/menu_states.h"

extern MenuState menustate;
extern int attracttimer;
constexpr int attractdelay = 1200;  // idle ticks before the attract display
// The idle countdown starts again from the full delay.
void RestartAttractCountdown();

// A state and the work its tick does. Each family of screens keeps its own
// table of these beside its screens; the front end runs them by state.
struct StateEntry {
  MenuState state;
  void (*run)();
};
std::span<const StateEntry> MainMenuStates();
std::span<const StateEntry> MenuScreenStates();
std::span<const StateEntry> HighScoreStates();
std::span<const StateEntry> WizardStates();
// Every family's table, as the front end gathers them into its dispatch; no
// state may be claimed by two families (the later would silently win).
using StateFamily = std::span<const StateEntry> (*)();
std::span<const StateFamily> StateFamilies();

// What the front end asks of the replay player above it, handed down once
// at start-up: to watch a table row's replay in place of a game (false,
// with a message naming the file and the cause alone, when it cannot be
// played), and whether the whole run is someone's replay (whose settings
// and table are never saved). Until then no replay can be watched.
struct ReplayWatcher {
  bool (*watchtablereplay)(const std::string& path, std::string* why, std::string* reason);
  bool (*wholerun)();
};
void SetReplayWatcher(const ReplayWatcher& w);
const ReplayWatcher& TheReplayWatcher();

// The front end starts a new game (or --play skips the menus, or a replay
// begins): the next game tick sets it up. However the game is started, the
// ship's first aim is taken from the middle of the arena, so every game
// starts alike.
void BeginGame();

// Hands the program to the front end at a state (after the intros, a quit
// from play, or game over).
void ReturnToFrontEnd(MenuState at);
// One tick of the front end: the handler of menustate; a state without one
// runs nothing.
void FrontEndFrame();
// Entering the front end: nothing of the last game lingers behind the menus,
// the title music starts and the main menu opens.
void EnterFrontEnd();
// The front end's backdrop without a menu: no menus, an empty playfield
// with the grid at rest and the view centred, the title music on.
void ClearForFrontEnd();
// The title backdrop with its menus, then the idle countdown to the attract
// display (only the main menu falls into it).
void RunFrontEnd();
// Appends the main menu; the main menu is the one screen that can go idle.
void OpenMainMenu();
// A screen that changed the player's settings (or table and awards) saves
// them as it hands back to its menu, so a crash or a closed browser tab
// loses nothing; a watched run's are someone else's and are never saved.
void KeepSettings();
void KeepTable();
