// Menus: every on-screen menu or text panel is a tMENU in menulist; one
// routine draws them all and lets the player move and choose with keys,
// mouse or joystick. The game's quit prompt is one of these panels too.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "frontend/menu_states.h"

constexpr int MENU_LINES = 16;

struct tMENU {
  int t = 0;          // 0 interactive menu, 1 display-only panel
  float y = 0;        // screen y of the panel's centre (x is always 400)
  int entries = 0;    // lines in use
  std::string text[MENU_LINES];
  MenuState value[MENU_LINES] = {};  // menustate written when that line is chosen
  int selected = 0;   // highlighted line; -1 on panels
  int bary = 0;       // y of the moving scan line
  int bard = 0;       // scan-line step per tick (2)
  int joyd = 0;       // latch of up/down
  int joyfd = 0;      // latch of choosing
  // Additions of this game's own, drawn where the panel has room:
  int backline = -1;  // line that Escape chooses; -1 where Escape means nothing
  int escd = 0;       // latch of Escape
  int current = -1;   // line of the value in force, marked whatever is highlighted; -1 none
  const char* heading = nullptr;             // the setting's name above the panel, or none
  const std::string* aside[MENU_LINES] = {};  // small text left of a line (a bound key), or none
  const char* note[MENU_LINES] = {};          // small dim text right of a line (why it may not work), or none
};

extern std::vector<tMENU> menulist;
extern int lastmousex, lastmousey;
extern int submenu;
extern int buttonlatch;
extern int explosiontimer;

// Draws every menu and handles hover, up/down and choosing; once per tick.
void UpdateMenus();

// A line of a menu and the state that choosing it writes.
struct MenuLine {
  const char* text;
  MenuState value;
};
// Appends an interactive menu centred at y with the given line highlighted;
// both latches start set, so a key still held from the last screen must be
// let go before it moves or chooses here.
tMENU& AddMenu(float y, std::initializer_list<MenuLine> lines, int selected);
// Escape chooses the menu's last line ("back", or NO on a question), with
// the same beep; a held Escape must be let go first, as every key here.
void BackOnEscape(tMENU& m);
// Appends a blank menu for its caller to fill (the quit prompt over play).
tMENU& NewMenu();
// Takes every menu and panel off the screen.
void ClearMenus();
// Appends a display-only panel (no line highlighted, never chosen).
tMENU& AddPanel(float y, std::initializer_list<const char*> lines);
// A screen's menus are up: wait for a choice (in the state given, or the
// shared wait), check the pointer afresh, and count it as a screen other
// than the main menu.
void ShowScreen(MenuState waitin = MenuState::Run);
