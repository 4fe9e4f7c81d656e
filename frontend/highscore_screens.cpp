// The high-score screens. All three show ten rows of the table over the
// star field and a dark panel; the viewer pages through it, the name entry
// types into the new row, and the attract display waits for any input.
#include "frontend/highscore_screens.h"

#include <cstdio>
#include <string_view>

#include "frontend/backdrop.h"
#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "frontend/table_replays.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/render.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/press_latch.h"
#include "services/sfx.h"

int hsfirelatch = 0, hskeylatch = 0, hssticklatch = 0, hsclicklatch = 0;
int hshover = HS_NO_BUTTON;
std::string entryname;
int entryx = 0, entryy = 0;
int cursorx = 0, cursory = 0, cursorplaced = 0, cursorblink = 0;

// Where the rows sit: the attract display, with no buttons below, sits lower.
static constexpr int kTableTop = 120, kAttractTop = 144, kRowStep = 32;
static constexpr int kPositionX = 40, kNameX = 120, kScoreX = 640;
// The dark backing panels, in lines of the menu panel.
static constexpr int kTablePanelLines = 12, kAttractPanelLines = 10;
static constexpr float kPanelY = 300;
// Stick and axis thresholds: paging, and the name entry's firmer push.
static constexpr float kPageAxis = 0.5f, kCycleAxis = 0.75f;
// The font's cursor glyph.
static const std::string kCursor(1, (char)128);
static constexpr int kCursorBlinkStep = 8, kCursorShown = 127;
static const char* kAnonymous = "Anonymous";
static const std::string kTitle = "H I G H S C O R E S";
// The name entry says what it wants and where the score placed, between the
// title and the panel's top edge.
static constexpr int kEntryHeadingY = 62;
static constexpr float kEntryHeadingScale = 0.625f;

// The viewer's replays: the file of each row that has one, found when the
// viewer opens; the row under the pointer; the page to come back to.
static std::string rowreplay[HS_ROWS];
static int replayrow = -1;
static int watchedpage = -1;
// A row's box for the pointer, around its text, and the replay mark left of it.
static constexpr int kRowBoxAbove = 8, kMarkX = 20;
static const std::string kReplayMark = ">";
static const std::string kReplayHint = "click a marked row to watch its game";

// Why the last watched replay stopped early, shown under the title for six
// seconds in amber, which reads over the stars; as much as fits one line.
static std::string tablenotice;
static int tablenoticeticks = 0;
static constexpr int kNoticeTicks = 375, kNoticeY = 62, kNoticeMaxChars = 96;
static constexpr float kNoticeScale = 0.5f;

void SayOnTable(const std::string& text) {
  tablenotice = text.size() > (size_t)kNoticeMaxChars ? text.substr(0, kNoticeMaxChars - 3) + "..." : text;
  tablenoticeticks = kNoticeTicks;
}

const std::string& TableNotice() { return tablenotice; }

static void DrawTableNotice() {
  if (tablenoticeticks == 0) return;
  if (--tablenoticeticks == 0) {
    tablenotice.clear();
    return;
  }
  DrawFontText(tablenotice, 400, kNoticeY, 255, 176, 32, 1, BLEND_ALPHA, 1, kNoticeScale, kNoticeScale);
}

// What the stick does to the name being entered.
enum class StickStep { None, Previous, Next, Remove, Repeat };

// The page holding the last game's row, or the first page.
static int PageOfHighRank() {
  if (highrank < 1 || highrank > HS_ROWS) return 0;
  return (highrank - 1) / HS_PAGE_ROWS;
}

// The dark panel behind the rows, its lines all blank.
static void AddBackingPanel(int lines) {
  tMENU& m = AddPanel(kPanelY, {});
  for (int i = 0; i < lines; i++) m.text[i] = " ";
  m.entries = lines;
}

// A table screen's tick begins: stars, particles, the title and the panel.
static void BeginTableTick() {
  BeginBackdropTick();
  DrawFontText(kTitle, 400, 27, 32, 255, 32, 1, BLEND_ALPHA, 1, 1, 1);
  UpdateMenus();
}

// The ten rows of the page from the given y; the last game's row stands out.
static void DrawRows(int top, bool marks = false) {
  for (int j = 0; j < HS_PAGE_ROWS; j++) {
    int r = hspage * HS_PAGE_ROWS + j;
    if (r < 0 || r >= HS_ROWS) continue;
    int y = top + kRowStep * j;
    bool last = r + 1 == highrank;
    int red = last ? 255 : 32, blue = 32;
    if (marks && !rowreplay[r].empty()) {
      if (r == replayrow)
        DrawFontText(kReplayMark, kMarkX, y, 255, 255, 32, 1, BLEND_ALPHA, 1, 0.75f, 0.75f);
      else
        DrawFontText(kReplayMark, kMarkX, y, 16, 192, 16, 1, BLEND_ALPHA, 1, 0.75f, 0.75f);
    }
    char position[8];
    std::snprintf(position, sizeof position, "%3d.", r + 1);
    DrawFontText(position, kPositionX, y, red, 255, blue, 0, BLEND_ALPHA, 1, 1, 1);
    DrawFontText(hsname[r], kNameX, y, red, 255, blue, 0, BLEND_ALPHA, 1, 1, 1);
    DrawFontText(FormatThousands(std::to_string(hsscore[r])), kScoreX, y, red, 255, blue, 0,
                 BLEND_ALPHA, 1, 1, 1);
  }
}

// The colours of the buttons under the table.
struct ButtonColours {
  int r, g, b;     // at rest
  int hoverblue;   // over a yellow of full red and green
};
static constexpr ButtonColours kPageButton = {32, 255, 32, 32};
static constexpr ButtonColours kBackButton = {16, 192, 16, 16};
static constexpr ButtonColours kDoneButton = {16, 192, 16, 32};

// A centred button: yellow while the pointer is over it.
static void DrawButton(const char* text, int x, int y, bool hovered, const ButtonColours& c) {
  if (hovered) {
    DrawFontText(text, x, y, 255, 255, c.hoverblue, 1, BLEND_ALPHA, 1, 1, 1);
  } else {
    DrawFontText(text, x, y, c.r, c.g, c.b, 1, BLEND_ALPHA, 1, 1, 1);
  }
}

// Leaves a table screen for the main menu.
static void LeaveForMainMenu(bool beep) {
  menustate = MenuState::Run;
  menulist.clear();
  OpenMainMenu();
  if (beep) PlayFX(Sfx::MenuSelect, -1);
}

// The viewer's buttons under the pointer (all bounds strict).
static int ViewerHover(int mx, int my) {
  if (280 < mx && mx < 336 && 457 < my && my < 497) return HS_PREV_PAGE;
  if (360 < mx && mx < 424 && 462 < my && my < 490) return HS_BACK;
  if (440 < mx && mx < 496 && 457 < my && my < 497) return HS_NEXT_PAGE;
  return HS_NO_BUTTON;
}

// The row with a replay under the pointer on this page, or -1.
static int ReplayRowAt(int mx, int my) {
  if (mx <= kMarkX - 16 || mx >= 780) return -1;
  for (int j = 0; j < HS_PAGE_ROWS; j++) {
    int r = hspage * HS_PAGE_ROWS + j;
    int top = kTableTop + kRowStep * j - kRowBoxAbove;
    if (top <= my && my < top + kRowStep && !rowreplay[r].empty()) return r;
  }
  return -1;
}

// Whether any row of this page has a replay.
static bool PageHasReplays() {
  for (int j = 0; j < HS_PAGE_ROWS; j++)
    if (!rowreplay[hspage * HS_PAGE_ROWS + j].empty()) return true;
  return false;
}

void OpenHighScoreViewer() {
  menulist.clear();
  AddBackingPanel(kTablePanelLines);
  hspage = watchedpage >= 0 ? watchedpage : PageOfHighRank();
  watchedpage = -1;
  FindTableReplays(rowreplay);
  menustate = MenuState::HighScoreViewer;
  hsfirelatch = hskeylatch = hsclicklatch = 1;
}

// A click on a marked row plays its game; the viewer comes back on this
// page when the replay ends.
static void WatchRow(int row) {
  std::string why;
  int page = hspage;
  std::string reason;
  if (!TheReplayWatcher().watchtablereplay(rowreplay[row], &why, &reason)) {
    std::fprintf(stderr, "pulsefield: %s\n", why.c_str());
    SayOnTable("this replay cannot be played: " + reason);
    rowreplay[row].clear();
    return;
  }
  watchedpage = page;
  menulist.clear();
  PlayFX(Sfx::MenuSelect, -1);
}

void HighScoreViewer() {
  BeginTableTick();
  hshover = ViewerHover(MouseX(), MouseY());
  replayrow = hshover == HS_NO_BUTTON ? ReplayRowAt(MouseX(), MouseY()) : -1;
  DrawRows(kTableTop, true);
  DrawTableNotice();
  if (PageHasReplays()) DrawFontText(kReplayHint, 400, 516, 16, 192, 16, 1, BLEND_ALPHA, 1, 0.5f, 0.5f);
  DrawButton("<<<<", 320, 465, hshover == HS_PREV_PAGE, kPageButton);
  DrawButton(">>>>", 480, 465, hshover == HS_NEXT_PAGE, kPageButton);
  DrawButton("back", 400, 462, hshover == HS_BACK, kBackButton);
  DrawCreditAndVersion();
  DrawPointer();

  // Back to the main menu by a choose key or Escape.
  if (PressedOnce(hsfirelatch,
                  JoyButtonDown(0, 0) || KeyDown(VK_SPACE) || KeyDown(VK_RETURN) || KeyDown(VK_ESCAPE)))
    LeaveForMainMenu(true);

  // One action per click, by the button under the pointer.
  if (PressedOnce(hsclicklatch, MouseDown(MOUSE_LEFT) != 0) && menustate == MenuState::HighScoreViewer) {
    if (hshover == HS_PREV_PAGE && hspage > 0) hspage -= 1;
    if (hshover == HS_NEXT_PAGE && hspage < HS_PAGES - 1) hspage += 1;
    if (hshover == HS_BACK) LeaveForMainMenu(true);
    if (replayrow >= 0) WatchRow(replayrow);
  }

  // Paging by the keys or the first joystick's own X axis, one page per push;
  // a push past the first or last page does nothing.
  float x = JoyAxis(JOYAXIS_X, 0);
  bool left = (x < -kPageAxis || KeyDown(keyleft) || KeyDown(VK_LEFT)) && hspage > 0;
  bool right = (x > kPageAxis || KeyDown(keyright) || KeyDown(VK_RIGHT)) && hspage < HS_PAGES - 1;
  if (PressedOnce(hskeylatch, left || right) && menustate == MenuState::HighScoreViewer)
    hspage += left ? -1 : 1;
  ExplosionCountdown();
}

void OpenNameEntry() {
  menulist.clear();
  AddBackingPanel(kTablePanelLines);
  hspage = PageOfHighRank();
  menustate = MenuState::NameEntry;
  hsfirelatch = hsclicklatch = hssticklatch = 1;
  // Keys pressed before the entry opened type nothing.
  KeyPress p;
  while (TakeKeyPress(&p)) {
  }
  cursorplaced = 0;
  // The last name typed, as much of it as the entry could have typed.
  entryname = FitNameWidth(DrawableName(lastname));
  entryx = kNameX;
  entryy = kTableTop + kRowStep * ((highrank - 1 + HS_ROWS) % HS_PAGE_ROWS);
}

char NameKeyChar(int key, bool shifted) {
  static constexpr std::string_view shifteddigits = "!@#$%^&*(";
  static constexpr std::string_view keypadsigns = "*+/-./";       // 106..111
  static constexpr std::string_view punctuation = ";=,-./?";      // 186..192
  static constexpr std::string_view brackets = "[\\]+";           // 219..222
  if (key == VK_SPACE) return ' ';
  if (key == VK_0) return shifted ? 0 : '0';
  if (key > VK_0 && key <= '9') return shifted ? shifteddigits[(size_t)(key - VK_1)] : (char)key;
  if (key >= VK_A && key <= VK_Z) return shifted ? (char)key : (char)(key - VK_A + 'a');
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return shifted ? (char)('0' + key - VK_NUMPAD0) : 0;
  if (key >= VK_MULTIPLY && key <= VK_DIVIDE) return keypadsigns[(size_t)(key - VK_MULTIPLY)];
  if (key >= VK_OEM_1 && key <= VK_OEM_3) return shifted ? 0 : punctuation[(size_t)(key - VK_OEM_1)];
  if (key >= VK_OEM_4 && key <= VK_OEM_7) return shifted ? 0 : brackets[(size_t)(key - VK_OEM_4)];
  return 0;
}

// The next or previous character of the stick's cycle after the name's last
// one. A last character outside the cycle counts as before its start: the
// previous step removes it and the next step makes it a space.
static void CycleLastCharacter(bool forward) {
  static constexpr std::string_view cycle = kNameCycle;
  if (entryname.empty()) {
    entryname.push_back(forward ? cycle[1] : cycle.back());
    return;
  }
  size_t at = cycle.find(entryname.back());
  if (at == std::string_view::npos) {
    if (forward) {
      entryname.back() = cycle[0];
    } else {
      entryname.pop_back();
    }
    return;
  }
  size_t n = cycle.size();
  entryname.back() = cycle[forward ? (at + 1) % n : (at + n - 1) % n];
}

// The cursor follows the end of the name.
static void PlaceCursor() { cursorx = entryx + FontTextWidth(entryname); }

// One key typed into the name: backspace removes the last character, a key
// with a character adds it while the name stays within its width.
static void TypeKey(const KeyPress& p) {
  if (p.code == VK_BACK) {
    if (!entryname.empty()) entryname.pop_back();
    return;
  }
  char c = NameKeyChar(p.code, p.shifted);
  if (c == 0) return;
  entryname.push_back(c);
  if (FontTextWidth(entryname) > HS_NAME_WIDTH) entryname.pop_back();
}

void EditName() {
  // Keyboard: one character per key pressed, in the order the keys went
  // down, however many came in this tick; a held key types once. Enter or
  // Escape pressed now ends the entry on this tick (when no choose input is
  // still held from before), and what was typed after it is not the name's.
  KeyPress p;
  bool typed = false;
  while (TakeKeyPress(&p)) {
    if (hsfirelatch == 0 && (p.code == VK_RETURN || p.code == VK_ESCAPE)) break;
    TypeKey(p);
    typed = true;
  }
  if (typed) PlaceCursor();

  // Stick: one step per push, then back to the centre.
  float x = ReadJoyAxis(JOY_MOVE_X), y = ReadJoyAxis(JOY_MOVE_Y);
  StickStep step = y > kCycleAxis    ? StickStep::Previous
                   : y < -kCycleAxis ? StickStep::Next
                   : x < -kCycleAxis ? StickStep::Remove
                   : x > kCycleAxis  ? StickStep::Repeat
                                     : StickStep::None;
  if (!PressedOnce(hssticklatch, step != StickStep::None)) return;
  std::string before = entryname;
  switch (step) {
    case StickStep::Previous: CycleLastCharacter(false); break;
    case StickStep::Next: CycleLastCharacter(true); break;
    case StickStep::Remove:
      if (!entryname.empty()) entryname.pop_back();
      break;
    case StickStep::Repeat: entryname.push_back(entryname.empty() ? ' ' : entryname.back()); break;
    case StickStep::None: break;
  }
  if (FontTextWidth(entryname) > HS_NAME_WIDTH) entryname = before;
  PlaceCursor();
}

// The name goes into the new row ("Anonymous" when none was typed) and the
// table to disk; the name is remembered, even empty, for the next entry.
static void ConfirmName() {
  if (highrank >= 1 && highrank <= HS_ROWS) {
    hsname[highrank - 1] = entryname.empty() ? kAnonymous : entryname;
    SaveChangedHighScores();
  }
  lastname = entryname;
  KeepSettings();  // the name entry starts from it next time
  LeaveForMainMenu(true);
}

std::string NameEntryHeading(int rank) { return "ENTER YOUR NAME - RANK " + std::to_string(rank); }

void NameEntryScreen() {
  BeginTableTick();
  DrawRows(kTableTop);
  int row = highrank - 1 - hspage * HS_PAGE_ROWS;
  if (row >= 0 && row < HS_PAGE_ROWS) {
    entryx = kNameX;
    entryy = kTableTop + kRowStep * row;
    if (cursorplaced == 0) {
      cursory = entryy;
      PlaceCursor();
      cursorplaced = 1;
    }
  }
  int mx = MouseX(), my = MouseY();
  hshover = (360 < mx && mx < 424 && 462 < my && my < 490) ? HS_BACK : HS_NO_BUTTON;

  // The cursor blinks: 16 ticks shown, 16 hidden.
  cursorblink = (cursorblink + kCursorBlinkStep) % 256;
  if (cursorblink > kCursorShown)
    DrawFontText(kCursor, cursorx, cursory, 32, 255, 255, 0, BLEND_ALPHA, 1, 1, 1);

  EditName();
  if (!entryname.empty())
    DrawFontText(entryname, entryx, entryy, 32, 255, 255, 0, BLEND_ALPHA, 1, 1, 1);
  DrawButton("done", 400, 462, hshover == HS_BACK, kDoneButton);
  DrawFontText(NameEntryHeading(highrank), 400, kEntryHeadingY, 255, 255, 32, 1, BLEND_ALPHA, 1,
               kEntryHeadingScale, kEntryHeadingScale);
  DrawCreditAndVersion();
  DrawPointer();

  // Done by a click on "done", or Enter, Escape or the first pad's button 0;
  // Escape keeps the name too, there is no cancel.
  bool done = PressedOnce(hsclicklatch, MouseDown(MOUSE_LEFT) != 0) && hshover == HS_BACK;
  if (PressedOnce(hsfirelatch, KeyDown(VK_RETURN) || KeyDown(VK_ESCAPE) || JoyButtonDown(0, 0))) done = true;
  if (done) ConfirmName();
  ExplosionCountdown();
}

void OpenAttractTable() {
  AddBackingPanel(kAttractPanelLines);
  hspage = PageOfHighRank();
  lastmousey = MouseY();
  lastmousex = MouseX();
  hsfirelatch = 1;  // an input held as the display opens must be let go first
}

void AttractTable() {
  BeginTableTick();
  DrawRows(kAttractTop);
  DrawCreditAndVersion();
  DrawPointer();

  // Any key, pad button or mouse button goes back to the main menu, quietly.
  bool any = AnyKeyDown() || AnyJoyButtonDown() || MouseDown(MOUSE_LEFT) || MouseDown(MOUSE_RIGHT);
  if (PressedOnce(hsfirelatch, any)) {
    LeaveForMainMenu(false);
    attracttimer = attractdelay;
  }
  ExplosionCountdown();

  // Left alone, the display gives way to a fresh title screen.
  attracttimer -= 1;
  if (attracttimer < 0) {
    menulist.clear();
    EnterFrontEnd();
    attracttimer = attractdelay;
    menustate = MenuState::Run;
  }
  lastmousey = MouseY();
  lastmousex = MouseX();
}

static constexpr StateEntry kHighScoreStates[] = {
    {MenuState::HighScores, OpenHighScoreViewer},
    {MenuState::HighScoreViewer, HighScoreViewer},
    {MenuState::NameEntry, NameEntryScreen},
    {MenuState::Attract, AttractTable},
};
std::span<const StateEntry> HighScoreStates() { return kHighScoreStates; }
