// Checks the generated pictures and border map in the build's data folder:
// every file the game loads decodes with its cells and frames, the pictures
// the game tints are white, the font's ink fits its advances, and the border
// map frames the arena.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/run_helpers.h"

namespace {

const std::string kData = PULSEFIELD_BINARY_DIR "/data";

struct Picture {
  int w = 0, h = 0;
  std::vector<uint8_t> px;  // RGBA
  const uint8_t* At(int x, int y) const { return &px[(size_t(y) * w + x) * 4]; }
};

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

bool LoadPicture(const std::string& stem, Picture& p) {
  png_image pi;
  std::memset(&pi, 0, sizeof pi);
  pi.version = PNG_IMAGE_VERSION;
  std::string path = kData + "/gfx/" + stem + ".png";
  if (!png_image_begin_read_from_file(&pi, path.c_str())) return false;
  pi.format = PNG_FORMAT_RGBA;
  p.w = int(pi.width);
  p.h = int(pi.height);
  p.px.assign(PNG_IMAGE_SIZE(pi), 0);
  return png_image_finish_read(&pi, nullptr, p.px.data(), 0, nullptr) != 0;
}

struct Entry {
  const char* stem;
  int cellw, cellh, count;  // count 0: one frame, the whole picture
};

const Entry kImages[] = {
    {"titlelogo", 0, 0, 0},   {"font", 32, 32, 100},     {"fontsmall", 8, 8, 768},  {"menubar01", 0, 0, 0},
    {"white", 0, 0, 0},       {"white2", 0, 0, 0},       {"score", 0, 0, 0},        {"scorehigh", 0, 0, 0},
    {"scorenumos", 8, 16, 10}, {"scorebomb", 0, 0, 0},   {"multiplier", 152, 32, 9}, {"border01", 0, 0, 0},
    {"border02", 0, 0, 0},    {"border03", 0, 0, 0},     {"border04", 0, 0, 0},     {"border05", 0, 0, 0},
    {"border06", 0, 0, 0},    {"border07c", 0, 0, 0},    {"border08", 0, 0, 0},     {"border09", 0, 0, 0},
    {"star01", 0, 0, 0},      {"star02", 0, 0, 0},       {"star03", 0, 0, 0},       {"player", 0, 0, 0},
    {"playersight", 0, 0, 0}, {"playershield", 0, 0, 0}, {"playerrez01", 0, 0, 0},  {"playerrez02", 0, 0, 0},
    {"playerrez03", 0, 0, 0}, {"playerrez04", 0, 0, 0},  {"playerrez05", 0, 0, 0},  {"thrust02", 0, 0, 0},
    {"bomb01", 0, 0, 0},      {"playerbullet01", 0, 0, 0}, {"part01", 0, 0, 0},     {"part02", 0, 0, 0},
    {"nme01", 0, 0, 0},       {"nme02", 0, 0, 0},        {"nme03", 0, 0, 0},        {"nme04", 0, 0, 0},
    {"nme05", 0, 0, 0},       {"nme06", 0, 0, 0},        {"nme07", 0, 0, 0},        {"nme07b", 0, 0, 0},
    {"nme08", 0, 0, 0},       {"nme09", 0, 0, 0},        {"nme09shield", 48, 48, 4}, {"nme10", 0, 0, 0},
    {"nme10b", 0, 0, 0},      {"nme10c", 0, 0, 0},       {"partex01", 0, 0, 0},     {"partex02", 0, 0, 0},
    {"awdpansy", 0, 0, 0},    {"awdsucker", 0, 0, 0},    {"awd100t", 0, 0, 0},      {"awd250t", 0, 0, 0},
    {"awd500t", 0, 0, 0},     {"awd1000t", 0, 0, 0},     {"awd100c", 0, 0, 0},      {"awd250c", 0, 0, 0},
    {"awd500c", 0, 0, 0},     {"awd1000c", 0, 0, 0},     {"awdquarter", 0, 0, 0},   {"awdmulti", 0, 0, 0},
    {"awdskill", 0, 0, 0},    {"awdnoshoot", 0, 0, 0},   {"qvobg", 0, 0, 0},        {"qvozarq", 0, 0, 0},
    {"qvozorv", 0, 0, 0},     {"qvoline", 0, 0, 0},      {"qvocover", 0, 0, 0},     {"qvoshine", 0, 0, 0},
    {"kelvarc", 0, 0, 0},     {"kelvarcmask", 0, 0, 0},  {"kelvane", 0, 0, 0},      {"kelvtext", 0, 0, 0},
};

// True when every visible pixel is grey (the game's tint gives the colour).
bool IsGrey(const Picture& p) {
  for (int y = 0; y < p.h; y++)
    for (int x = 0; x < p.w; x++) {
      const uint8_t* q = p.At(x, y);
      if (q[3] > 8 && (q[0] != q[1] || q[1] != q[2])) return false;
    }
  return true;
}

// Leftmost and rightmost columns of a font cell whose alpha reaches half.
void InkColumns(const Picture& font, int code, int& left, int& right) {
  int cx = (code - 32) % 10 * 32, cy = (code - 32) / 10 * 32;
  left = 99;
  right = -1;
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++)
      if (font.At(cx + x, cy + y)[3] >= 128) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
}

}  // namespace

TEST(MediaImages, EveryPictureDecodesWithItsCellsAndLooksRight) {
  for (const Entry& e : kImages) {
    SCOPED_TRACE(e.stem);
    Picture p;
    ASSERT_TRUE(LoadPicture(e.stem, p));
    ASSERT_GT(p.w, 0);
    ASSERT_GT(p.h, 0);
    if (e.count > 0) {
      EXPECT_EQ(p.w % e.cellw, 0);
      EXPECT_EQ(p.h % e.cellh, 0);
      EXPECT_GE((p.w / e.cellw) * (p.h / e.cellh), e.count);
    }
  }

  // Everything the game colours with a tint is white or grey.
  for (const char* stem : {"font", "titlelogo", "nme01", "nme05", "nme09", "nme09shield", "nme10", "bomb01",
                           "playerbullet01", "part01", "partex01", "star02", "scorenumos", "multiplier",
                           "score", "scorehigh", "awd100t", "playershield", "playerrez01", "white2", "menubar01"}) {
    SCOPED_TRACE(stem);
    Picture p;
    ASSERT_TRUE(LoadPicture(stem, p));
    EXPECT_TRUE(IsGrey(p));
  }
  // The ship and the intro pictures are drawn in white and carry colour.
  for (const char* stem : {"player", "kelvarc", "qvozarq", "border02"}) {
    Picture p;
    ASSERT_TRUE(LoadPicture(stem, p));
    EXPECT_FALSE(IsGrey(p)) << stem;
  }

  // The menu panel is drawn 8 wide and (lines + 1) tall: 640 across and 32 a
  // line; the scan bar, drawn 100 wide, spans it.
  Picture white2, bar;
  ASSERT_TRUE(LoadPicture("white2", white2));
  ASSERT_TRUE(LoadPicture("menubar01", bar));
  EXPECT_EQ(white2.w * 8, 640);
  EXPECT_EQ(white2.h, 32);
  EXPECT_NEAR(bar.w * 100, 640, 200);

  // The bomb ring is drawn at radius / 64, so its rim lies at the edge of a
  // 128-pixel picture and the middle is nearly empty.
  Picture bomb;
  ASSERT_TRUE(LoadPicture("bomb01", bomb));
  ASSERT_EQ(bomb.w, 128);
  ASSERT_EQ(bomb.h, 128);
  int brightest = 0;
  for (int x = 0; x < 64; x++)
    if (bomb.At(x, 64)[3] > bomb.At(brightest, 64)[3]) brightest = x;
  EXPECT_LE(brightest, 4);
  EXPECT_LT(bomb.At(64, 64)[3], 32);

  // The wipe mask multiplies the arc: opaque, black on its left, white on its right.
  Picture mask;
  ASSERT_TRUE(LoadPicture("kelvarcmask", mask));
  EXPECT_EQ(mask.At(0, mask.h / 2)[0], 0);
  EXPECT_EQ(mask.At(mask.w - 1, mask.h / 2)[0], 255);
  EXPECT_EQ(mask.At(mask.w / 2, 0)[3], 255);
}

TEST(MediaImages, FontInkFitsItsAdvanceWidths) {
  Picture font;
  ASSERT_TRUE(LoadPicture("font", font));
  // Advances of a few glyphs (capitals 26 or 25, lower case and digits 14, "i" 5).
  const struct {
    char c;
    int advance;
  } kGlyphs[] = {{'A', 26}, {'H', 25}, {'W', 26}, {'m', 14}, {'e', 14}, {'0', 14}, {'7', 14}, {'i', 5}, {'!', 5}};
  for (const auto& g : kGlyphs) {
    SCOPED_TRACE(std::string(1, g.c));
    int left, right;
    InkColumns(font, g.c, left, right);
    ASSERT_GE(right, left);
    // The pen is the cell's left edge: ink starts there and ends before the
    // next glyph's ink begins.
    EXPECT_LE(left, 2);
    EXPECT_LT(right, g.advance);
    EXPECT_GE(right - left + 1, g.advance - 6);
  }
  // The space and the three blank codes draw nothing; the cursor (128) does.
  for (int code : {32, 129, 130, 131}) {
    int left, right;
    InkColumns(font, code, left, right);
    EXPECT_EQ(right, -1) << code;
  }
  int left, right;
  InkColumns(font, 128, left, right);
  EXPECT_GE(right - left, 20);
}

TEST(MediaBorderMap, FramesTheArenaAndNothingElse) {
  std::ifstream f(kData + "/misc/BGmap.bnk", std::ios::binary);
  ASSERT_TRUE(f.good());
  std::vector<unsigned char> map((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ASSERT_EQ(map.size(), 1700u);
  // A drawing tile (codes 1-6, 8, 9) at row i, column j is centred at world
  // (32 j + 32, 32 i + 64) and is 32 pixels square; the arena is x 560..1584,
  // y 304..1072.
  int drawn = 0;
  bool seen[10] = {};
  for (int i = 0; i < 34; i++)
    for (int j = 0; j < 50; j++) {
      int code = map[i * 50 + j];
      int x0 = 32 * j + 16, x1 = x0 + 32, y0 = 32 * i + 48, y1 = y0 + 32;
      bool touches = x1 >= 560 && x0 <= 1584 && y1 >= 304 && y0 <= 1072;
      bool inside = x0 >= 560 && x1 <= 1584 && y0 >= 304 && y1 <= 1072;
      bool ring = touches && !inside;
      bool draws = code >= 1 && code <= 9 && code != 7;
      EXPECT_EQ(draws, ring) << "row " << i << " column " << j << " code " << code;
      EXPECT_TRUE(code == 0 || draws) << "row " << i << " column " << j;
      if (draws) {
        drawn++;
        seen[code] = true;
        // Each tile lies outside the arena and shares an edge or a corner with it.
        EXPECT_FALSE(x0 < 560 && x1 > 560) << i << "," << j;
        EXPECT_FALSE(y0 < 1072 && y1 > 1072) << i << "," << j;
      }
    }
  // 32 tiles along each long side, 24 along each short one, and 4 corners.
  EXPECT_EQ(drawn, 2 * 32 + 2 * 24 + 4);
  for (int code : {1, 2, 3, 4, 5, 6, 8, 9}) EXPECT_TRUE(seen[code]) << code;
}

TEST(MediaImages, GeneratingAgainGivesTheSameBytes) {
  // The build's data folder came from an earlier run; nothing may depend on
  // the clock or a random device.
  ScratchDir scratch("media_images_again");
  std::string dir = (scratch / "out").string();
  RunResult r = RunProgram(PULSEFIELD_BINARY_DIR "/pfmediagen", {"--out", dir, "--only", "images"},
                           scratch / "stderr.txt");
  ASSERT_EQ(r.code, 0) << r.err;
  for (const Entry& e : kImages) {
    std::string name = std::string("/gfx/") + e.stem + ".png";
    EXPECT_EQ(FileBytes(dir + name), FileBytes(kData + name)) << e.stem;
  }
}
