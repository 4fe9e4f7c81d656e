// Shared pieces of the picture generator: the vector glyphs of the game's
// font, text laid out with them, and the tiny label font of the contact sheet.
#pragma once
#include <string>
#include <vector>

#include "services/awards.h"
#include "raster.h"
#include "services/font_widths.h"

// Strokes of a glyph (codes 32 to 128) in glyph units: capitals span x 0..24
// and y 0..20 (cap top to baseline), lower case and digits x 0..12 with the
// x-height at y 8 and descenders down to y 24.
std::vector<Polyline> GlyphPaths(int code);
// Filled areas of a glyph (only the name-entry cursor has one).
std::vector<Polyline> GlyphFills(int code);
// Ink width of a glyph in glyph units (0 for the space and the blanks).
float GlyphInkWidth(int code);

// Strokes text with the vector glyphs, left edge of the first glyph at the
// origin of xf and the cap top at y 0; gap is the space between glyph inks in
// glyph units. Returns the width in glyph units.
float StrokeText(Mask& m, const std::string& text, const Xf& xf, float width, float gap = 4.f);
// Width of text in glyph units, as StrokeText lays it out.
float TextWidth(const std::string& text, float gap = 4.f);

// Draws a label with a 5 by 7 pixel font, one pixel per dot (times scale).
void DrawLabel(Image& img, int x, int y, const std::string& text, int r, int g, int b,
               int scale = 1);
// Width of a label in pixels at scale 1.
int LabelWidth(const std::string& text);
// The 5 by 7 dots of a label character: row bits, bit 4 the leftmost column.
const unsigned char* LabelGlyph(int c);

// Neon helpers: a white picture of a glowing stroke mask, and a coloured one.
Image NeonWhite(const Mask& core, float glowsigma = 1.5f, float glow = 0.6f);
Image NeonColour(const Mask& core, Col col, float glowsigma = 2.f, float glow = 0.8f);

// Picture makers, one per file (frames laid out in the file's cells).
Image MakeFont();
Image MakeFontSmall();
Image MakeMenuBar();
Image MakeWhite();
Image MakeWhite2();
Image MakeScoreLabel();
Image MakeScoreHighLabel();
Image MakeScoreNumbers();
Image MakeScoreBomb();
Image MakeMultiplier();
Image MakeTitleLogo();
Image MakeAward(AwardIndex award);

// The player ship's hull outline, nose up, around the origin (26 by 27 units);
// the ship sprite and the award icons draw the same shape.
Polyline ShipHull();

Image MakeStar(int n);  // 1..3
Image MakePlayer();
Image MakePlayerSight();
Image MakePlayerShield();
Image MakePlayerRez(int n);  // 1..5
Image MakeThrust();
Image MakeBomb();
Image MakePlayerBullet();
Image MakePart(int n);    // 1..2
Image MakePartEx(int n);  // 1..2
Image MakeEnemy(const std::string& stem);  // "nme01" .. "nme10c"

Image MakeBorder(int code);  // 1..9 (7 is the grid marker image)

Image MakeIntro(const std::string& stem);  // "qvobg" .. "kelvtext"

// The border tile code at row i, column j of the 50 by 34 border map.
int BorderCode(int row, int col);
