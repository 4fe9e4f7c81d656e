// A minimal front end until the menus land: the title logo, Enter to play,
// Escape to quit; after a game it shows the final score.
#include "frontend/frontend.h"

#include <string>

#include "platform/input.h"
#include "platform/keycodes.h"
#include "playfield/game.h"
#include "playfield/player.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"
#include "shell/media.h"
#include "shell/sfx.h"

MenuState menustate = MenuState::Enter;
int attracttimer = attractdelay;
static int frontlatch = 1;
static int shownscore = 0;

// Hands the program to the front end at a state.
void ReturnToFrontEnd(MenuState at) {
  gamestate = GameState::FrontEnd;
  menustate = at;
}

// Opens the title: keys held over from the game must be let go before they
// act here. Entering the front end starts the title track; the game-over
// screen starts only the built-in one.
static void OpenTitle(bool aftergame) {
  shownscore = aftergame ? 1 : 0;
  frontlatch = 1;
  StartTitleMusic(!aftergame);
  menustate = MenuState::Run;
}

// Entering the front end (start-up or a quit from play): nothing of the last
// game lingers behind the menus, the grid is at rest and the view is back on
// the middle of the arena.
void EnterFrontEnd() {
  ClearPlayfield(ClearFor::FrontEnd);
  playerx = 1072;
  playery = 688;
  UpdateCamera();
  OpenTitle(false);
}

// The stand-in title: Enter starts a game, Escape quits.
static void RunTitle() {
  ClearDrawList();
  AddDraw(titlelogoimg, 400, 200, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_LIGHT);
  if (shownscore)
    DrawFontText("GAME OVER  " + std::to_string(score), 400, 320, 255, 255, 255, 1, BLEND_ALPHA, 1,
                 1, 1);
  DrawFontText("PRESS ENTER TO PLAY", 400, 360, 255, 255, 255, 1, BLEND_ALPHA, 1, 1, 1);
  DrawFontText("PRESS ESCAPE TO QUIT", 400, 400, 255, 255, 255, 1, BLEND_ALPHA, 1, 1, 1);
  DrawFontText(version, 400, 560, 128, 128, 128, 1, BLEND_ALPHA, 1, 0.5f, 0.5f);
  bool esc = KeyDown(VK_ESCAPE), enter = KeyDown(VK_RETURN);
  if (!esc && !enter) {
    frontlatch = 0;
  } else if (!frontlatch) {
    frontlatch = 1;
    if (esc) {
      quitflag = 1;
    } else {
      StopTitleMusic();
      BeginGame();
    }
  }
}

// One tick of the front end.
void FrontEndFrame() {
  switch (menustate) {
    case MenuState::Enter:
      EnterFrontEnd();
      break;
    case MenuState::GameOver:
      OpenTitle(true);
      break;
    default:
      break;
  }
  RunTitle();
}
