// The fixed-step loop on the headless clock: the game's speed depends on the
// tick arithmetic being exact, whatever the drawing rate.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/frame_loop.h"
#include "app/options.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "tests/run_helpers.h"

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

// The readout is painted on top of whatever the state queued, every pass,
// and never kept: a state that keeps its picture (the quit prompt) must not
// gather one more readout a tick.
TEST_F(LoopTest, ReadoutPaintedOnTopEveryPassAndNeverKept) {
  static const uint8_t white[4] = {255, 255, 255, 255};
  static TImage* glyphs = CreateImageFromPixels(1, 1, white, true, 0);  // made once
  glyphs->pixmaps.resize(100, glyphs->pixmaps[0]);  // a frame for every glyph
  TImage* font = fontimg;
  fontimg = glyphs;
  showfps = 1;
  fps = 60;
  fpstime = ClockMs() + 1000;
  AddDraw(glyphs, 5, 5, 0, 1, 1, 1, 1, 0, 1, 1, BLEND_ALPHA);  // the state's own picture
  for (int pass = 0; pass < 200; pass++) {  // the rate settles at 62 or 63
    HeadlessAdvanceClock(16);
    LoopPass();
  }
  size_t capacity = drawlist.capacity();
  for (int pass = 0; pass < 5000; pass++) {
    HeadlessAdvanceClock(16);
    LoopPass();
    ASSERT_EQ(drawlist.size(), 1u) << "pass " << pass;
  }
  EXPECT_EQ(drawlist.capacity(), capacity);
  fontimg = font;
  // "fps:60" is six glyphs, painted after the state's drawing.
  const std::vector<RecordedDraw>& painted = HeadlessDraws();
  ASSERT_EQ(painted.size(), 7u);
  const RecordedDraw& last = painted.back();
  EXPECT_EQ(last.g, 255);
  EXPECT_EQ(last.r, 32);
  EXPECT_NEAR(last.alpha, 0.5f, 1 / 255.0);
  EXPECT_FLOAT_EQ(last.sx, 0.5f);
  EXPECT_EQ(last.blend, BLEND_ALPHA);
  EXPECT_EQ(painted[1].y, 552 + 16);
  int w = FontTextWidth("fps:" + std::to_string(fps)) / 2;  // at scale 0.5
  EXPECT_NEAR(painted[1].x, 760 - w / 2 + 8, 1);
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

// In the background the loop paints only when a tick ran (free-running or
// not), and minimised it runs its ticks without painting at all.
TEST_F(LoopTest, AWindowInTheBackgroundPaintsOnlyOnTicksAndAMinimisedOneNever) {
  long ticks = tickcount;
  int flips = HeadlessFlipCount();
  InputSetActive(0);
  HeadlessAdvanceClock(10);
  EXPECT_EQ(LoopPass(), 0);
  EXPECT_EQ(HeadlessFlipCount(), flips);
  HeadlessAdvanceClock(6);
  EXPECT_EQ(LoopPass(), 1);
  EXPECT_EQ(tickcount, ticks + 1);
  EXPECT_EQ(HeadlessFlipCount(), flips + 1);

  InputSetHidden(1);
  HeadlessAdvanceClock(48);
  EXPECT_EQ(LoopPass(), 1);
  EXPECT_EQ(tickcount, ticks + 4);
  EXPECT_EQ(HeadlessFlipCount(), flips + 1);

  InputSetHidden(0);
  InputSetActive(1);
  HeadlessAdvanceClock(5);
  EXPECT_EQ(LoopPass(), 1);
  EXPECT_EQ(HeadlessFlipCount(), flips + 2);
}

// The window's close button ends the loop in order: the settings are saved
// and the exit code is 0, as for SIGTERM.
TEST_F(LoopTest, AClosedWindowEndsTheLoopInOrderAndSaves) {
  ScratchDir dir("loop_close");
  std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  StartOptions opts;
  opts.headless = true;
  opts.ticks = 1000000;
  quitflag = 0;
  HeadlessRequestClose();
  EXPECT_EQ(RunLoop(opts), 0);
  EXPECT_EQ(quitflag, 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "config.dat"));
  std::filesystem::current_path(was);
  quitflag = 0;
}

// An error thrown out of a tick (here the stars of a count no setting makes)
// still ends the loop in order: the player's files are saved, the error is
// told, and the code is 255.
TEST_F(LoopTest, AnErrorThrownOutOfATickStillSavesAndEndsWith255) {
  ScratchDir dir("loop_error");
  std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  StartOptions opts;
  opts.headless = true;
  opts.ticks = 100;
  quitflag = 0;
  gamestate = GameState::WaitTiming;
  skipintros = SKIP_TO_TITLE;
  starsetting = 2;
  starcount = -5;
  int code = 0;
  std::string err = StderrOf([&] { code = RunLoop(opts); });
  EXPECT_EQ(code, EXIT_UNHANDLED_ERROR);
  EXPECT_NE(err.find("saving and stopping"), std::string::npos) << err;
  EXPECT_TRUE(std::filesystem::exists(dir / "config.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir / "highscore.dat"));
  std::filesystem::current_path(was);
  starcount = 256;
  quitflag = 0;
}

// A press made while the last picture was painted lands on the tick of the
// next pass that its time falls in, even though the loop asks after the
// close button and the window before that pass's ticks run.
TEST_F(LoopTest, APressWaitsForItsOwnTickThoughTheLoopAsksAfterTheWindowFirst) {
  uint32_t start = (uint32_t)ClockMs();
  HeadlessQueueKey(VK_A, 1, start + 40);
  HeadlessQueueKey(VK_A, 0, start + 41);
  EXPECT_EQ(TakeCloseRequest(), 0);
  EXPECT_EQ(WindowHidden(), 0);
  EXPECT_EQ(WindowActive(), 1);
  std::vector<int> seen;
  for (int i = 0; i < 5; i++) {
    if (i < 4) InputTickAt(start + (uint32_t)framestep * (i + 1));
    InputBeginTick();
    seen.push_back(KeyDown(VK_A));
    InputTickDone();
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 1, 0, 0}));
}
