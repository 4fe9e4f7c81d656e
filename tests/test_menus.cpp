// Menus: one step per key press, wrapping, pointer hover only when the
// pointer moves, choosing with its latch, and panels that never react.
#include <gtest/gtest.h>

#include "frontend/config.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "shell/draw.h"

namespace {
struct MenuTest : ::testing::Test {
  void SetUp() override {
    PlatformInit(PlatformKind::Headless);
    HeadlessReleaseAll();
    HeadlessSetJoystickCount(1);  // one idle pad: sticks centred, no buttons
    lastjoyport = JoystickCount() - 1;
    SetDefaultConfig();
    InitFontWidths();
    menulist.clear();
    HeadlessSetMouse(10, 10);
    lastmousex = 10;
    lastmousey = 10;
    menustate = 1;
  }
  void TearDown() override {
    HeadlessReleaseAll();
    menulist.clear();
  }
  // A three-line menu centred at y 300, built the usual way (latches set).
  static tMENU Three() {
    tMENU m;
    m.t = 0;
    m.y = 300;
    m.entries = 3;
    m.text[0] = "PLAY";
    m.text[1] = "OPTIONS";
    m.text[2] = "QUIT";
    m.value[0] = 3;
    m.value[1] = 4;
    m.value[2] = 2;
    m.selected = 0;
    m.bard = 2;
    m.joyd = 1;
    m.joyfd = 1;
    return m;
  }
  static void Tick() {
    ClearDrawList();
    UpdateMenus();
  }
  static void Press(int key) {
    HeadlessSetKey(key, 1);
    Tick();
    HeadlessSetKey(key, 0);
    Tick();
  }
};
}  // namespace

TEST_F(MenuTest, KeysStepOneLinePerPressAndWrap) {
  menulist.push_back(Three());
  HeadlessSetKey(40, 1);  // held over from the last screen: ignored
  Tick();
  EXPECT_EQ(menulist[0].selected, 0);
  HeadlessSetKey(40, 0);
  Tick();
  Press(40);
  EXPECT_EQ(menulist[0].selected, 1);
  HeadlessSetKey(40, 1);
  for (int i = 0; i < 20; i++) Tick();  // no key repeat
  HeadlessSetKey(40, 0);
  Tick();
  EXPECT_EQ(menulist[0].selected, 2);
  Press(40);
  EXPECT_EQ(menulist[0].selected, 0);  // wraps to the top
  Press(keyup);
  EXPECT_EQ(menulist[0].selected, 2);  // and from the top to the bottom
  Press(38);
  EXPECT_EQ(menulist[0].selected, 1);

  // A one-line menu keeps its line.
  tMENU back = Three();
  back.entries = 1;
  back.joyd = 0;
  menulist[0] = back;
  Press(40);
  EXPECT_EQ(menulist[0].selected, 0);
}

TEST_F(MenuTest, EnterChoosesOnlyAfterARelease) {
  menulist.push_back(Three());
  HeadlessSetKey(13, 1);
  for (int i = 0; i < 5; i++) Tick();
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_EQ(menustate, 1);
  HeadlessSetKey(13, 0);
  Tick();
  Press(40);
  Press(13);
  EXPECT_TRUE(menulist.empty());
  EXPECT_EQ(menustate, 4);
}

TEST_F(MenuTest, PointerHoverAndClick) {
  menulist.push_back(Three());
  menulist[0].joyd = 0;
  menulist[0].joyfd = 0;
  lastmousey = -1;
  // Line tops: 300 - 52 = 248, 280, 312. y 300 is inside line 1.
  HeadlessSetMouse(400, 300);
  Tick();
  EXPECT_EQ(menulist[0].selected, 1);
  EXPECT_EQ(lastmousey, 300);
  // A still pointer leaves the keys free to move the highlight.
  Press(40);
  EXPECT_EQ(menulist[0].selected, 2);
  // Exactly on a line's top edge is not inside it.
  HeadlessSetMouse(400, 280);
  Tick();
  EXPECT_EQ(menulist[0].selected, 2);
  // A click anywhere chooses the highlighted line.
  HeadlessSetMouse(10, 590);
  Tick();
  HeadlessSetMouseButton(1, 1);
  Tick();
  EXPECT_TRUE(menulist.empty());
  EXPECT_EQ(menustate, 2);
  HeadlessSetMouseButton(1, 0);
}

TEST_F(MenuTest, PanelsTakeNoInputAndAChosenMenuDoesNotSkipTheNext) {
  tMENU panel = Three();
  panel.t = 1;
  panel.selected = -1;
  panel.joyd = 0;
  panel.joyfd = 0;
  tMENU first = Three();
  first.joyfd = 0;
  tMENU second = Three();
  second.y = 500;
  second.joyd = 0;
  second.joyfd = 0;
  menulist = {panel, first, second};
  HeadlessSetKey(32, 1);
  Tick();
  // The first interactive menu is chosen and removed; the second is still
  // handled in the same pass and chosen too.
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_EQ(menulist[0].t, 1);
  EXPECT_EQ(menulist[0].selected, -1);
  HeadlessSetKey(32, 0);

  // Only panels on screen: the pointer memory reads 0, 0 afterwards.
  Tick();
  EXPECT_EQ(lastmousex, 0);
  EXPECT_EQ(lastmousey, 0);
}

TEST_F(MenuTest, ScanLineWrapsFromTheBottomEdgeToTheTop) {
  tMENU m = Three();
  m.t = 1;
  m.bary = 362;  // H = 64: edges at 236 and 364
  menulist.push_back(m);
  Tick();
  EXPECT_EQ(menulist[0].bary, 364);
  Tick();
  EXPECT_EQ(menulist[0].bary, 236);
  Tick();
  EXPECT_EQ(menulist[0].bary, 238);
  // Panel, scan line, two edges, then the three lines of text.
  EXPECT_EQ(drawlist[1].y, 238);
  EXPECT_EQ(drawlist[2].y, 236);
  EXPECT_EQ(drawlist[3].y, 364);
}
