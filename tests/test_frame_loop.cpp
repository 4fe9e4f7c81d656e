// The fixed-step loop on the headless clock: the game's speed depends on the
// tick arithmetic being exact, whatever the drawing rate.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"

namespace {
struct LoopTest : ::testing::Test {
  void SetUp() override {
    PlatformInit(PlatformKind::Headless);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    HeadlessReleaseAll();
    InitFontWidths();
    ClearDrawList();
    HeadlessSetClock(100000);
    lasttime = 100000;
    gamestate = static_cast<GameState>(50);  // a state that runs nothing
    showfps = 0;
    f1latch = 1;
  }
};
}  // namespace

TEST_F(LoopTest, TicksDueFromElapsedTime) {
  long ticks = tickcount;
  int flips = HeadlessFlipCount();
  EXPECT_EQ(LoopPass(), 0);  // no time: spin without drawing
  EXPECT_EQ(HeadlessFlipCount(), flips);

  HeadlessAdvanceClock(15);  // 1..15 ms: redraw without a tick
  EXPECT_EQ(LoopPass(), 1);
  EXPECT_EQ(ticksdue, 0);
  EXPECT_EQ(tickcount, ticks);
  EXPECT_EQ(HeadlessFlipCount(), flips + 1);

  lasttime = 100000;
  HeadlessSetClock(100040);  // a 40 ms stall: two ticks, 8 ms stay owed
  EXPECT_EQ(LoopPass(), 1);
  EXPECT_EQ(ticksdue, 2);
  EXPECT_EQ(tickcount, ticks + 2);
  EXPECT_EQ(lasttime, 100032);
  EXPECT_EQ(HeadlessFlipCount(), flips + 2);

  lasttime = 100000;
  HeadlessSetClock(100000 + 16 * 1001);  // more than 1000 due runs exactly one
  EXPECT_EQ(LoopPass(), 1);
  EXPECT_EQ(ticksdue, 1);
  EXPECT_EQ(tickcount, ticks + 3);
  EXPECT_EQ(lasttime, 100016);
}

TEST_F(LoopTest, ClockWrapAroundKeepsTicking) {
  HeadlessSetClock(0xfffffff8u);
  lasttime = (int)0xfffffff8u;
  HeadlessAdvanceClock(32);
  LoopPass();
  EXPECT_EQ(ticksdue, 2);
}

TEST_F(LoopTest, WaitStateLeavesOnTheFirstPassWithExactlyOneTick) {
  gamestate = GameState::WaitTiming;
  skipintros = 0;
  HeadlessAdvanceClock(16 * 40);  // the long pass that pays back loading
  LoopPass();
  EXPECT_EQ(gamestate, GameState::WaitTiming);
  HeadlessAdvanceClock(16);
  LoopPass();
  EXPECT_EQ(ticksdue, 1);
  EXPECT_EQ(gamestate, GameState::GroupIntro);
}

TEST_F(LoopTest, F1TogglesOncePerPressAndNotWhenHeldAtStart) {
  HeadlessSetKey(VK_F1, 1);  // held from start-up
  for (int i = 0; i < 3; i++) FrameDispatch();
  EXPECT_EQ(showfps, 0);
  HeadlessSetKey(VK_F1, 0);
  FrameDispatch();
  HeadlessSetKey(VK_F1, 1);
  for (int i = 0; i < 5; i++) FrameDispatch();
  EXPECT_EQ(showfps, 1);
  HeadlessSetKey(VK_F1, 0);
  FrameDispatch();
  HeadlessSetKey(VK_F1, 1);
  FrameDispatch();
  EXPECT_EQ(showfps, 0);
}

TEST_F(LoopTest, ReadoutDrawnOnTopInAnyState) {
  showfps = 1;
  fps = 60;
  AddDraw(nullptr, 5, 5, 0, 1, 1, 1, 1, 0, 1, 1, BLEND_ALPHA);  // the state's own picture
  FrameDispatch();
  // "fps:60" is six glyphs, queued after the state's drawing.
  ASSERT_EQ(drawlist.size(), 7u);
  const tDRAW& last = drawlist.back();
  EXPECT_EQ(last.g, 255);
  EXPECT_EQ(last.r, 32);
  EXPECT_FLOAT_EQ(last.alpha, 0.5f);
  EXPECT_FLOAT_EQ(last.xscale, 0.5f);
  EXPECT_EQ(last.blend, BLEND_ALPHA);
  EXPECT_EQ(drawlist[1].y, 552 + 16);
  int w = FontTextWidth("fps:60") / 2;  // at scale 0.5
  EXPECT_NEAR(drawlist[1].x, 760 - w / 2 + 8, 1);
  showfps = 0;
}

TEST_F(LoopTest, PassWithoutATickDrawsTheSamePicture) {
  static const uint8_t white[4] = {255, 255, 255, 255};
  static TImage* img = CreateImageFromPixels(1, 1, white, true, 0);  // made once
  AddDraw(img, 1, 2, 0, 10, 20, 30, 1, 0, 1, 1, BLEND_ALPHA);
  AddDraw(img, 3, 4, 0, 10, 20, 30, 1, 0, 1, 1, BLEND_LIGHT);
  HeadlessAdvanceClock(5);
  LoopPass();
  size_t n = HeadlessDraws().size();
  HeadlessAdvanceClock(5);
  LoopPass();
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(HeadlessDraws().size(), n);
  EXPECT_EQ(HeadlessDraws()[1].x, 3);
  EXPECT_EQ(HeadlessDraws()[1].blend, BLEND_LIGHT);
}
