// The game-over screen: the final score and this game's awards with their
// names over the stars, then CONTINUE to the name entry or the main menu, the awards
// joining the collection on the way.
#include <algorithm>
#include <iterator>
#include <string>

#include "enemies/arena.h"
#include "frontend/backdrop.h"
#include "frontend/frontend.h"
#include "frontend/highscore_screens.h"
#include "frontend/highscores.h"
#include "frontend/menu_screens.h"
#include "frontend/menus.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "playfield/stars.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/sfx.h"

// Award icons in a row: 80 pixels apart at full size; a row that would fill
// the screen's 800 pixels is drawn at half size, 56 apart.
constexpr int AWARD_STEP = 80;
constexpr int AWARD_STEP_SMALL = 56;
constexpr int SCREEN_W = 800;

// This game's award names, under the panel's lower edge in the empty space
// above CONTINUE, each centred under its picture at half size. When two
// neighbours would come closer than the gap on one row, every other name
// drops to a second row, so that even the fourteen at 56 apart fit.
const int kGameOverNameTop = 324;
const int kGameOverNameRowStep = 18;
constexpr float NAME_SCALE = 0.5f;
constexpr int NAME_GAP = 12;
constexpr int NAME_MARGIN = 4;  // a name at either end stays this far inside the screen

// Made once when the screen opens; the score and the awards do not change
// while it is up.
static std::string finalscoretext;
static bool namestworows = false;

static int AwardsThisGame() {
  int n = 0;
  for (int i = 0; i < AWARD_COUNT; i++) n += gameawards[i] != 0;
  return n;
}

// True when some two neighbouring names of the row would meet at this step.
static bool NamesMeet(int step) {
  int last = -1;
  for (int i = 0; i < AWARD_COUNT; i++) {
    if (gameawards[i] == 0) continue;
    if (last >= 0) {
      float halves = (FontTextWidth(kAwardNames[last]) + FontTextWidth(kAwardNames[i])) * NAME_SCALE / 2;
      if (halves + NAME_GAP > step) return true;
    }
    last = i;
  }
  return false;
}

// A name's centre under its picture at x, moved in just enough to stay on screen.
static int NameCentre(int award, int x) {
  int half = (int)(FontTextWidth(kAwardNames[award]) * NAME_SCALE / 2);
  return std::clamp(x, NAME_MARGIN + half, SCREEN_W - NAME_MARGIN - half);
}

void OpenGameOverScreen() {
  if (AwardsThisGame() > 0) {
    AddPanel(210, {"G A M E   O V E R", " ", " ", "awards ", " ", " "});
  } else {
    AddPanel(210, {"G A M E   O V E R", " ", " "});
  }
  AddMenu(510, {{"CONTINUE", MenuState::AfterGameOver}}, 0);
  ClearArena(ClearFor::GameOver);  // the stars stay
  CentreView();
  finalscoretext = "final score: " + FormatThousands(std::to_string(score));
  namestworows = NamesMeet(AWARD_STEP * AwardsThisGame() >= SCREEN_W ? AWARD_STEP_SMALL : AWARD_STEP);
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
    int shown = 0;
    for (int i = 0; i < AWARD_COUNT; i++) {
      if (gameawards[i] == 0) continue;
      AddDraw(awardimgs[i], (float)x, 270, 0, 32, 255, 32, 1, 0, scale, scale, BLEND_ALPHA);
      int namey = kGameOverNameTop + (namestworows && shown % 2 == 1 ? kGameOverNameRowStep : 0);
      DrawFontText(kAwardNames[i], NameCentre(i, x), namey, 32, 255, 32, 1, BLEND_ALPHA, 1, NAME_SCALE,
                   NAME_SCALE);
      x += step;
      shown++;
    }
  }
  DrawPointer();
}

// CONTINUE: a score that made the table is named first; every award earned
// this game joins the collection either way, saved at once.
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
  if (AwardsThisGame() > 0) KeepTable();  // the collection is kept with the table
}
