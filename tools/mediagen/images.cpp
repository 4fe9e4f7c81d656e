// The picture half of the media generator: writing every PNG the game
// loads, the border map, and a labelled contact sheet for reviewing the art.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "img_art.h"
#include "img_catalogue.h"
#include "mediagen.h"
#include "services/awards.h"

namespace {

std::string GfxPath(const std::string& outdir, const std::string& stem) { return outdir + "/gfx/" + stem + ".png"; }

// A float RGB canvas for the contact sheet and its previews.
struct Canvas {
  int w, h;
  std::vector<float> c;
  Canvas(int width, int height) : w(width), h(height), c(size_t(width) * height * 3, 0.f) {}
  float* At(int x, int y) { return &c[(size_t(y) * w + x) * 3]; }
};

enum class Blend { kAlpha, kAdd, kMultiply, kCopy };

// Draws a picture (one cell of it) like the game: centred at (cx, cy), scaled
// by (sx, sy), tinted, with alpha and a blend mode; nearest sampling.
void Paint(Canvas& cv, const Image& img, int fx, int fy, int fw, int fh, float cx, float cy, float sx, float sy,
           int tr, int tg, int tb, float alpha, Blend blend) {
  float hw = fw * std::fabs(sx) / 2, hh = fh * std::fabs(sy) / 2;
  int x0 = std::max(0, int(std::floor(cx - hw))), x1 = std::min(cv.w, int(std::ceil(cx + hw)));
  int y0 = std::max(0, int(std::floor(cy - hh))), y1 = std::min(cv.h, int(std::ceil(cy + hh)));
  float tint[3] = {tr / 255.f, tg / 255.f, tb / 255.f};
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) {
      int u = int(std::floor((x + 0.5f - cx) / sx + fw / 2.f)), v = int(std::floor((y + 0.5f - cy) / sy + fh / 2.f));
      if (u < 0 || v < 0 || u >= fw || v >= fh) continue;
      const uint8_t* p = img.At(fx + u, fy + v);
      float a = p[3] / 255.f * alpha;
      float* d = cv.At(x, y);
      for (int k = 0; k < 3; k++) {
        float s = p[k] / 255.f * std::clamp(tint[k], 0.f, 1.f);
        switch (blend) {
          case Blend::kAlpha: d[k] = s * a + d[k] * (1 - a); break;
          case Blend::kAdd: d[k] += s * a; break;
          case Blend::kMultiply: d[k] *= s; break;
          case Blend::kCopy: d[k] = s; break;
        }
      }
    }
}

// Copies a canvas into an image at (x, y).
void Put(Image& sheet, Canvas& cv, int x, int y) {
  for (int j = 0; j < cv.h; j++)
    for (int i = 0; i < cv.w; i++) {
      int px = x + i, py = y + j;
      if (px < 0 || py < 0 || px >= sheet.w || py >= sheet.h) continue;
      uint8_t* d = sheet.At(px, py);
      for (int k = 0; k < 3; k++) d[k] = uint8_t(std::clamp(cv.At(i, j)[k], 0.f, 1.f) * 255 + 0.5f);
      d[3] = 255;
    }
}

// A canvas at half size, each pixel the mean of four.
Canvas Halve(Canvas& cv) {
  Canvas h(cv.w / 2, cv.h / 2);
  for (int y = 0; y < h.h; y++)
    for (int x = 0; x < h.w; x++)
      for (int k = 0; k < 3; k++)
        h.At(x, y)[k] = (cv.At(2 * x, 2 * y)[k] + cv.At(2 * x + 1, 2 * y)[k] + cv.At(2 * x, 2 * y + 1)[k] +
                         cv.At(2 * x + 1, 2 * y + 1)[k]) / 4;
  return h;
}

// The game's text layout: cell centres at the pen, advances from the width
// table, the T/Y/V pairs tucked in before lower case; centred on x when
// centre is set.
void PaintText(Canvas& cv, const Image& font, const std::string& text, int x, int y, int r, int g, int b,
               bool centre = false, float alpha = 1.f) {
  auto step = [&](size_t i) {
    unsigned char next = i + 1 < text.size() ? (unsigned char)text[i + 1] : 0;
    return int(KernedAdvance((unsigned char)text[i], next));
  };
  y += 16;
  if (centre) {
    int w = 0;
    for (size_t i = 0; i < text.size(); i++) w += step(i);
    x = x - w / 2 + 16;
  }
  for (size_t i = 0; i < text.size(); i++) {
    int c = (unsigned char)text[i];
    if (c != ' ')
      Paint(cv, font, (c - 32) % 10 * 32, (c - 32) / 10 * 32, 32, 32, float(x), float(y), 1, 1, r, g, b, alpha,
            Blend::kAlpha);
    x += step(i);
  }
}

// Loads a generated picture back; prints a reason when it cannot.
bool Load(const std::string& outdir, const std::string& stem, Image& img) {
  if (ReadPng(GfxPath(outdir, stem), img)) return true;
  std::fprintf(stderr, "pfmediagen: cannot read back %s\n", GfxPath(outdir, stem).c_str());
  return false;
}

// The catalogue as the sheet lays it out: the awards, which the game loads
// in an order of their own, take their places in award-index order.
std::vector<CataloguePicture> SheetOrder(const std::vector<CataloguePicture>& catalogue) {
  std::vector<CataloguePicture> order;
  int nextaward = 0;
  for (const CataloguePicture& s : catalogue) {
    if (AwardOfStem(s.stem) < 0) {
      order.push_back(s);
      continue;
    }
    const char* stem = kAwardPictures[nextaward++].stem;
    for (const CataloguePicture& a : catalogue)
      if (a.stem == stem) order.push_back(a);
  }
  return order;
}

}  // namespace

// Draws every picture of the catalogue and writes it to outdir/gfx.
bool GenerateImages(const std::string& outdir) {
  std::vector<CataloguePicture> catalogue;
  if (!PictureCatalogue(catalogue)) return false;
  for (const CataloguePicture& s : catalogue) {
    Image img = s.make();
    if (s.count > 0 && (img.w % s.cellw || img.h % s.cellh || (img.w / s.cellw) * (img.h / s.cellh) < s.count)) {
      std::fprintf(stderr, "pfmediagen: %s is %dx%d, not %d cells of %dx%d\n", s.stem.c_str(), img.w, img.h,
                   s.count, s.cellw, s.cellh);
      return false;
    }
    if (!WritePng(GfxPath(outdir, s.stem), img)) return false;
  }
  return true;
}

// Writes the 50 by 34 border map: the tiles that frame the arena.
bool GenerateBorderMap(const std::string& outdir) {
  std::string path = outdir + "/misc/BGmap.bnk";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "pfmediagen: cannot write %s\n", path.c_str());
    return false;
  }
  unsigned char map[34 * 50];
  for (int i = 0; i < 34; i++)
    for (int j = 0; j < 50; j++) map[i * 50 + j] = (unsigned char)BorderCode(i, j);
  bool ok = std::fwrite(map, 1, sizeof map, f) == sizeof map;
  return std::fclose(f) == 0 && ok;
}

// Lays out every frame of every picture on black with labels, plus previews
// of text, the arena corners and the two intros as the game composes them.
bool WriteContactSheet(const std::string& outdir, const std::string& sheetpath) {
  const int W = 1640, gap = 2, margin = 12;
  struct Block {
    std::string label;
    Canvas canvas;
  };
  std::vector<Block> blocks;
  // Every picture is read back once and shared by all the sections below.
  std::map<std::string, Image> loaded;
  auto load = [&](const std::string& stem) -> const Image* {
    auto it = loaded.find(stem);
    if (it == loaded.end()) {
      Image img;
      if (!Load(outdir, stem, img)) return nullptr;
      it = loaded.emplace(stem, std::move(img)).first;
    }
    return &it->second;
  };
  const Image* fontpic = load("font");
  if (!fontpic) return false;
  const Image& font = *fontpic;

  std::vector<CataloguePicture> catalogue;
  if (!PictureCatalogue(catalogue)) return false;
  for (const CataloguePicture& s : SheetOrder(catalogue)) {
    const Image* pic = load(s.stem);
    if (!pic) return false;
    const Image& img = *pic;
    int cw = s.count ? s.cellw : img.w, ch = s.count ? s.cellh : img.h, n = s.count ? s.count : 1;
    int across = img.w / cw, rows = (n + across - 1) / across;
    int show = s.stem == "white2" || s.stem == "menubar01" ? 4 : 1;  // tiny pictures are enlarged
    Canvas cv(across * (cw * show + gap) - gap, rows * (ch * show + gap) - gap);
    for (int f = 0; f < n; f++) {
      int fx = f % across * cw, fy = f / across * ch;
      float ox = f % across * (cw * show + gap), oy = f / across * (ch * show + gap);
      for (int y = 0; y < ch * show; y++)
        for (int x = 0; x < cw * show; x++) {
          float* d = cv.At(int(ox) + x, int(oy) + y);
          d[0] = d[1] = 0.05f;
          d[2] = 0.08f;
        }
      Blend b = s.stem == "kelvarcmask" ? Blend::kCopy : Blend::kAdd;
      Paint(cv, img, fx, fy, cw, ch, ox + cw * show / 2.f, oy + ch * show / 2.f, float(show), float(show), s.tr, s.tg,
            s.tb, 1, b);
    }
    char label[96];
    std::snprintf(label, sizeof label, "%s %dX%d%s", s.stem.c_str(), cw, ch,
                  s.count ? (" X" + std::to_string(s.count)).c_str() : "");
    blocks.push_back({label, std::move(cv)});
  }

  // Text laid out the way the game lays it out.
  {
    Canvas cv(820, 150);
    PaintText(cv, font, "Tea TEA Hi PULSEFIELD 0123456789", 16, 4, 255, 255, 255);
    PaintText(cv, font, "the quick brown fox jumps over the lazy dog", 16, 40, 32, 192, 32);
    PaintText(cv, font, "SCORE 1,234,567 x10! [OK] (a+b)=c? Vex Yo", 16, 76, 255, 255, 64);
    PaintText(cv, font, "#$%&'*-./:;<=>@\\^_`{|}~\x7f\x80", 16, 112, 64, 200, 255);
    blocks.push_back({"FONT LAYOUT", std::move(cv)});
  }
  // The arena's top-left and bottom-right corners, tiles at their map places.
  for (int corner = 0; corner < 2; corner++) {
    int wx0 = corner ? 1424 : 464, wy0 = corner ? 912 : 208;
    Canvas cv(256, 256);
    for (int i = 0; i < 34; i++)
      for (int j = 0; j < 50; j++) {
        int code = BorderCode(i, j);
        if (!code || code == 7) continue;
        char stem[16];
        std::snprintf(stem, sizeof stem, "border%02d", code);
        const Image* tile = load(stem);
        if (!tile) return false;
        Paint(cv, *tile, 0, 0, tile->w, tile->h, float(32 * j + 32 - wx0), float(32 * i + 64 - wy0), 1, 1, 255, 255, 255,
              0.83f, Blend::kAdd);
      }
    blocks.push_back({corner ? "BORDER BOTTOM RIGHT" : "BORDER TOP LEFT", std::move(cv)});
  }
  // A moment of play and the title menu, as the game composes them.
  {
    for (const char* stem : {"border01", "border02", "border03", "border04", "border05", "border06",
                                      "border08", "border09", "player", "playerbullet01", "score", "scorehigh",
                                      "scorebomb", "nme01", "nme02", "nme03", "nme04", "nme05", "nme06", "nme07",
                                      "nme07b", "nme08", "nme09", "nme09shield", "nme10", "nme10b", "nme10c",
                                      "star01", "star02", "star03", "partex01", "scorenumos", "playershield",
                                      "titlelogo", "white2", "menubar01", "playersight", "multiplier"})
      if (!load(stem)) return false;
    auto pic = [&](const std::string& stem) -> const Image& { return loaded.at(stem); };
    auto draw = [&](Canvas& cv, const std::string& stem, float x, float y, int r, int g, int b, float a = 1,
                    float sx = 1, float sy = 1, Blend bl = Blend::kAdd, int frame = 0) {
      const Image& im = pic(stem);
      int cw = im.w, ch = im.h;
      if (stem == "nme09shield") cw = ch = 48;
      if (stem == "scorenumos") cw = 8, ch = 16;
      if (stem == "multiplier") cw = 152, ch = 32;
      int across = im.w / cw;
      Paint(cv, im, frame % across * cw, frame / across * ch, cw, ch, x, y, sx, sy, r, g, b, a, bl);
    };
    Canvas play(800, 600);
    const int camx = 700 / 2 + 140, camy = 420 / 2 + 48;  // the ship at (700, 420)
    for (int i = 0; i < 60; i++)
      draw(play, i % 3 ? "star01" : i % 2 ? "star02" : "star03", float((i * 397) % 800), float((i * 211) % 600),
           100 + i * 37 % 156, 100 + i * 53 % 156, 100 + i * 71 % 156);
    for (int gx = 560; gx <= 1584; gx += 32)  // the grid at rest, NORMAL
      for (int y = 0; y < 600; y++) {
        int sx = gx - camx, wy = y + camy;
        if (sx < 1 || sx >= 799 || wy < 304 || wy > 1072 || gx == 560) continue;
        for (int k = -1; k <= 1; k++) {
          float* d = play.At(sx + k, y);
          d[0] += 0.5f * 16 / 255.f, d[1] += 0.5f * 16 / 255.f, d[2] += 0.5f * 192 / 255.f;
        }
      }
    for (int gy = 304; gy <= 1072; gy += 32)
      for (int x = 0; x < 800; x++) {
        int sy = gy - camy, wx = x + camx;
        if (sy < 1 || sy >= 599 || wx < 560 || wx > 1584 || gy == 304) continue;
        for (int k = -1; k <= 1; k++) {
          float* d = play.At(x, sy + k);
          d[0] += 0.5f * 16 / 255.f, d[1] += 0.5f * 16 / 255.f, d[2] += 0.5f * 192 / 255.f;
        }
      }
    for (int i = 0; i < 34; i++)
      for (int j = 0; j < 50; j++) {
        int code = BorderCode(i, j);
        if (!code) continue;
        char stem[16];
        std::snprintf(stem, sizeof stem, "border%02d", code);
        draw(play, stem, float(32 * j + 32 - camx), float(32 * i + 64 - camy), 255, 255, 255, 0.66f);
      }
    struct Foe {
      const char* stem;
      int wx, wy, r, g, b;
    };
    const Foe foes[] = {{"nme01", 620, 560, 128, 64, 255}, {"nme02", 680, 600, 24, 255, 255},
                        {"nme03", 740, 560, 255, 24, 255}, {"nme04", 780, 610, 255, 24, 255},
                        {"nme05", 840, 570, 24, 255, 24},  {"nme06", 900, 580, 64, 64, 255},
                        {"nme08", 960, 570, 255, 255, 24}, {"nme09", 1000, 400, 255, 64, 64},
                        {"nme10", 640, 700, 255, 64, 64},  {"nme07", 1150, 640, 96, 32, 255}};
    for (const Foe& f : foes) draw(play, f.stem, float(f.wx - camx), float(f.wy - camy), f.r, f.g, f.b);
    for (int k = 1; k <= 8; k++)
      draw(play, "nme07b", float(1150 - 16 * k - camx), float(640 - camy), 255, 128, 32, 1, 1 - k / 36.f, 1);
    draw(play, "nme09shield", float(1000 - camx), float(400 - camy), 255, 128, 64, 1, 2, 3, Blend::kAdd, 1);
    draw(play, "nme10c", float(800 - camx), float(740 - camy), 255, 32, 8, 0.25f, 3, 3);
    draw(play, "nme10b", float(800 - camx), float(740 - camy), 255, 32, 8, 1, 3, 3);
    draw(play, "nme10", float(800 - camx), float(740 - camy), 255, 100, 100, 1, 1.3f, 1.3f, Blend::kAlpha);
    draw(play, "player", float(700 - camx), float(420 - camy), 255, 255, 255);
    draw(play, "playershield", float(700 - camx), float(420 - camy), 192, 192, 192, 0.8f);
    for (int k = 0; k < 3; k++)
      draw(play, "playerbullet01", float(700 - 7 + 14 * (k & 1) + 40 + 36 * k - camx), float(420 + 10 - camy), 255,
           200, 64);
    draw(play, "partex01", float(1050 - camx), float(500 - camy), 255, 160, 96, 0.6f, 2.5f, 2.5f);
    draw(play, "scorenumos", float(760 - 8 - camx), float(520 - camy), 255, 255, 0, 1, 1, 1, Blend::kAdd, 1);
    draw(play, "scorenumos", float(760 - camx), float(520 - camy), 255, 255, 0, 1, 1, 1, Blend::kAdd, 0);
    draw(play, "scorenumos", float(760 + 8 - camx), float(520 - camy), 255, 255, 0, 1, 1, 1, Blend::kAdd, 0);
    draw(play, "multiplier", float(900 - camx), float(480 - camy), 200, 200, 200, 1, 1.2f, 1.2f, Blend::kAdd, 1);
    draw(play, "score", 48, 16, 32, 255, 32);
    draw(play, "scorehigh", 720, 16, 32, 255, 32);
    const std::string score = "1,234,560", high = "9,876,540";
    for (size_t i = 0, x = 24; i < score.size(); x += score[i] == ',' ? 6 : 14, i++)
      Paint(play, font, (score[i] - 32) % 10 * 32, (score[i] - 32) / 10 * 32, 32, 32, float(x), 48, 1, 1, 32, 200,
            32, 1, Blend::kAdd);
    for (size_t i = 0, x = 806 - 14 * high.size() + 16; i < high.size(); x += high[i] == ',' ? 6 : 14, i++)
      Paint(play, font, (high[i] - 32) % 10 * 32, (high[i] - 32) / 10 * 32, 32, 32, float(x), 48, 1, 1, 32, 200,
            32, 1, Blend::kAdd);
    for (int i = 0; i < 3; i++) draw(play, "player", float(416 - 96 + 32 * i), 18, 32, 255, 32, 1, 0.8f, 0.8f);
    for (int i = 0; i < 2; i++) draw(play, "scorebomb", float(416 + 32 * i), 18, 32, 255, 32);
    blocks.push_back({"PLAY SCENE", std::move(play)});

    Canvas menu(800, 600);
    for (int i = 0; i < 80; i++)
      draw(menu, i % 3 ? "star01" : "star02", float((i * 397) % 800), float((i * 211) % 600), 100 + i * 37 % 156,
           100 + i * 53 % 156, 100 + i * 71 % 156);
    draw(menu, "titlelogo", 400, 150, 32, 255, 32, 1, 1, 1, Blend::kAlpha);
    PaintText(menu, font, "v0.97", 664, 204, 32, 255, 32, true);
    const char* lines[] = {"START GAME", "HIGH SCORES", "AWARDS", "OPTIONS", "CREDITS", "QUIT"};
    const int entries = 6, my = 384, half = (entries + 1) * 16;
    draw(menu, "white2", 400, my, 2, 24, 2, 0.75f, 8, entries + 1, Blend::kAlpha);
    draw(menu, "menubar01", 400, float(my - 40), 32, 255, 32, 0.125f, 100, 4);
    draw(menu, "menubar01", 400, float(my - half), 0, 255, 0, 1, 100, 1, Blend::kAlpha);
    draw(menu, "menubar01", 400, float(my + half), 0, 255, 0, 1, 100, 1, Blend::kAlpha);
    for (int i = 0; i < entries; i++)
      PaintText(menu, font, lines[i], 400, my - entries * 16 + 4 + 32 * i, i == 1 ? 255 : 32, i == 1 ? 255 : 192,
                i == 1 ? 64 : 32, true);
    PaintText(menu, font, "PRESS FIRE TO PLAY", 400, 552, 32, 255, 32, true);
    draw(menu, "playersight", 560, 420, 64, 255, 64, 1, 1, 1, Blend::kAlpha);
    blocks.push_back({"TITLE SCENE", std::move(menu)});
  }
  // The intros at moments of their play, half size.
  {
    for (const char* stem : {"kelvarc", "kelvarcmask", "kelvane", "kelvtext", "qvobg", "qvozarq", "qvozorv",
                             "qvoline", "qvocover", "qvoshine"})
      if (!load(stem)) return false;
    const Image &arc = loaded.at("kelvarc"), &mask = loaded.at("kelvarcmask"), &name = loaded.at("kelvane"),
                &text = loaded.at("kelvtext"), &bg = loaded.at("qvobg"), &zarq = loaded.at("qvozarq"),
                &zorv = loaded.at("qvozorv"), &line = loaded.at("qvoline"), &cover = loaded.at("qvocover"),
                &shine = loaded.at("qvoshine");
    auto whole = [](Canvas& cv, const Image& img, float x, float y, float sx, int v, float a, Blend b) {
      Paint(cv, img, 0, 0, img.w, img.h, x, y, sx, 1, v, v, v, a, b);
    };
    for (int maskx : {4, -41, -116}) {
      Canvas cv(800, 600);
      whole(cv, arc, 328, 308, 1, 255, 1, Blend::kAlpha);
      whole(cv, mask, float(328 + maskx), 308, 2, 255, 1, Blend::kMultiply);
      whole(cv, name, 412, 300, 1, 255, 1, Blend::kAlpha);
      if (maskx == -116) whole(cv, text, 412, 324, 1, 255, 1, Blend::kAlpha);
      blocks.push_back({"GROUP INTRO MASK " + std::to_string(maskx), Halve(cv)});
    }
    for (int step = 0; step < 3; step++) {
      Canvas cv(800, 600);
      float linex = step == 0 ? 200.f : step == 1 ? 330.f : 400.f;
      whole(cv, bg, 400, 300, 1, 255, 1, Blend::kAlpha);
      whole(cv, zarq, 400, step == 0 ? 250.f : 300.f, 1, 255, 1, Blend::kAlpha);
      whole(cv, zorv, 400, step == 0 ? 350.f : 300.f, 1, 255, 1, Blend::kAlpha);
      whole(cv, line, linex, 300, 1, 255, step == 0 ? 0.3f : 1.f, Blend::kAlpha);
      if (step < 2) whole(cv, cover, 180, 300, 1, 255, 1, Blend::kAlpha);
      if (step == 2) whole(cv, shine, 400, 300, 1, 255, 0.35f, Blend::kAdd);
      blocks.push_back({"SPLASH STEP " + std::to_string(step), Halve(cv)});
    }
  }

  // Flow the blocks into rows.
  struct Place {
    int x, y;
  };
  std::vector<Place> places;
  int x = margin, y = margin, rowh = 0;
  for (const Block& b : blocks) {
    int bw = std::max(b.canvas.w, LabelWidth(b.label)), bh = b.canvas.h + 11;
    if (x + bw > W - margin && x > margin) {
      x = margin;
      y += rowh + margin;
      rowh = 0;
    }
    places.push_back({x, y});
    x += bw + margin;
    rowh = std::max(rowh, bh);
  }
  Image sheet(W, y + rowh + margin);
  for (size_t i = 0; i < sheet.px.size(); i += 4) sheet.px[i + 3] = 255;
  for (size_t i = 0; i < blocks.size(); i++) {
    DrawLabel(sheet, places[i].x, places[i].y, blocks[i].label, 200, 200, 200);
    Put(sheet, blocks[i].canvas, places[i].x, places[i].y + 11);
  }
  return WritePng(sheetpath, sheet);
}
