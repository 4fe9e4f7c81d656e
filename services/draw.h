// Draw commands and bitmap text. Every tick queues what the next picture
// shows; the frame loop replays the list once per pass.
#pragma once
#include <string>
#include <vector>
#include "platform/render.h"

constexpr int GRID_MARKER = -1968;

struct tDRAW {
  float x = 0, y = 0, rot = 0, alpha = 0, xscale = 0, yscale = 0;
  int blend = 0;
  TImage* img = nullptr;
  int frame = 0;
  int r = 0, g = 0, b = 0;
};

// The ordered list of draw commands; keeps its memory between ticks.
extern std::vector<tDRAW> drawlist;
extern float fontwidth[100];

// How many commands are queued; cutting the list back to n takes away
// what was queued after that (a prompt's text when play resumes).
size_t DrawListSize();
void CutDrawList(size_t n);
// Makes room once at start-up, so the list never grows during play.
void ReserveDrawList(size_t n);
void InitFontWidths();
void ClearDrawList();
void AddDraw(TImage* img, float x, float y, int frame, int r, int g, int b, float alpha, float rot,
             float xscale, float yscale, int blend);
// Paints the queued commands from the given one on (all by default).
void RenderDrawList(size_t first = 0);
void DrawFontText(const std::string& text, int x, int y, int r, int g, int b, int center, int blend,
                  float alpha, float xscale, float yscale);
int FontTextWidth(const std::string& text);
// A name as the font can draw it: only the character glyphs (codes 32..127)
// are kept, so a name from a file never draws garbage.
std::string DrawableName(const std::string& raw);
// Text centred on x, its top at y as DrawFontText's, on a dark box a little
// larger than it, so that it reads over the grid, the stars and explosions.
void DrawBackedText(const std::string& text, int x, int y, int r, int g, int b, float scale);

// Substring helpers, 1-based and clamped to the string.
std::string MidText(const std::string& s, int pos, int len = -1);
std::string LeftText(const std::string& s, int n);
std::string RightText(const std::string& s, int n);
int FindText(const std::string& s, const std::string& sub, int start = 1);

// Draws the grid's lines when the renderer meets the grid marker; set by the
// playfield (null draws nothing).
extern void (*gridlinesdrawer)();
