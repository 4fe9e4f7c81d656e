// The two logo sequences before the title, tick by tick on the headless back
// end: how long each phase lasts, the skip latch, the sounds starting once,
// the sparks, and the hand-off to the splash and then the front end.
#include <gtest/gtest.h>

#include <map>

#include "app/frame_loop.h"
#include "app/intros.h"
#include "frontend/frontend.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "playfield/particles.h"
#include "tests/playfield_fixture.h"

namespace {

// Both intros from their very start.
struct IntroTest : ::testing::Test {
  void SetUp() override {
    HeadlessDefaults(0);
    partlist.clear();
    EnterIntros();
  }
  void TearDown() override { HeadlessReleaseAll(); }
  // One tick of whichever intro is on.
  static void Tick() {
    if (gamestate == GameState::GroupIntro) {
      GroupIntro();
    } else if (gamestate == GameState::Splash) {
      SplashIntro();
    }
  }
};

}  // namespace

TEST_F(IntroTest, EachPhaseLastsItsTicksAndTheSplashHandsOverToTheFrontEnd) {
  std::map<int, int> group, splash;
  int ticks = 0, sparkticks = 0;
  while (gamestate == GameState::GroupIntro && ticks < 2000) {
    group[groupphase]++;
    Tick();
    ticks++;
    if (ticks == 1) {
      EXPECT_EQ(grouploadstarted, 1);  // the loading sound on the first tick
    }
  }
  EXPECT_EQ(group[GROUP_FADE_IN], 171);
  EXPECT_EQ(group[GROUP_WIPE], 13);
  EXPECT_EQ(group[GROUP_TAGLINE], 101);
  EXPECT_EQ(group[GROUP_FADE_OUT], 96);
  EXPECT_EQ(group[GROUP_END], 1);
  EXPECT_EQ(groupvoicestarted, 1);
  ASSERT_EQ(gamestate, GameState::Splash);
  while (gamestate == GameState::Splash && ticks < 4000) {
    splash[splashphase]++;
    int phase = splashphase;
    size_t before = partlist.size();
    SplashIntro();
    ticks++;
    // Sparks come in threes off the tip of the line, orange-gold, shrinking.
    if (phase == SPLASH_LINE && partlist.size() > before) {
      sparkticks++;
      for (size_t i = before; i < partlist.size(); i++) {
        const tPART& p = partlist[i];
        EXPECT_EQ(p.t, PART_SINK);
        EXPECT_NEAR(p.y, 356, 5);  // thrown from 356, already one tick on its way
        EXPECT_EQ(p.r, 255);
        EXPECT_EQ(p.b, 32);
        EXPECT_GE(p.g, 128);
      }
    }
  }
  EXPECT_EQ(splash[SPLASH_FADE_IN], 64);
  EXPECT_EQ(splash[SPLASH_SLIDE], 155);
  EXPECT_EQ(splash[SPLASH_LINE], 176);
  EXPECT_EQ(splash[SPLASH_FADE_OUT], 137);
  EXPECT_EQ(splash[SPLASH_END], 1);
  EXPECT_GT(sparkticks, 20);
  EXPECT_EQ(splashsoundstarted, 1);
  EXPECT_EQ(gamestate, GameState::FrontEnd);
  EXPECT_EQ(menustate, MenuState::Enter);
}

TEST_F(IntroTest, InputHeldFromBeforeDoesNotSkipButANewPressJumpsToTheFadeOut) {
  HeadlessSetKey(VK_SPACE, 1);  // held since before the intro
  for (int t = 0; t < 50; t++) Tick();
  EXPECT_EQ(groupphase, GROUP_FADE_IN);
  HeadlessSetKey(VK_SPACE, 0);
  Tick();
  HeadlessSetMouseButton(MOUSE_RIGHT, 1);  // a new press
  Tick();
  EXPECT_EQ(groupphase, GROUP_FADE_OUT);
  // The fade-out shows everything at full brightness, the tagline too.
  Tick();
  ASSERT_EQ(drawlist.size(), 3u);
  for (const tDRAW& d : drawlist) {
    EXPECT_EQ(d.r, 383);  // brighter than white: held at white for 32 ticks
    EXPECT_EQ(d.alpha, 1);
  }
  // Held through the fade-out, the input neither restarts nor lengthens it.
  int ticks = 0;
  while (gamestate == GameState::GroupIntro && ticks < 200) {
    Tick();
    ticks++;
  }
  EXPECT_EQ(ticks, 95 + 1);
  // The splash: the button still held does not skip it; a key pressed anew does.
  Tick();
  EXPECT_EQ(splashphase, SPLASH_FADE_IN);
  HeadlessSetMouseButton(MOUSE_RIGHT, 0);
  Tick();
  HeadlessSetKey(VK_ESCAPE, 1);
  Tick();
  EXPECT_EQ(splashphase, SPLASH_FADE_OUT);
  Tick();
  // Skipped before the line ran: the words and the line at their final
  // places, the shine at the alpha it had reached (none).
  ASSERT_EQ(drawlist.size(), 5u);
  EXPECT_EQ(drawlist[1].y, 300);
  EXPECT_EQ(drawlist[3].x, 400);
  EXPECT_LE(drawlist[4].alpha, 0);
  while (gamestate == GameState::Splash) Tick();
  EXPECT_EQ(gamestate, GameState::FrontEnd);
}
