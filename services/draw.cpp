// Draw commands and the bitmap font.
#include "services/draw.h"

#include "services/font_widths.h"
#include "services/media.h"

std::vector<tDRAW> drawlist;
float fontwidth[100];
void (*gridlinesdrawer)() = nullptr;

// Fills the font width table at start-up.
void InitFontWidths() {
  for (int i = 0; i < 100; i++) fontwidth[i] = kFontAdvance[i];
}

// Empties the list at the start of a state's tick; the memory stays.
void ClearDrawList() { drawlist.clear(); }

// Queues one sprite.
void AddDraw(TImage* img, float x, float y, int frame, int r, int g, int b, float alpha, float rot,
             float xscale, float yscale, int blend) {
  tDRAW& d = drawlist.emplace_back();
  d.img = img;
  d.x = x;
  d.y = y;
  d.frame = frame;
  d.r = r;
  d.g = g;
  d.b = b;
  d.alpha = alpha;
  d.rot = rot;
  d.xscale = xscale;
  d.yscale = yscale;
  d.blend = blend;
}

// Replays the list in order; the grid marker paints the grid's lines there.
void RenderDrawList(size_t first) {
  for (size_t i = first; i < drawlist.size(); i++) {
    const tDRAW& d = drawlist[i];
    if (d.r == GRID_MARKER) {
      if (gridlinesdrawer) gridlinesdrawer();
      continue;
    }
    SetAlpha(d.alpha);
    SetRotation(d.rot);
    SetScale(d.xscale, d.yscale);
    SetBlend(d.blend);
    SetColor(d.r, d.g, d.b);
    DrawImage(d.img, d.x, d.y, d.frame);
  }
}

// True for characters the font has (codes 32..131); names from files a person
// can edit may hold anything else, which is skipped.
static bool InFont(unsigned char c) { return c >= 32 && c <= 131; }

// Advance after character i of s at scale 1 (the kerning pairs T/Y/V + lower case).
static float Advance(const std::string& s, size_t i) {
  unsigned char c = (unsigned char)s[i];
  unsigned char next = 0;
  for (size_t j = i + 1; j < s.size(); j++)
    if (InFont((unsigned char)s[j])) {
      next = (unsigned char)s[j];
      break;
    }
  return KernedAdvance(c, next);
}

// Queues text in the bitmap font, one command per visible glyph.
void DrawFontText(const std::string& text, int x, int y, int r, int g, int b, int center, int blend,
                  float alpha, float xscale, float yscale) {
  y = y + 16;
  if (center == 1) {
    int w = 0;
    for (size_t i = 0; i < text.size(); i++) {
      if (!InFont((unsigned char)text[i])) continue;
      w = (int)(w + Advance(text, i) * xscale);
    }
    x = x - w / 2;
    x = (int)(x + 16 * xscale);
  }
  for (size_t i = 0; i < text.size(); i++) {
    unsigned char c = (unsigned char)text[i];
    if (!InFont(c)) continue;
    if (c != ' ') AddDraw(fontimg, (float)x, (float)y, c - 32, r, g, b, alpha, 0, xscale, yscale, blend);
    x = (int)(x + Advance(text, i) * xscale);
  }
}

// The box behind backed text reaches this far (in pixels at the text's
// scale) past the text's advance each way, so it also covers the glyphs'
// cells, which stand out past the last advance; it is dark enough that the
// brightest grid line behind it reads as a faint trace.
constexpr float BACKING_PAD_X = 20;
constexpr float BACKING_PAD_Y = 8;
constexpr float BACKING_ALPHA = 0.75f;

void DrawBackedText(const std::string& text, int x, int y, int r, int g, int b, float scale) {
  if (whiteimg && whiteimg->width > 0 && whiteimg->height > 0) {
    float w = ((float)FontTextWidth(text) + 2 * BACKING_PAD_X) * scale;
    float h = (32 + 2 * BACKING_PAD_Y) * scale;
    AddDraw(whiteimg, (float)x, (float)(y + 16), 0, 0, 0, 0, BACKING_ALPHA, 0, w / (float)whiteimg->width,
            h / (float)whiteimg->height, BLEND_ALPHA);
  }
  DrawFontText(text, x, y, r, g, b, 1, BLEND_ALPHA, 1, scale, scale);
}

// The width of a text in whole pixels at scale 1.
int FontTextWidth(const std::string& text) {
  int w = 0;
  for (size_t i = 0; i < text.size(); i++) {
    if (!InFont((unsigned char)text[i])) continue;
    w = (int)(w + Advance(text, i));
  }
  return w;
}

// Characters from position pos (1-based); len below 0 means up to the end.
std::string MidText(const std::string& s, int pos, int len) {
  if (pos < 1) {
    if (len >= 0) len += pos - 1;
    pos = 1;
  }
  if (pos > (int)s.size()) return "";
  int avail = (int)s.size() - (pos - 1);
  if (len < 0 || len > avail) len = avail;
  return s.substr(pos - 1, len);
}

// The first n characters.
std::string LeftText(const std::string& s, int n) {
  if (n <= 0) return "";
  return s.substr(0, n > (int)s.size() ? s.size() : (size_t)n);
}

// The last n characters.
std::string RightText(const std::string& s, int n) {
  if (n <= 0) return "";
  if (n > (int)s.size()) n = (int)s.size();
  return s.substr(s.size() - n);
}

// First 1-based position of sub at or after start, 0 when absent.
int FindText(const std::string& s, const std::string& sub, int start) {
  if (start < 1) start = 1;
  if (start > (int)s.size() + 1) return 0;
  size_t p = s.find(sub, start - 1);
  return p == std::string::npos ? 0 : (int)p + 1;
}

// The font's character glyphs; 128 is the name cursor and 129..131 are blank.
static constexpr unsigned char kFirstGlyph = 32, kLastGlyph = 127;

std::string DrawableName(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  for (char c : raw)
    if ((unsigned char)c >= kFirstGlyph && (unsigned char)c <= kLastGlyph) out.push_back(c);
  return out;
}

size_t DrawListSize() { return drawlist.size(); }
void CutDrawList(size_t n) {
  if (drawlist.size() > n) drawlist.resize(n);
}
void ReserveDrawList(size_t n) { drawlist.reserve(n); }
