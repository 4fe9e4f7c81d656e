// Checks the generated pictures and border map in the build's data folder:
// every file the game loads decodes with its cells and frames, the pictures
// the game tints are white, the font's ink fits its advances, and the border
// map frames the arena.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/compress.h"
#include "platform/media_checks.h"
#include "platform/render.h"
#include "services/font_widths.h"
#include "services/picture_list.h"
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

// The picture decoded once per run by the game's own loader (whole, no
// mask, handles at the corner); null when the file does not load.
const Picture* Pic(const std::string& stem) {
  static std::map<std::string, Picture> cache;
  auto it = cache.find(stem);
  if (it == cache.end()) {
    SetCentreHandles(0);
    SetMaskColor(0, 0, 0);
    std::unique_ptr<TImage> img(LoadImage(kData + "/gfx/" + stem + ".png", 0));
    Picture p;
    if (img && img->FrameCount() == 1) {
      p.w = img->width;
      p.h = img->height;
      p.px = std::move(img->pixmaps[0]);
    }
    it = cache.emplace(stem, std::move(p)).first;
  }
  return it->second.w > 0 ? &it->second : nullptr;
}

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
  for (const PictureEntry& e : kPictures) {
    SCOPED_TRACE(e.stem);
    const Picture* pic = Pic(e.stem);
    ASSERT_NE(pic, nullptr);
    const Picture& p = *pic;
    ASSERT_GT(p.w, 0);
    ASSERT_GT(p.h, 0);
    if (e.count > 0) {
      EXPECT_EQ(p.w % e.cellw, 0);
      EXPECT_EQ(p.h % e.cellh, 0);
      EXPECT_GE((p.w / e.cellw) * (p.h / e.cellh), e.count);
      // ...and the game's loader cuts that many cells of that size.
      SetCentreHandles(0);
      std::unique_ptr<TImage> cells(
          LoadImageCells(kData + "/gfx/" + e.stem + ".png", e.cellw, e.cellh, 0, e.count, 0));
      ASSERT_NE(cells, nullptr);
      EXPECT_EQ(cells->FrameCount(), e.count);
      EXPECT_EQ(cells->width, e.cellw);
      EXPECT_EQ(cells->height, e.cellh);
    }
  }

  // Everything the game colours with a tint is white or grey.
  for (const char* stem : {"font", "titlelogo", "nme01", "nme05", "nme09", "nme09shield", "nme10", "bomb01",
                           "playerbullet01", "part01", "partex01", "star02", "scorenumos", "multiplier",
                           "score", "scorehigh", "awd100t", "playershield", "playerrez01", "white2", "menubar01"}) {
    SCOPED_TRACE(stem);
    const Picture* p = Pic(stem);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(IsGrey(*p));
  }
  // The ship and the intro pictures are drawn in white and carry colour.
  for (const char* stem : {"player", "kelvarc", "qvozarq", "border02"}) {
    const Picture* p = Pic(stem);
    ASSERT_NE(p, nullptr) << stem;
    EXPECT_FALSE(IsGrey(*p)) << stem;
  }

  // The menu panel is drawn 8 wide and (lines + 1) tall: 640 across and 32 a
  // line; the scan bar, drawn 100 wide, spans it.
  ASSERT_NE(Pic("white2"), nullptr);
  ASSERT_NE(Pic("menubar01"), nullptr);
  const Picture &white2 = *Pic("white2"), &bar = *Pic("menubar01");
  EXPECT_EQ(white2.w * 8, 640);
  EXPECT_EQ(white2.h, 32);
  EXPECT_NEAR(bar.w * 100, 640, 200);

  // The bomb ring is drawn at radius / 64, so its rim lies at the edge of a
  // 128-pixel picture and the middle is nearly empty.
  ASSERT_NE(Pic("bomb01"), nullptr);
  const Picture& bomb = *Pic("bomb01");
  ASSERT_EQ(bomb.w, 128);
  ASSERT_EQ(bomb.h, 128);
  int brightest = 0;
  for (int x = 0; x < 64; x++)
    if (bomb.At(x, 64)[3] > bomb.At(brightest, 64)[3]) brightest = x;
  EXPECT_LE(brightest, 4);
  EXPECT_LT(bomb.At(64, 64)[3], 32);

  // The wipe mask multiplies the arc: opaque, black on its left, white on its right.
  ASSERT_NE(Pic("kelvarcmask"), nullptr);
  const Picture& mask = *Pic("kelvarcmask");
  EXPECT_EQ(mask.At(0, mask.h / 2)[0], 0);
  EXPECT_EQ(mask.At(mask.w - 1, mask.h / 2)[0], 255);
  EXPECT_EQ(mask.At(mask.w / 2, 0)[3], 255);
}

TEST(MediaImages, FontInkFitsItsAdvanceWidths) {
  ASSERT_NE(Pic("font"), nullptr);
  const Picture& font = *Pic("font");
  // Every drawn glyph's ink ends before the pen moves on by its advance.
  for (int c = 33; c <= 128; c++) {
    int left, right;
    InkColumns(font, c, left, right);
    EXPECT_LT(right, kFontAdvance[c - 32]) << "code " << c;
  }
  // A few glyphs of each kind start at the pen and fill their advance.
  for (char c : {'A', 'H', 'W', 'm', 'e', '0', '7', 'i', '!'}) {
    SCOPED_TRACE(std::string(1, c));
    int advance = (int)kFontAdvance[c - 32];
    int left, right;
    InkColumns(font, c, left, right);
    ASSERT_GE(right, left);
    // The pen is the cell's left edge: ink starts there and ends before the
    // next glyph's ink begins.
    EXPECT_LE(left, 2);
    EXPECT_LT(right, advance);
    EXPECT_GE(right - left + 1, advance - 6);
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

// The zero is an open oval, in the font and in the score digits: nothing
// crosses its middle, since a slashed zero reads as a foreign letter at a
// glance. The font's zero stays far narrower than its letter O, so the two
// are still told apart.
TEST(MediaImages, ZeroIsOpenAndNarrowerThanTheLetterO) {
  // Ink box (alpha at least half) of a cell, and the brightest alpha in the
  // middle third of that box both ways.
  struct Glyph {
    int left = 99, right = -1, top = 99, bottom = -1, middle = 0;
  };
  auto look = [](const Picture& p, int x0, int y0, int w, int h) {
    Glyph g;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++)
        if (p.At(x0 + x, y0 + y)[3] >= 128) {
          g.left = std::min(g.left, x), g.right = std::max(g.right, x);
          g.top = std::min(g.top, y), g.bottom = std::max(g.bottom, y);
        }
    int iw = g.right - g.left + 1, ih = g.bottom - g.top + 1;
    for (int y = g.top + ih / 3; y <= g.bottom - ih / 3; y++)
      for (int x = g.left + iw / 3; x <= g.right - iw / 3; x++) g.middle = std::max(g.middle, (int)p.At(x0 + x, y0 + y)[3]);
    return g;
  };
  ASSERT_NE(Pic("font"), nullptr);
  ASSERT_NE(Pic("scorenumos"), nullptr);
  const Picture& font = *Pic("font");
  auto cell = [&](char c) { return look(font, (c - 32) % 10 * 32, (c - 32) / 10 * 32, 32, 32); };
  Glyph zero = cell('0'), oh = cell('O'), eight = cell('8');
  ASSERT_GE(zero.right, zero.left);
  EXPECT_LT(zero.middle, 64) << "the font's zero is crossed";
  EXPECT_GT(eight.middle, 128) << "the middle of the eight is where its strokes meet";
  EXPECT_GE(oh.right - oh.left, 3 * (zero.right - zero.left) / 2);
  Glyph score = look(*Pic("scorenumos"), 0, 0, 8, 16);
  ASSERT_GE(score.right, score.left);
  EXPECT_LT(score.middle, 96) << "the score's zero is crossed";
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
  int walls[4] = {};  // tiles beyond the left, right, top and bottom walls
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
        // Each tile lies outside the arena, beyond at least one wall, and
        // flush against every wall it is beyond: no tile straddles a wall or
        // stands off from it.
        bool left = x1 <= 560, right = x0 >= 1584, top = y1 <= 304, bottom = y0 >= 1072;
        EXPECT_TRUE(left || right || top || bottom) << i << "," << j;
        EXPECT_EQ(left, x1 == 560) << i << "," << j;
        EXPECT_EQ(right, x0 == 1584) << i << "," << j;
        EXPECT_EQ(top, y1 == 304) << i << "," << j;
        EXPECT_EQ(bottom, y0 == 1072) << i << "," << j;
        walls[0] += left;
        walls[1] += right;
        walls[2] += top;
        walls[3] += bottom;
      }
    }
  // 32 tiles along each long side, 24 along each short one, and 4 corners.
  EXPECT_EQ(drawn, 2 * 32 + 2 * 24 + 4);
  EXPECT_EQ(walls[0], 24 + 2);
  EXPECT_EQ(walls[1], 24 + 2);
  EXPECT_EQ(walls[2], 32 + 2);
  EXPECT_EQ(walls[3], 32 + 2);
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
  for (const PictureEntry& e : kPictures) {
    std::string name = std::string("/gfx/") + e.stem + ".png";
    EXPECT_EQ(FileBytes(dir + name), FileBytes(kData + name)) << e.stem;
  }
}

// The program's icon at every desktop size: that size, an opaque tile with
// see-through rounded corners, and the bright ship in the middle.
TEST(MediaImages, IconsComeAtEveryDesktopSizeAsRoundedTilesWithTheShip) {
  for (int size : {16, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    SetCentreHandles(0);
    std::unique_ptr<TImage> img(
        LoadImage(kData + "/icons/pulsefield-" + std::to_string(size) + ".png", 0));
    ASSERT_TRUE(img && img->FrameCount() == 1);
    EXPECT_EQ(img->width, size);
    EXPECT_EQ(img->height, size);
    Picture p{img->width, img->height, img->pixmaps[0]};
    EXPECT_LT(p.At(0, 0)[3], 32);                     // a rounded corner
    EXPECT_EQ(p.At(size / 2, size - 1)[3], 255);      // the tile's edge
    int brightest = 0;
    for (int y = size / 4; y < size * 3 / 4; y++)
      brightest = std::max(brightest, (int)p.At(size / 2, y)[1]);
    EXPECT_GT(brightest, 200);  // the ship's glowing hull down the middle
  }
}

// Damaged and oversized pictures kept with the fuzzing seeds: refused with a
// reason before any memory is taken for their pixels; the largest the game
// takes still loads, whether from a file or from memory.
TEST(MediaImages, PicturesOverTheSizeLimitOrDamagedAreRefusedWithTheirReason) {
  const std::string seeds = PULSEFIELD_SOURCE_DIR "/tests/fuzz/png/";
  std::string why;
  EXPECT_EQ(LoadImage(seeds + "huge-65535x65535.png", 0, &why), nullptr);
  EXPECT_EQ(why, "it is 65535x65535 pixels; the game takes pictures of at most 4096x4096");
  EXPECT_EQ(LoadImageCells(seeds + "too-wide-4097x1.png", 1, 1, 0, 1, 0, &why), nullptr);
  EXPECT_NE(why.find("4097x1 pixels"), std::string::npos) << why;
  std::unique_ptr<TImage> widest(LoadImage(seeds + "largest-4096x1.png", 0, &why));
  ASSERT_NE(widest, nullptr) << why;
  EXPECT_EQ(widest->width, 4096);
  EXPECT_EQ(LoadImage(seeds + "pixels-cut-short-16x16.png", 0, &why), nullptr);
  EXPECT_EQ(why.rfind("it is damaged", 0), 0u) << why;
  EXPECT_EQ(LoadImage(seeds + "zero-size.png", 0, &why), nullptr);
  EXPECT_EQ(why.rfind("it is not a PNG picture", 0), 0u) << why;
  EXPECT_EQ(LoadImageCells(seeds + "white.png", 64, 64, 0, 1, 0, &why), nullptr);
  EXPECT_NE(why.find("too small for 1 cells of 64x64"), std::string::npos) << why;
  EXPECT_EQ(LoadImage("/dev/zero", 0, &why), nullptr);
  EXPECT_EQ(why, "it is not a regular file");

  std::vector<char> bytes = FileBytes(seeds + "palette-with-transparency-8x8.png");
  std::unique_ptr<TImage> file(LoadImage(seeds + "palette-with-transparency-8x8.png", 0, &why));
  std::unique_ptr<TImage> memory(LoadImageCellsFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                          bytes.size(), 0, 0, 0, 1, 0, &why));
  ASSERT_NE(file, nullptr);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(file->pixmaps, memory->pixmaps);
  EXPECT_TRUE(file->hasalpha);
}

namespace {

// A PNG's chunks, each a type and its data.
struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};

std::vector<Chunk> Chunks(const std::vector<uint8_t>& png) {
  std::vector<Chunk> chunks;
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t n = size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 | png[at + 3];
    chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8),
                      std::vector<uint8_t>(png.begin() + at + 8, png.begin() + at + 8 + n)});
    at += 12 + n;
  }
  return chunks;
}

// The chunks written out again, each with its CRC made good.
std::vector<uint8_t> Png(const std::vector<Chunk>& chunks) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  auto put32 = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
  };
  for (const Chunk& c : chunks) {
    put32(uint32_t(c.data.size()));
    const size_t typeat = out.size();
    out.insert(out.end(), c.type.begin(), c.type.end());
    out.insert(out.end(), c.data.begin(), c.data.end());
    put32(PNGCrc(out.data() + typeat, 4 + c.data.size()));
  }
  return out;
}

// A 64x64 RGBA picture kept with the fuzzing seeds, damaged as the case
// says, and what both builds must say of it.
struct DamagedPicture {
  const char* name;
  void (*damage)(std::vector<uint8_t>& png);
  const char* why;
};

// Where the seed's chunks lie: IHDR at byte 8, its one IDAT at 33, then IEND.
constexpr size_t kIdatAt = 33;
const std::string kImageDataBroken = "it is damaged (its image data does not unpack, whole and checked, to its rows)";
const std::string kCutShort = "it is damaged (it is cut short before its IEND chunk)";

// Replaces the image data, keeping every CRC good.
void WithImageData(std::vector<uint8_t>& png, const std::vector<uint8_t>& z) {
  std::vector<Chunk> c = Chunks(png);
  c[1].data = z;
  png = Png(c);
}

const DamagedPicture kDamagedPictures[] = {
    {"ABadCrcOnItsImageData", [](std::vector<uint8_t>& p) { p[kIdatAt + 8 + Chunks(p)[1].data.size()] ^= 1; },
     "it is damaged (its IDAT chunk at byte 33 fails its CRC check)"},
    {"ABadCrcOnItsHeader", [](std::vector<uint8_t>& p) { p[8 + 8 + 13] ^= 1; },
     "it is damaged (its IHDR chunk at byte 8 fails its CRC check)"},
    {"ABadAdlerCheck",
     [](std::vector<uint8_t>& p) {
       std::vector<uint8_t> z = Chunks(p)[1].data;
       z.back() ^= 1;
       WithImageData(p, z);
     },
     kImageDataBroken.c_str()},
    {"ImageDataWithoutItsCheck",
     [](std::vector<uint8_t>& p) {
       std::vector<uint8_t> z = Chunks(p)[1].data;
       z.resize(z.size() - 4);
       WithImageData(p, z);
     },
     kImageDataBroken.c_str()},
    {"NoIend", [](std::vector<uint8_t>& p) { p.resize(p.size() - 12); }, kCutShort.c_str()},
    {"ACutInItsImageData", [](std::vector<uint8_t>& p) { p.resize(kIdatAt + 40); }, kCutShort.c_str()},
    {"OnlyAnEmptyIdat", [](std::vector<uint8_t>& p) { WithImageData(p, {}); },
     "it is damaged (it holds no image data)"},
    {"TransparencyInAPictureWithAlpha",
     [](std::vector<uint8_t>& p) {
       std::vector<Chunk> c = Chunks(p);
       c.insert(c.begin() + 1, Chunk{"tRNS", {0, 0}});
       p = Png(c);
     },
     "it is damaged (its tRNS chunk is out of place or does not fit its colours)"},
    {"AnUnknownCriticalChunk",
     [](std::vector<uint8_t>& p) {
       std::vector<Chunk> c = Chunks(p);
       c.insert(c.begin() + 1, Chunk{"ABCD", {1, 2}});
       p = Png(c);
     },
     "it is not a PNG picture the game reads (its ABCD chunk is one no reader may pass over)"},
    {"ARowWithAnUnknownFilter",
     [](std::vector<uint8_t>& p) {
       std::vector<uint8_t> rows(64 * (1 + 64 * 4), 0), z;
       rows[0] = 5;
       ASSERT_TRUE(CompressBytes(rows.data(), rows.size(), z));
       WithImageData(p, z);
     },
     "it is damaged (a row of its pixels has an unknown filter)"},
};

void PrintTo(const DamagedPicture& d, std::ostream* os) { *os << d.name; }

class MediaDamagedPictures : public ::testing::TestWithParam<DamagedPicture> {};

// The desktop's libpng and the browser's stb once split on these: CRC and
// Adler-32 faults passed stb, a missing IEND passed libpng, and where both
// refused they said different things. Now either build says the same.
TEST_P(MediaDamagedPictures, AreRefusedForTheSameReasonInEitherBuild) {
  const std::string seed = PULSEFIELD_SOURCE_DIR "/tests/fuzz/png/border05.png";
  std::vector<char> file = FileBytes(seed);
  std::vector<uint8_t> png(file.begin(), file.end());
  ASSERT_EQ(Chunks(png).size(), 3u);
  ASSERT_EQ(Chunks(png)[1].type, "IDAT");
  GetParam().damage(png);
  std::string why;
  std::unique_ptr<TImage> img(LoadImageCellsFromMemory(png.data(), png.size(), 0, 0, 0, 1, 0, &why));
  EXPECT_EQ(img, nullptr);
  EXPECT_EQ(why, GetParam().why);
}

INSTANTIATE_TEST_SUITE_P(Media, MediaDamagedPictures, ::testing::ValuesIn(kDamagedPictures),
                         [](const ::testing::TestParamInfo<DamagedPicture>& i) { return std::string(i.param.name); });

}  // namespace
