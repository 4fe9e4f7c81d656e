// Menus: one step per key press with wrapping, hover only when the pointer
// moves, choosing behind its latch, and a removed menu not skipping the next.
#include <gtest/gtest.h>

#include "tests/playfield_fixture.h"

#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "services/config.h"
#include "services/draw.h"

namespace {
struct MenuTest : ::testing::Test {
  void SetUp() override {
    HeadlessDefaults(1);  // one idle pad
    HeadlessSetMouse(10, 10);
    lastmousex = lastmousey = 10;
    menustate = MenuState::Run;
    // Three lines centred at y 300 (line tops 248, 280, 312), latches set.
    tMENU m;
    m.y = 300;
    m.entries = 3;
    m.text[0] = "PLAY";
    m.text[1] = "OPTIONS";
    m.text[2] = "QUIT";
    m.value[0] = MenuState::Play;
    m.value[1] = MenuState::Options;
    m.value[2] = MenuState::Quit;
    m.bard = 2;
    m.joyd = m.joyfd = 1;
    menulist = {m};
  }
  void TearDown() override {
    HeadlessReleaseAll();
    menulist.clear();
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

TEST_F(MenuTest, KeysStepOneLinePerPressWrapAndChooseAfterARelease) {
  HeadlessSetKey(VK_DOWN, 1);
  HeadlessSetKey(VK_RETURN, 1);  // both held over from the last screen: ignored
  for (int i = 0; i < 5; i++) Tick();
  EXPECT_EQ(menulist[0].selected, 0);
  HeadlessSetKey(VK_RETURN, 0);
  HeadlessSetKey(VK_DOWN, 0);
  Tick();
  HeadlessSetKey(VK_DOWN, 1);
  for (int i = 0; i < 20; i++) Tick();  // no key repeat
  HeadlessSetKey(VK_DOWN, 0);
  Tick();
  EXPECT_EQ(menulist[0].selected, 1);
  Press(40);
  Press(40);
  EXPECT_EQ(menulist[0].selected, 0);  // wrapped to the top
  Press(keyup);
  EXPECT_EQ(menulist[0].selected, 2);  // and back to the bottom
  Press(38);
  Press(13);
  EXPECT_TRUE(menulist.empty());
  EXPECT_EQ(menustate, MenuState::Options);
}

TEST_F(MenuTest, PointerHoversWhenItMovesAndAClickChoosesTheHighlight) {
  menulist[0].joyd = menulist[0].joyfd = 0;
  HeadlessSetMouse(400, 300);  // inside line 1
  Tick();
  EXPECT_EQ(menulist[0].selected, 1);
  Press(40);  // a still pointer leaves the keys free
  EXPECT_EQ(menulist[0].selected, 2);
  HeadlessSetMouse(400, 280);  // exactly on a line's top edge: not inside
  Tick();
  EXPECT_EQ(menulist[0].selected, 2);
  HeadlessSetMouse(10, 590);
  HeadlessSetMouseButton(1, 1);
  Tick();
  EXPECT_TRUE(menulist.empty());
  EXPECT_EQ(menustate, MenuState::Quit);
}

TEST_F(MenuTest, PanelsTakeNoInputAndAChosenMenuDoesNotSkipTheNext) {
  tMENU panel = menulist[0];
  panel.t = 1;
  panel.selected = -1;
  tMENU first = menulist[0];
  first.joyfd = 0;
  tMENU second = first;
  second.y = 500;
  second.value[0] = MenuState::MainMenu;
  menulist = {panel, first, second};
  HeadlessSetKey(VK_SPACE, 1);
  Tick();
  ASSERT_EQ(menulist.size(), 1u);  // both menus chosen in one pass, the panel stays
  EXPECT_EQ(menulist[0].t, 1);
  EXPECT_EQ(menustate, MenuState::MainMenu);
  Tick();
  EXPECT_EQ(lastmousey, 0);  // no menu took input
}

TEST_F(MenuTest, AOneLineMenuKeepsItsLineSilentlyAndTheScanLineWrapsEdgeToEdge) {
  tMENU& m = menulist[0];
  m.entries = 1;
  m.joyd = 0;
  ClearFX();
  Press(VK_DOWN);
  Press(VK_UP);
  EXPECT_EQ(m.selected, 0);
  EXPECT_EQ(fxplayed[(int)Sfx::MenuMove], 0);  // no beep on a line that cannot move
  // Half the panel is (1 + 1) x 16 = 32 pixels: the line runs 268..332 and
  // then starts again from the top edge, 2 pixels a tick.
  m.bary = 330;
  Tick();
  EXPECT_EQ(m.bary, 332);
  Tick();
  EXPECT_EQ(m.bary, 268);
  Tick();
  EXPECT_EQ(m.bary, 270);
}
