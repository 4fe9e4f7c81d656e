// The front end's floor, under the top and over the enemies: the menus,
// the settings screens, the high-score table and the wizards. Here: its own
// states (entering it, the title with its menus, the main menu, play and
// quit) and the one dispatch over every family's states.
#include "frontend/frontend.h"

#include <array>

#include "enemies/arena.h"
#include "frontend/backdrop.h"
#include "frontend/highscore_screens.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/services.h"
#include "services/sfx.h"

MenuState menustate = MenuState::Enter;
int attracttimer = attractdelay;

// No replay player until the top hands one down.
static bool NoTableReplay(const std::string& path, std::string* why, std::string* reason) {
  if (why) *why = "no replay player for \"" + path + "\"";
  if (reason) *reason = "no replay player";
  return false;
}
static bool NoWholeRun() { return false; }
static ReplayWatcher watcher{NoTableReplay, NoWholeRun};

void RestartAttractCountdown() { attracttimer = attractdelay; }

void SetReplayWatcher(const ReplayWatcher& w) { watcher = w; }
const ReplayWatcher& TheReplayWatcher() { return watcher; }

void BeginGame() {
  SetGameState(GameState::Game);
  SetPlayState(PlayState::Start);
  CentreView();
}

void ReturnToFrontEnd(MenuState at) {
  SetGameState(GameState::FrontEnd);
  menustate = at;
}

void OpenMainMenu() {
  AddMenu(432,
          {{"PLAY", MenuState::Play},
           {"HIGHSCORES", MenuState::HighScores},
           {"AWARDS", MenuState::Awards},
           {"OPTIONS", MenuState::Options},
           {"QUIT", MenuState::Quit}},
          0);
  lastmousey = -1;
  submenu = 0;
}

void KeepSettings() {
  if (!watcher.wholerun()) SaveConfig();
}

void KeepTable() {
  if (!watcher.wholerun()) SaveChangedHighScores();
}

void EnterFrontEnd() {
  ClearForFrontEnd();
  OpenMainMenu();
  menustate = MenuState::Run;
  lastmousey = -1;
}

// Nothing of the last game lingers behind the menus, the grid is at rest
// and the view is back on the middle of the arena.
void ClearForFrontEnd() {
  menulist.clear();
  ClearArena(ClearFor::FrontEnd);
  CentreView();
  StartTitleMusic(true);
}

void RunFrontEnd() {
  TitleBackdrop();
  attracttimer -= 1;
  if (attracttimer < 0) {
    if (submenu == 0) {
      menulist.clear();
      OpenAttractTable();
      menustate = MenuState::Attract;
    }
    attracttimer = attractdelay;
  }
}

// QUIT: the loop ends after this tick's frame, and only then are the
// settings and the scores saved.
static void Quit() { RequestQuit(); }

// PLAY: the next tick sets up a new game; the title track stops for it.
static void Play() {
  BeginGame();
  menustate = MenuState::Enter;
  StopTitleMusic();
}

static void MainMenuScreen() {
  OpenMainMenu();
  menustate = MenuState::Run;
}

static constexpr StateEntry kMainMenuStates[] = {
    {MenuState::Enter, EnterFrontEnd}, {MenuState::Run, RunFrontEnd},
    {MenuState::Quit, Quit},           {MenuState::Play, Play},
    {MenuState::MainMenu, MainMenuScreen}, {MenuState::AwardsBack, MainMenuScreen},
};
std::span<const StateEntry> MainMenuStates() { return kMainMenuStates; }

static constexpr StateFamily kStateFamilies[] = {MainMenuStates, MenuScreenStates, HighScoreStates,
                                                  WizardStates};
std::span<const StateFamily> StateFamilies() { return kStateFamilies; }

// Every family's states in one table by number, built on the first tick.
static std::array<void (*)(), 256> BuildDispatch() {
  std::array<void (*)(), 256> table{};
  for (StateFamily family : StateFamilies())
    for (const StateEntry& e : family()) table[(size_t)e.state] = e.run;
  return table;
}

void FrontEndFrame() {
  static const std::array<void (*)(), 256> dispatch = BuildDispatch();
  int state = (int)menustate;
  if (state >= 0 && state < (int)dispatch.size() && dispatch[(size_t)state]) dispatch[(size_t)state]();
}
