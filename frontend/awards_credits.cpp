// The awards screen (every award ever earned in its place with its name, the
// rest faint with a hint of how to earn them) and the credits, both over the stars and the
// decorative explosions.
#include "frontend/backdrop.h"
#include "frontend/highscores.h"
#include "frontend/menu_screens.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/sfx.h"

// Three, four, four and three awards to a row, centred.
const ScreenPoint kAwardPlaces[AWARD_COUNT] = {
    {240, 105}, {400, 105}, {560, 105},                // pansy, sucker, no shoot
    {160, 195}, {320, 195}, {480, 195}, {640, 195},    // total 100..1000
    {160, 285}, {320, 285}, {480, 285}, {640, 285},    // clean 100..1000
    {240, 375}, {400, 375}, {560, 375},                // quarter, skill, multiplier
};

// The awards not yet earned: their pictures faint, a half-size hint under each.
const float kUnearnedAlpha = 0.2f;
const float kHintScale = 0.5f;
const int kHintBelow = 28;  // from the picture's centre to the top of its hint
static constexpr float kHintAlpha = 1;

void OpenAwardsScreen() {
  AddMenu(525, {{"back", MenuState::AwardsBack}}, 0);
  ShowScreen(MenuState::AwardsScreen);
}

// Escape goes straight back to the main menu, without the beep.
void AwardsScreen() {
  BeginBackdropTick();
  UpdateMenus();
  DrawFontText("A W A R D S", 400, 20, 32, 255, 32, 1, BLEND_ALPHA, 1, 1, 1);
  for (int i = 0; i < AWARD_COUNT; i++) {
    const ScreenPoint& at = kAwardPlaces[i];
    if (awards[i] != 0) {
      AddDraw(awardimgs[i], at.x, at.y, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_ALPHA);
      // Its name where the hint of an unearned one goes, brighter than a hint.
      DrawFontText(kAwardNames[i], (int)at.x, (int)at.y + kHintBelow, 32, 255, 32, 1, BLEND_ALPHA, 1,
                   kHintScale, kHintScale);
      continue;
    }
    // Not earned yet: its picture faint and how to earn it, so the
    // screen shows what there is to win.
    AddDraw(awardimgs[i], at.x, at.y, 0, 32, 255, 32, kUnearnedAlpha, 0, 1, 1, BLEND_ALPHA);
    DrawFontText(kAwardHints[i], (int)at.x, (int)at.y + kHintBelow, 32, 192, 32, 1, BLEND_ALPHA,
                 kHintAlpha, kHintScale, kHintScale);
  }
  DrawPointer();
  ExplosionCountdown();
  if (KeyDown(VK_ESCAPE)) {
    menulist.clear();
    OpenMainMenu();
    menustate = MenuState::Run;
  }
}

// The game and what it is made with; no one person is named.
static const char* const kCreditsLines[12] = {
    "C R E D I T S",
    "",
    "PROGRAMMING & GRAPHICS",
    "Pulsefield and its generated art",
    "",
    "MUSIC           GRID MATHS",
    "generated sound    springs",
    "",
    "THANKS TO THE FOLLOWING",
    "SDL2    OpenGL    Mesa",
    "libpng    zlib",
    "Ogg Vorbis",
};

void OpenCreditsScreen() {
  tMENU& panel = AddPanel(240, {});
  for (const char* line : kCreditsLines) panel.text[panel.entries++] = line;
  AddMenu(525, {{"back", MenuState::CreditsBack}}, 0);
  ShowScreen(MenuState::CreditsScreen);
}

// Escape leaves as "back" does, with the select beep.
void CreditsScreen() {
  BeginBackdropTick();
  UpdateMenus();
  if (KeyDown(VK_ESCAPE)) {
    menustate = MenuState::CreditsBack;
    PlayFX(Sfx::MenuSelect, -1);
  }
  DrawPointer();
  ExplosionCountdown();
}

void CreditsBack() {
  menulist.clear();
  OpenOptionsMenu();
}
