// A minimal front end until the menus land: the title logo, Enter to play,
// Escape to quit; after a game it shows the final score.
#include "frontend/frontend.h"

#include <string>

#include "enemies/enemy.h"
#include "platform/input.h"
#include "playfield/bullets.h"
#include "playfield/game.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/scoring.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"
#include "shell/media.h"
#include "shell/sfx.h"

int menustate = 0;
int lastjoyport = -1;
int attracttimer = attractdelay;
static int frontlatch = 1;
static int shownscore = 0;

// Entering the front end (start-up or a quit from play): nothing of the last
// game lingers behind the menus, the grid is at rest and the view is back on
// the middle of the arena.
static void ClearPlayfieldBehindMenus() {
  nmelist.clear();
  partlist.clear();
  bulletlist.clear();
  scoresprlist.clear();
  ClearFX();
  ResetGrid();
  playerx = 1072;
  playery = 688;
  UpdateCamera();
}

// One tick of the front end.
void FrontEndFrame() {
  // Arriving from the game (main menu 0 or game over 60): keys held over
  // from the game must be let go before they act here.
  if (menustate == 0) ClearPlayfieldBehindMenus();
  if (menustate == 0 || menustate == 60) {
    shownscore = menustate == 60;
    frontlatch = 1;
    // Entering the front end starts the title track; the game-over screen
    // starts only the built-in one.
    StartTitleMusic(menustate == 0);
    menustate = 1;
  }
  ClearDrawList();
  AddDraw(titlelogoimg, 400, 200, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_LIGHT);
  if (shownscore)
    DrawFontText("GAME OVER  " + std::to_string(score), 400, 320, 255, 255, 255, 1, BLEND_ALPHA, 1,
                 1, 1);
  DrawFontText("PRESS ENTER TO PLAY", 400, 360, 255, 255, 255, 1, BLEND_ALPHA, 1, 1, 1);
  DrawFontText("PRESS ESCAPE TO QUIT", 400, 400, 255, 255, 255, 1, BLEND_ALPHA, 1, 1, 1);
  DrawFontText(version, 400, 560, 128, 128, 128, 1, BLEND_ALPHA, 1, 0.5f, 0.5f);
  bool esc = KeyDown(27), enter = KeyDown(13);
  if (!esc && !enter) {
    frontlatch = 0;
  } else if (!frontlatch) {
    frontlatch = 1;
    if (esc) {
      quitflag = 1;
    } else {
      StopTitleMusic();
      gamestate = 1;
      playstate = 0;
    }
  }
}
