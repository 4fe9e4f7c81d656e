// The game-over screen: the final score and this game's awards over the
// stars, then CONTINUE to the name entry or the main menu, the awards
// joining the collection on the way.
#include <iterator>
#include <string>

#include "frontend/highscores.h"
#include "frontend/backdrop.h"
#include "frontend/highscore_screens.h"
#include "frontend/menu_screens.h"
#include "frontend/menus.h"
#include "playfield/game.h"
#include "playfield/scoring.h"
#include "playfield/stars.h"
#include "shell/draw.h"
#include "shell/media.h"
#include "shell/sfx.h"

// Award icons in a row: 80 pixels apart at full size; a row that would fill
// the screen's 800 pixels is drawn at half size, 56 apart.
constexpr int AWARD_STEP = 80;
constexpr int AWARD_STEP_SMALL = 56;
constexpr int SCREEN_W = 800;

// Made once when the screen opens; the score does not change while it is up.
static std::string finalscoretext;

static int AwardsThisGame() {
  int n = 0;
  for (int i = 0; i < AWARD_COUNT; i++) n += gameawards[i] != 0;
  return n;
}

void OpenGameOverScreen() {
  if (AwardsThisGame() > 0) {
    AddPanel(210, {"G A M E   O V E R", " ", " ", "awards ", " ", " "});
  } else {
    AddPanel(210, {"G A M E   O V E R", " ", " "});
  }
  AddMenu(510, {{"CONTINUE", MenuState::AfterGameOver}}, 0);
  ClearPlayfield(ClearFor::GameOver);  // the stars stay
  CentreView();
  finalscoretext = "final score: " + FormatThousands(std::to_string(score));
  ShowScreen(MenuState::GameOverScreen);
  StartTitleMusic(false);
}

// No particles or explosions here: only the stars behind the panel.
void GameOverScreen() {
  ClearDrawList();
  UpdateStars();
  UpdateMenus();
  int n = AwardsThisGame();
  int w = AWARD_STEP * n;
  DrawFontText(finalscoretext, 400, w > 0 ? 180 : 225, 32, 192, 32, 1, BLEND_ALPHA, 1, 1, 1);
  float scale = 1;
  int step = AWARD_STEP;
  if (w >= SCREEN_W) {
    scale = 0.5f;
    step = AWARD_STEP_SMALL;
    w = AWARD_STEP_SMALL * n;
  }
  if (n > 0) {
    int x = (SCREEN_W - w) / 2 + 32;
    for (int i = 0; i < AWARD_COUNT; i++) {
      if (gameawards[i] == 0) continue;
      AddDraw(awardimgs[i], (float)x, 270, 0, 32, 255, 32, 1, 0, scale, scale, BLEND_ALPHA);
      x += step;
    }
  }
  DrawPointer();
}

// CONTINUE: a score that made the table is named first; every award earned
// this game joins the collection either way.
void AfterGameOver() {
  menulist.clear();
  if (highrank != -1) {
    menustate = MenuState::NameEntry;
    OpenNameEntry();
  } else {
    OpenMainMenu();
    menustate = MenuState::Run;
  }
  for (int i = 0; i < (int)std::size(awards); i++)
    if (gameawards[i] != 0) awards[i] = 1;
}
