// The front end's own states: entering it, the title's explosions, the idle
// fall into the attract display, PLAY and QUIT.
#include <gtest/gtest.h>

#include "tests/playfield_fixture.h"

#include "frontend/backdrop.h"
#include "platform/clock.h"
#include "platform/keycodes.h"
#include "platform/render.h"
#include "playfield/stars.h"

namespace {
struct FrontEndTest : ::testing::Test {
  TBank emptymap;
  void SetUp() override {
    HeadlessDefaults(1);
    HeadlessSetMouse(400, 40);  // above every menu
    emptymap.data.assign(1700, 0);
    SetupGrid(&emptymap);
    SeedRandom(7);
    menulist.clear();
    quitflag = 0;
    attracttimer = attractdelay;
    ReturnToFrontEnd(MenuState::Enter);
  }
  void TearDown() override {
    HeadlessReleaseAll();
    menulist.clear();
    quitflag = 0;
    StopTitleMusic();
  }
};
}  // namespace

TEST_F(FrontEndTest, EnteringClearsTheLastGameCentresTheViewAndOpensTheMainMenu) {
  AddEnemy(100, 100);
  bulletlist.emplace_back();
  playerx = 300;
  playery = 200;
  FrontEndTicks(1);
  EXPECT_TRUE(nmelist.empty());
  EXPECT_TRUE(bulletlist.empty());
  EXPECT_EQ(playerx, 1072);
  EXPECT_EQ(playery, 688);
  EXPECT_FALSE(starlist.empty());
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_EQ(menulist[0].entries, 5);
  EXPECT_EQ(menulist[0].text[0], "PLAY");
  EXPECT_EQ(menulist[0].value[4], MenuState::Quit);
  EXPECT_EQ(menustate, MenuState::Run);
  EXPECT_EQ(submenu, 0);
  EXPECT_EQ(titlemusicplaying, 1);
  TChannel first = titlemusicchannel;
  ReturnToFrontEnd(MenuState::Enter);  // back again: the track plays on
  FrontEndTicks(1);
  EXPECT_EQ(titlemusicchannel.slot, first.slot);
  EXPECT_EQ(titlemusicchannel.gen, first.gen);
}

TEST_F(FrontEndTest, TheTitleSetsOffAnExplosionEveryThirdTickBehindTheMenus) {
  FrontEndTicks(1);  // entering
  explosiontimer = 1;
  std::vector<size_t> sizes;
  for (int i = 0; i < 9; i++) {
    size_t before = partlist.size();
    FrontEndTicks(1);
    sizes.push_back(partlist.size() > before ? 1 : 0);
  }
  // The timer runs 1, 0, -1: the third tick explodes and restarts it at 2.
  EXPECT_EQ(sizes, (std::vector<size_t>{0, 1, 0, 0, 1, 0, 0, 1, 0}));
}

TEST_F(FrontEndTest, AnIdleMainMenuFallsIntoTheAttractDisplayAfter1201Ticks) {
  FrontEndTicks(1);
  FrontEndTicks(1200);
  EXPECT_EQ(menustate, MenuState::Run);
  FrontEndTicks(1);
  EXPECT_EQ(menustate, MenuState::Attract);
  EXPECT_EQ(attracttimer, attractdelay);
}

TEST_F(FrontEndTest, AMovedPointerOrHighlightRestartsTheIdleCount) {
  FrontEndTicks(1);
  FrontEndTicks(1000);
  HeadlessSetMouse(401, 40);
  FrontEndTicks(1);
  FrontEndTicks(1000);
  EXPECT_EQ(menustate, MenuState::Run);
  TapKey(VK_DOWN);
  FrontEndTicks(1100);
  EXPECT_EQ(menustate, MenuState::Run);
}

TEST_F(FrontEndTest, OnAnyOtherScreenTheIdleCountOnlyStartsAgain) {
  FrontEndTicks(1);
  submenu = 1;
  FrontEndTicks(1300);
  EXPECT_EQ(menustate, MenuState::Run);
  EXPECT_EQ(menulist.size(), 1u);
}

TEST_F(FrontEndTest, PlayStopsTheTitleMusicAndTheNextTickIsTheGame) {
  FrontEndTicks(2);  // entering, then a pass with Enter up to free the menu's latch
  TapKey(VK_RETURN);
  EXPECT_EQ(gamestate, GameState::Game);
  EXPECT_EQ(playstate, PlayState::Start);
  EXPECT_EQ(menustate, MenuState::Enter);
  EXPECT_EQ(titlemusicplaying, 0);
  EXPECT_TRUE(menulist.empty());
}

TEST_F(FrontEndTest, QuitEndsTheLoopAndAStateWithoutWorkRunsNothing) {
  FrontEndTicks(2);
  for (int i = 0; i < 4; i++) TapKey(VK_DOWN);
  TapKey(VK_RETURN);
  EXPECT_EQ(quitflag, 1);
  menustate = (MenuState)255;
  ClearDrawList();
  FrontEndTicks(3);
  EXPECT_TRUE(drawlist.empty());
  EXPECT_EQ(menustate, (MenuState)255);
}

// A slow pass (a loaded machine, software drawing) runs many ticks at once:
// each press reported in it still reaches a tick of its own, in order, and
// moves the highlight once, whether the presses were far apart or all
// arrived in the same millisecond.
struct PressesInOnePass : FrontEndTest, ::testing::WithParamInterface<std::vector<int>> {};

TEST_P(PressesInOnePass, EveryPressMovesTheHighlightOnce) {
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  FrontEndTicks(2);
  ASSERT_EQ(menulist.size(), 1u);
  ASSERT_EQ(menulist[0].selected, 0);
  const uint32_t start = 200000;
  HeadlessSetClock(start);
  lasttime = (int)start;
  const std::vector<int>& at = GetParam();  // press, release, press, release...
  for (size_t i = 0; i < at.size(); i++) HeadlessQueueKey(VK_DOWN, i % 2 == 0, start + (uint32_t)at[i]);
  HeadlessSetClock(start + 600);  // one pass of 37 ticks
  LoopPass();
  FrontEndTicks(3);  // a press queued behind the pass's last tick comes in on the next ones
  EXPECT_EQ(menulist[0].selected, (int)at.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(FrontEndTest, PressesInOnePass,
                         ::testing::Values(std::vector<int>{10, 100, 360, 450},  // 0.35 s apart
                                           std::vector<int>{5, 5, 5, 5},        // all at once
                                           std::vector<int>{5, 5, 5, 5, 5, 5},
                                           std::vector<int>{5, 5}));
