// The spring grid: the kick limits and bounds that keep the lattice stable,
// the in-place spring sweep, and what the lines and border actually paint.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/platform.h"
#include "playfield/grid.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"

namespace {
struct GridTest : ::testing::Test {
  void SetUp() override {
    ResetGrid();
    camx = 500;
    camy = 300;
    gridsetting = 1;
  }
  void TearDown() override { gridsetting = 1; }
  static bool AtRest(int c, int r) {
    const gridpoint& p = grid[c][r];
    return p.x == 16.0f * c && p.y == 16.0f * r && p.ox == p.x && p.oy == p.y && p.dx == 0 &&
           p.dy == 0;
  }
  static bool Kicked(int c, int r) { return grid[c][r].dx != 0 || grid[c][r].dy != 0; }
};

// Lines recorded by the headless renderer after one DrawGridLines.
std::vector<RecordedDraw> PaintLines() {
  PlatformInit(PlatformKind::Headless);
  EXPECT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  Cls();
  DrawGridLines();
  std::vector<RecordedDraw> lines;
  for (const RecordedDraw& d : HeadlessDraws())
    if (d.line) lines.push_back(d);
  return lines;
}

const RecordedDraw* LineFrom(const std::vector<RecordedDraw>& lines, float x, float y, float x2,
                             float y2) {
  for (const RecordedDraw& d : lines)
    if (d.x == x && d.y == y && d.x2 == x2 && d.y2 == y2) return &d;
  return nullptr;
}
}  // namespace

TEST_F(GridTest, DisruptScalesBigKicksAndFoldsHighSpeeds) {
  gridpoint p;
  p.disrupt(32, -7);  // above 8 a kick is a sixteenth
  EXPECT_FLOAT_EQ(p.dx, 2);
  EXPECT_FLOAT_EQ(p.dy, -7);

  p = gridpoint();
  p.dy = 12;
  p.disrupt(4, 0);  // squared speed exactly 160: left alone
  EXPECT_FLOAT_EQ(p.dx, 4);
  EXPECT_FLOAT_EQ(p.dy, 12);

  p = gridpoint();
  p.dx = 7;
  p.dy = 7;
  p.disrupt(7, 0);  // speed sqrt(245) ~ 15.65 folds to 128 / 15.65
  EXPECT_NEAR(std::hypot(p.dx, p.dy), 128 / std::sqrt(245.0f), 1e-4);
  EXPECT_NEAR(p.dx / p.dy, 2.0f, 1e-5);  // direction kept
  for (float k : {5.0f, 8.0f, 30.0f, 300.0f}) {
    gridpoint q;
    for (int i = 0; i < 20; i++) q.disrupt(k, k);
    EXPECT_LE(std::hypot(q.dx, q.dy), std::sqrt(160.0f) + 1e-3) << k;
  }
}

TEST_F(GridTest, UpdateCreepsBackAndTheSweepIsInPlace) {
  gridpoint p;
  p.x = 10;
  p.Update(10, 0);  // one pixel home, half a pixel of velocity homeward, 10% drag
  EXPECT_FLOAT_EQ(p.dx, -0.45f);
  EXPECT_FLOAT_EQ(p.x, 8.55f);
  p = gridpoint();
  p.x = 0.8f;
  p.Update(0, 0);  // within a pixel: snaps to rest
  EXPECT_EQ(p.x, 0);
  p = gridpoint();
  p.Update(2.5f, -2.5f);  // lags its neighbours by more than 2: unit nudge
  EXPECT_FLOAT_EQ(p.dx, 0.9f);
  EXPECT_FLOAT_EQ(p.dy, -0.9f);

  // Node (2,10) reads (1,10) after (1,10) has already sprung back this tick;
  // with the old position it would have been nudged.
  grid[1][10].x = 26;
  UpdateGrid();
  EXPECT_NEAR(grid[1][10].x, 23.65f, 1e-4);
  EXPECT_EQ(grid[2][10].x, 32);
  EXPECT_EQ(grid[2][10].dx, 0);
  EXPECT_TRUE(Kicked(1, 9));  // (1,9) ran first and saw the old 26
}

TEST_F(GridTest, SweepMatchesThePlainColumnByColumnOrder) {
  // The sweep runs two columns side by side; every node must still see
  // exactly what the plain order would show it.
  static gridpoint plain[GRID_COLS][GRID_ROWS];
  for (int tick = 0; tick < 40; tick++) {
    Shockwave(100 + 23 * tick, 80 + 17 * tick);
    Pull(700 - 9 * tick, 500, 12, 4);
    Push(300 + 5 * tick, 200 + 11 * tick, 2, 0.02f);
    std::memcpy(plain, grid, sizeof grid);
    for (int c = 1; c <= 63; c++) {
      for (int r = 1; r <= 47; r++) {
        float tx = (plain[c - 1][r].x + plain[c][r - 1].x + plain[c][r + 1].x + plain[c + 1][r].x) / 4;
        float ty = (plain[c - 1][r].y + plain[c][r - 1].y + plain[c][r + 1].y + plain[c + 1][r].y) / 4;
        plain[c][r].Update(tx, ty);
      }
    }
    UpdateGrid();
    ASSERT_EQ(std::memcmp(plain, grid, sizeof grid), 0) << "tick " << tick;
  }
}

TEST_F(GridTest, PullIsConstantTowardThePointAndSkipsItsCentre) {
  Pull(160, 160, 3, 4);  // centred on node (10,10)
  EXPECT_TRUE(AtRest(10, 10));
  EXPECT_FALSE(std::isnan(grid[10][10].dx));
  EXPECT_FLOAT_EQ(grid[11][10].dx, -4);
  EXPECT_FLOAT_EQ(grid[12][10].dx, -4);
  EXPECT_FLOAT_EQ(grid[10][8].dy, 4);
  EXPECT_NEAR(grid[12][12].dx, -4 / std::sqrt(2.0f), 1e-5);
  EXPECT_TRUE(AtRest(13, 10));  // 3 cells out is outside a radius of 3
}

TEST_F(GridTest, ShockwaveKicksADiscOf29OutwardAndNotItsCentre) {
  Shockwave(160, 160);
  int kicked = 0;
  for (int c = 0; c < GRID_COLS; c++)
    for (int r = 0; r < GRID_ROWS; r++) kicked += Kicked(c, r);
  EXPECT_EQ(kicked, 28);  // 29 nodes, the centre gets a zero kick
  EXPECT_FLOAT_EQ(grid[11][10].dx, 4);         // 16 x 4 = 64, above 8: a sixteenth
  EXPECT_FLOAT_EQ(grid[10][13].dy, 12);  // 48 x 4 = 192: a sixteenth
  EXPECT_TRUE(Kicked(13, 10));
  EXPECT_FALSE(Kicked(13, 11));  // 9 + 1 is not under 10
}

TEST_F(GridTest, PushNeedsARestOffsetAboveOneAndADisplacementUnder20) {
  Push(160.5f, 160, 2, 0.02f);  // q = 0.25 for node (10,10)
  EXPECT_EQ(grid[10][10].dx, 0);
  EXPECT_FLOAT_EQ(grid[11][10].dx, 15.5f * 0.02f);  // from the rest position
  EXPECT_FLOAT_EQ(grid[10][12].dy, 32 * 0.02f);

  ResetGrid();
  grid[11][10].x = 176 + 20;       // 20 away from rest: ignored
  grid[9][10].x = 144 - 19.9f;     // just under: pushed
  Push(160, 160, 2, 0.02f);
  EXPECT_EQ(grid[11][10].dx, 0);
  EXPECT_FLOAT_EQ(grid[9][10].dx, -16 * 0.02f);

  ResetGrid();
  Push(160, 160, 4, 1);  // rest positions 50 or more away are left alone
  EXPECT_FLOAT_EQ(grid[13][10].dx, 48);
  EXPECT_EQ(grid[14][10].dx, 0);
}

TEST_F(GridTest, DeformingNeverReachesTheAnchorsOrColumn63AndRow47) {
  const float spots[][2] = {{0, 0}, {8, 8}, {1008, 8}, {8, 760}, {1000, 750}, {1020, 770}, {1100, 900}};
  for (const auto& s : spots) {
    Pull(s[0], s[1], 12, 4);
    Push(s[0], s[1], 2, 0.02f);
    Shockwave((int)s[0] + 3, (int)s[1] + 5);
  }
  for (int c = 0; c < GRID_COLS; c++)
    for (int r = 0; r < GRID_ROWS; r++)
      if (c == 0 || c >= 63 || r == 0 || r >= 47) {
        EXPECT_FALSE(Kicked(c, r)) << c << "," << r;
      }
  EXPECT_TRUE(Kicked(62, 46));
  EXPECT_TRUE(Kicked(1, 1));

  // The sweep still moves column 63 and row 47 through their neighbours,
  // but never the anchors beyond.
  bool moved63 = false, moved47 = false;
  for (int i = 0; i < 30; i++) {
    UpdateGrid();
    for (int r = 1; r <= 47; r++) moved63 |= !AtRest(63, r);
    for (int c = 1; c <= 63; c++) moved47 |= !AtRest(c, 47);
  }
  EXPECT_TRUE(moved63);
  EXPECT_TRUE(moved47);
  for (int r = 0; r < GRID_ROWS; r++) EXPECT_TRUE(AtRest(64, r) && AtRest(0, r));
}

TEST_F(GridTest, ResetLeavesTheWholeLatticeAtRestAndRestIsStable) {
  for (int i = 0; i < 5; i++) Shockwave(300 + 100 * i, 400);
  Pull(512, 384, 12, 4);
  for (int i = 0; i < 10; i++) UpdateGrid();
  grid[66][50].x = 3;  // even the far anchors
  ResetGrid();
  for (int c = 0; c < GRID_COLS; c++)
    for (int r = 0; r < GRID_ROWS; r++) ASSERT_TRUE(AtRest(c, r)) << c << "," << r;
  for (int i = 0; i < 10; i++) UpdateGrid();
  for (int c = 0; c < GRID_COLS; c++)
    for (int r = 0; r < GRID_ROWS; r++) ASSERT_TRUE(AtRest(c, r)) << c << "," << r;

  // After a blast the lattice settles back to exact rest on its own, rather
  // than keeping velocities that shrink forever (and slow every tick).
  Shockwave(512, 384);
  for (int i = 0; i < 1000; i++) UpdateGrid();
  for (int c = 0; c < GRID_COLS; c++)
    for (int r = 0; r < GRID_ROWS; r++) ASSERT_TRUE(AtRest(c, r)) << c << "," << r;
}

TEST_F(GridTest, LinesAtNormalAndHigh) {
  gridsetting = 1;
  std::vector<RecordedDraw> lines = PaintLines();
  // 32 x 24 cells; no line along the top row nor down the left column.
  EXPECT_EQ(lines.size(), (size_t)(32 * 24 - 32 + 32 * 24 - 24));
  for (const RecordedDraw& d : lines) {
    ASSERT_TRUE(d.r == 16 && d.g == 16 && d.b == 192 && d.linewidth == 3 && d.blend == BLEND_LIGHT);
    ASSERT_NEAR(d.alpha, 0.5f, 1 / 255.0f);  // the renderer keeps alpha in 8 bits
  }
  // Node (2,2) sits at world (592, 336); lines run 32 apart.
  EXPECT_NE(LineFrom(lines, 92, 36, 124, 36), nullptr);
  EXPECT_NE(LineFrom(lines, 92, 36, 92, 68), nullptr);
  EXPECT_EQ(LineFrom(lines, 60, 4, 92, 4), nullptr);  // top wall

  gridsetting = 2;
  lines = PaintLines();
  EXPECT_EQ(lines.size(), (size_t)(64 * 48 - 64 + 64 * 48 - 48));
  // Measured across two rows, even a lattice at rest shades by Sin(16).
  float h = std::sin(16 * 3.14159265f / 180);
  EXPECT_TRUE(lines[0].r == (int)(16 + 60 * h) && lines[0].g == (int)(16 + 120 * h) &&
              lines[0].b == (int)(192 + 64 * h) && lines[0].linewidth == 2);
  EXPECT_NEAR(lines[0].alpha, 0.4f, 1 / 255.0f);
  EXPECT_NE(LineFrom(lines, 76, 20, 92, 20), nullptr);

  gridsetting = 0;
  EXPECT_TRUE(PaintLines().empty());
}

TEST_F(GridTest, StretchedCellsShadeTowardPaleBlue) {
  gridsetting = 1;
  grid[4][4].x += 45;   // cell (2,2) stretched by 45: h = 0.707
  grid[6][6].y += 200;  // cell (4,4) stretched past 90: full shade
  std::vector<RecordedDraw> lines = PaintLines();
  const RecordedDraw* a = LineFrom(lines, 92, 36, 124, 36);
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->r == 58 && a->g == 100 && a->b == 237) << a->r << " " << a->g << " " << a->b;
  const RecordedDraw* b = LineFrom(lines, 169, 68, 156, 68);
  ASSERT_NE(b, nullptr);  // drawn from the moved node (4,4); blue 256 clamps
  EXPECT_TRUE(b->r == 76 && b->g == 136 && b->b == 255) << b->r << " " << b->g << " " << b->b;
}

TEST_F(GridTest, BorderTilesPulseAndTheMarkerPaintsTheLinesInOrder) {
  static TBank map;
  map.data.assign(1700, 0);
  for (int j = 0; j < 50; j++) map.data[50 * 10 + j] = (uint8_t)(j % 12);  // codes 0..11 along row 10
  SetupGrid(&map);
  camx = 140;
  camy = 48;
  borderphase = 0;
  ClearDrawList();
  DrawBorder();
  // Row 10 is at sy = 320 - 48; columns with sx = 32j - 140 inside -48..800.
  int tiles = 0;
  for (const tDRAW& d : drawlist) {
    if (d.r == GRID_MARKER) continue;
    tiles++;
    EXPECT_EQ(d.y, 320 - 48 + 64);
    EXPECT_FLOAT_EQ(d.alpha, 0.5f);
    EXPECT_EQ(d.blend, BLEND_LIGHT);
    int j = ((int)d.x - 32 + 140) / 32;
    int code = j % 12;
    EXPECT_TRUE(code >= 1 && code <= 9 && code != 7) << code;
  }
  int expected = 0;
  for (int j = 0; j < 50; j++) {
    int sx = 32 * j - 140, code = j % 12;
    if (sx > -48 && sx < 800 && code >= 1 && code <= 9 && code != 7) expected++;
  }
  EXPECT_EQ(tiles, expected);
  ASSERT_FALSE(drawlist.empty());
  EXPECT_EQ(drawlist.back().r, GRID_MARKER);
  EXPECT_EQ(drawlist.back().img, border07img);

  ClearDrawList();
  DrawBorder();
  EXPECT_NEAR(drawlist.front().alpha, std::sin(8 * 3.14159265f / 180) / 3 + 0.5f, 1e-5);
  borderphase = 356;
  DrawBorder();
  EXPECT_FLOAT_EQ(borderphase, 4);

  gridsetting = 0;
  ClearDrawList();
  DrawBorder();
  for (const tDRAW& d : drawlist) EXPECT_NE(d.r, GRID_MARKER);

  // Between two sprites the marker paints the lines above the first and below the second.
  gridsetting = 1;
  PlatformInit(PlatformKind::Headless);
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  const uint8_t pixel[4] = {255, 255, 255, 255};
  static TImage* dot = CreateImageFromPixels(1, 1, pixel, true, 0);  // made once
  ClearDrawList();
  AddDraw(dot, 1, 1, 0, 255, 255, 255, 1, 0, 1, 1, BLEND_ALPHA);
  AddDraw(border07img, 0, 0, 0, GRID_MARKER, GRID_MARKER, GRID_MARKER, 1, 0, 1, 1, BLEND_LIGHT);
  AddDraw(dot, 2, 2, 0, 255, 255, 255, 1, 0, 1, 1, BLEND_ALPHA);
  Cls();
  RenderDrawList();
  const std::vector<RecordedDraw>& rec = HeadlessDraws();
  ASSERT_EQ(rec.size(), 2u + 1480u);
  EXPECT_FALSE(rec.front().line);
  EXPECT_TRUE(rec[1].line);
  EXPECT_FALSE(rec.back().line);
  EXPECT_EQ(rec.back().blend, BLEND_ALPHA);  // the sprite after the lines sets its own state
}
