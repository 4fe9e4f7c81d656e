// Bitmap text: kerning, centring and measuring decide where every glyph of
// every menu lands, so the exact pixel positions are checked.
#include <gtest/gtest.h>

#include "services/draw.h"
#include "services/media.h"

namespace {
struct TextTest : ::testing::Test {
  void SetUp() override {
    InitFontWidths();
    ClearDrawList();
  }
  std::vector<float> Xs() {
    std::vector<float> xs;
    for (const tDRAW& d : drawlist) xs.push_back(d.x);
    return xs;
  }
};
}  // namespace

TEST_F(TextTest, KerningOfTYVBeforeLowerCase) {
  DrawFontText("Tea", 100, 50, 255, 255, 255, 0, BLEND_ALPHA, 1, 1, 1);
  EXPECT_EQ(Xs(), (std::vector<float>{100, 116, 130}));
  ClearDrawList();
  DrawFontText("TEA", 100, 50, 255, 255, 255, 0, BLEND_ALPHA, 1, 1, 1);
  EXPECT_EQ(Xs(), (std::vector<float>{100, 125, 151}));
  ClearDrawList();
  DrawFontText("Ve", 100, 50, 255, 255, 255, 0, BLEND_ALPHA, 1, 1, 1);
  EXPECT_EQ(Xs(), (std::vector<float>{100, 122}));
  // A final T measures its own width.
  EXPECT_EQ(FontTextWidth("AT"), 26 + 25);
  EXPECT_EQ(FontTextWidth("Ta"), 16 + 14);
}

TEST_F(TextTest, WidthsAndCentring) {
  EXPECT_EQ(FontTextWidth("Hi"), 30);
  EXPECT_EQ(FontTextWidth(""), 0);
  DrawFontText("", 400, 10, 255, 255, 255, 1, BLEND_ALPHA, 1, 1, 1);
  EXPECT_TRUE(drawlist.empty());
  DrawFontText("AB", 400, 10, 255, 255, 255, 1, BLEND_ALPHA, 1, 1, 1);
  ASSERT_EQ(drawlist.size(), 2u);
  EXPECT_EQ(drawlist[0].x, 390);
  EXPECT_EQ(drawlist[1].x, 416);
  EXPECT_EQ(drawlist[0].y, 26);  // the cell's top edge sits on the given y
  EXPECT_EQ(drawlist[0].frame, 'A' - 32);
  EXPECT_EQ(drawlist[0].img, fontimg);
}

TEST_F(TextTest, SpacesAdvanceWithoutACommandAndScaleCutsToWholePixels) {
  DrawFontText("A B", 0, 0, 1, 2, 3, 0, BLEND_LIGHT, 0.5f, 1, 1);
  ASSERT_EQ(drawlist.size(), 2u);
  EXPECT_EQ(drawlist[1].x, 26 + 14);
  EXPECT_EQ(drawlist[1].r, 1);
  EXPECT_EQ(drawlist[1].blend, BLEND_LIGHT);
  EXPECT_FLOAT_EQ(drawlist[1].alpha, 0.5f);
  ClearDrawList();
  DrawFontText("AAA", 0, 0, 255, 255, 255, 0, BLEND_ALPHA, 1, 0.5f, 0.5f);
  EXPECT_EQ(Xs(), (std::vector<float>{0, 13, 26}));
}

TEST_F(TextTest, CharactersOutsideTheFontAreSkipped) {
  std::string name = "A";
  name += (char)7;
  name += (char)200;
  name += "B";
  EXPECT_EQ(FontTextWidth(name), 52);
  DrawFontText(name, 0, 0, 255, 255, 255, 0, BLEND_ALPHA, 1, 1, 1);
  ASSERT_EQ(drawlist.size(), 2u);
  for (const tDRAW& d : drawlist) {
    EXPECT_GE(d.frame, 0);
    EXPECT_LT(d.frame, 100);
  }
}

TEST(Substrings, ClampToTheString) {
  EXPECT_EQ(MidText("HELLO", 2, 3), "ELL");
  EXPECT_EQ(MidText("HELLO", 9, 2), "");
  EXPECT_EQ(MidText("HELLO", 3, -1), "LLO");
  EXPECT_EQ(MidText("HELLO", 4, 10), "LO");
  EXPECT_EQ(LeftText("HELLO", 2), "HE");
  EXPECT_EQ(LeftText("HELLO", 20), "HELLO");
  EXPECT_EQ(RightText("HELLO", 2), "LO");
  EXPECT_EQ(RightText("HELLO", 20), "HELLO");
  EXPECT_EQ(FindText("HELLO", "L"), 3);
  EXPECT_EQ(FindText("HELLO", "L", 4), 4);
  EXPECT_EQ(FindText("HELLO", "Z"), 0);
}

TEST(DrawList, OrderAndGridMarker) {
  ClearDrawList();
  static int gridcalls = 0;
  gridlinesdrawer = [] { gridcalls++; };
  AddDraw(nullptr, 1, 2, 0, 10, 20, 30, 1, 0, 1, 1, BLEND_ALPHA);
  AddDraw(nullptr, 0, 0, 0, GRID_MARKER, GRID_MARKER, GRID_MARKER, 1, 0, 1, 1, BLEND_LIGHT);
  AddDraw(nullptr, 3, 4, 0, 40, 50, 60, 1, 0, 1, 1, BLEND_ALPHA);
  ASSERT_EQ(drawlist.size(), 3u);
  EXPECT_EQ(drawlist[0].x, 1);
  EXPECT_EQ(drawlist[2].x, 3);
  RenderDrawList();
  RenderDrawList();  // drawing does not empty the list
  EXPECT_EQ(gridcalls, 2);
  EXPECT_EQ(drawlist.size(), 3u);
  gridlinesdrawer = nullptr;
}
