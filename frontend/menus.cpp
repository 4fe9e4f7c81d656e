// Every menu and text panel on screen: drawing, pointer hover, up and down,
// and choosing, with one latch per input so a held key acts once.
#include "frontend/menus.h"

#include "frontend/frontend.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/render.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/press_latch.h"
#include "services/sfx.h"

std::vector<tMENU> menulist;
int lastmousex = 0, lastmousey = 0;
int submenu = 0;
int buttonlatch = 0;
int explosiontimer = 1;

// The small marks beside the lines: the value in force gets a square left of
// its line's text, a line's aside (a bound key) ends at a column left of the
// lines, clear of the logo and the name under it, a line's note starts just
// right of its text, and a heading sits just above the panel's top edge.
constexpr float MARK_SIZE = 8;
constexpr int MARK_GAP = 14;     // from the text's left end to the square's centre
constexpr int ASIDE_RIGHT = 256;  // right end of the asides
constexpr float SMALL_TEXT = 0.5f;
constexpr int HEADING_RISE = 36;  // heading's top above the panel's top edge
constexpr int NOTE_GAP = 16;      // from a line's right end to its note

// The marker square, in the colour of its line.
static void DrawCurrentMark(const std::string& text, int ly, int r, int g, int b) {
  if (!whiteimg) return;
  float scale = MARK_SIZE / (float)(whiteimg->width > 0 ? whiteimg->width : 1);
  float x = (float)(400 - FontTextWidth(text) / 2 - MARK_GAP);
  AddDraw(whiteimg, x, (float)(ly + 16), 0, r, g, b, 1, 0, scale, scale, BLEND_ALPHA);
}

// The heading, the marker and the asides; none of them on the plain menus.
static void DrawMenuExtras(const tMENU& m, float h) {
  if (m.heading) DrawFontText(m.heading, 400, (int)(m.y - h) - HEADING_RISE, 32, 255, 32, 1, BLEND_ALPHA, 1, 1, 1);
  for (int i = 0; i < m.entries && i < MENU_LINES; i++) {
    int ly = (int)(m.y - m.entries * 16 + 4 + 32 * i);
    if (i == m.current) {
      if (i == m.selected) {
        DrawCurrentMark(m.text[i], ly, 255, 255, 64);
      } else {
        DrawCurrentMark(m.text[i], ly, 32, 192, 32);
      }
    }
    if (m.aside[i])
      DrawFontText(*m.aside[i], ASIDE_RIGHT - (int)(FontTextWidth(*m.aside[i]) * SMALL_TEXT), ly, 32, 192, 32, 0,
                   BLEND_ALPHA, 1, SMALL_TEXT, SMALL_TEXT);
    if (m.note[i])
      DrawFontText(m.note[i], 400 + FontTextWidth(m.text[i]) / 2 + NOTE_GAP, ly, 32, 160, 32, 0, BLEND_ALPHA,
                   1, SMALL_TEXT, SMALL_TEXT);
  }
}

// The panel, its moving scan line, its two edges and its lines of text.
static void DrawMenu(tMENU& m) {
  AddDraw(white2img, 400, m.y, 0, 2, 24, 2, 0.75f, 0, 8, (float)(m.entries + 1), BLEND_ALPHA);
  m.bary += m.bard;
  float h = (float)((m.entries + 1) * 16);
  if (m.bary < m.y - h) {
    m.bary = (int)(m.y + h);
  } else if (m.bary > m.y + h) {
    m.bary = (int)(m.y - h);
  }
  AddDraw(menubarimg, 400, (float)m.bary, 0, 32, 255, 32, 0.125f, 0, 100, 4, BLEND_LIGHT);
  AddDraw(menubarimg, 400, m.y - h, 0, 0, 255, 0, 1, 0, 100, 1, BLEND_ALPHA);
  AddDraw(menubarimg, 400, m.y + h, 0, 0, 255, 0, 1, 0, 100, 1, BLEND_ALPHA);
  for (int i = 0; i < m.entries && i < MENU_LINES; i++) {
    int ly = (int)(m.y - m.entries * 16 + 4 + 32 * i);
    if (i == m.selected) {
      DrawFontText(m.text[i], 400, ly, 255, 255, 64, 1, BLEND_ALPHA, 1, 1, 1);
    } else {
      DrawFontText(m.text[i], 400, ly, 32, 192, 32, 1, BLEND_ALPHA, 1, 1, 1);
    }
  }
  DrawMenuExtras(m, h);
}

// The move beep and a reset of the idle countdown.
static void MovedTo(tMENU& m, int line, bool beep) {
  m.selected = line;
  if (beep) PlayFX(Sfx::MenuMove, -1);
  attracttimer = attractdelay;
}

// Choosing a line writes its state number and takes the menu away, with the select beep.
static void ChooseLine(size_t i, int line) {
  menustate = menulist[i].value[line];
  PlayFX(Sfx::MenuSelect, -1);
  attracttimer = attractdelay;
  menulist.erase(menulist.begin() + (long)i);
}

// Draws every menu and handles the player's input on the interactive ones; once per tick.
void UpdateMenus() {
  int mx = 0, my = 0;
  bool anyinput = false;
  size_t i = 0;
  while (i < menulist.size()) {
    tMENU& m = menulist[i];
    DrawMenu(m);
    if (m.t != 0) {
      i++;
      continue;
    }
    anyinput = true;
    my = MouseY();
    mx = MouseX();

    // The pointer highlights the line under it, tested only when it moved up or down.
    bool hovered = false;
    if (my != lastmousey) {
      for (int j = 0; j < m.entries; j++) {
        float top = m.y - (m.entries * 16 + 4) + j * 32;
        if (top < my && my < top + 32) {
          hovered = true;
          if (j != m.selected) MovedTo(m, j, true);
        }
      }
    }

    // Up and down step one line per press and wrap around.
    if (!hovered) {
      float s = ReadJoyAxis(JOY_MOVE_Y);
      bool up = s < -0.5f || KeyDown(keyup) || KeyDown(VK_UP);
      bool down = !up && (s > 0.5f || KeyDown(keydown) || KeyDown(VK_DOWN));
      if (PressedOnce(m.joyd, up || down)) {
        int line = up ? m.selected - 1 : m.selected + 1;
        if (line < 0) line = m.entries - 1;
        if (line > m.entries - 1) line = 0;
        MovedTo(m, line, m.entries > 1);
      }
    }

    // Choosing takes the highlighted line; Escape takes the way back where
    // the menu has one.
    bool choose = JoyButtonDown(0, 0) || JoyButtonDown(0, 1) || KeyDown(VK_SPACE) ||
                  KeyDown(VK_RETURN) || MouseDown(MOUSE_LEFT);
    bool removed = false;
    if (PressedOnce(m.joyfd, choose) && m.selected >= 0 && m.selected < MENU_LINES) {
      ChooseLine(i, m.selected);
      removed = true;
    } else if (m.backline >= 0 && m.backline < m.entries && PressedOnce(m.escd, KeyDown(VK_ESCAPE) != 0)) {
      ChooseLine(i, m.backline);
      removed = true;
    }
    if (mx != lastmousex) attracttimer = attractdelay;
    if (!removed) i++;
  }
  lastmousey = anyinput ? my : 0;
  lastmousex = anyinput ? mx : 0;
}

tMENU& NewMenu() { return menulist.emplace_back(); }

void ClearMenus() { menulist.clear(); }

tMENU& AddMenu(float y, std::initializer_list<MenuLine> lines, int selected) {
  tMENU& m = menulist.emplace_back();
  m.y = y;
  for (const MenuLine& line : lines) {
    if (m.entries == MENU_LINES) break;
    m.text[m.entries] = line.text;
    m.value[m.entries] = line.value;
    m.entries++;
  }
  m.selected = selected;
  m.bard = 2;
  m.joyd = 1;
  m.joyfd = 1;
  m.escd = 1;
  return m;
}

void BackOnEscape(tMENU& m) { m.backline = m.entries - 1; }

tMENU& AddPanel(float y, std::initializer_list<const char*> lines) {
  tMENU& m = menulist.emplace_back();
  m.t = 1;
  m.y = y;
  for (const char* line : lines) {
    if (m.entries == MENU_LINES) break;
    m.text[m.entries++] = line;
  }
  m.selected = -1;
  m.bard = 2;
  m.joyd = 1;
  m.joyfd = 1;
  return m;
}

void ShowScreen(MenuState waitin) {
  menustate = waitin;
  lastmousey = -1;
  submenu = 1;
}
