// Front-end ticks on the headless back end: the title backdrop with its
// stars and explosions under an open main menu, and the high-score viewer.
// Reports the time per tick and the heap allocations per tick after warm-up
// (the goal is none: the menus allocate only when a screen is built). And the
// title painted by the real renderer, explosions off and on (HIGH), at each
// render scale.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "bench/scenes.h"
#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "platform/render.h"
#include "services/config.h"
#include "services/draw.h"

namespace {
// One front-end tick painted; the idle countdown is held off, so the screen
// being measured stays up.
void PaintedTick() {
  attracttimer = attractdelay;
  FrontEndFrame();
  Cls();
  RenderDrawList();
}

// Warms the screen up, then times its ticks and counts their allocations.
void MeasureTicks(benchmark::State& state) {
  for (int i = 0; i < 300; i++) PaintedTick();
  long before = HeapAllocations();
  for (auto _ : state) PaintedTick();
  ReportAllocationsPerTick(state, before);
  state.counters["draws"] = (double)drawlist.size();
}

void BM_FrontEndTitleTick(benchmark::State& state) {
  StartHeavyGame();
  ReturnToFrontEnd(MenuState::Enter);
  MeasureTicks(state);
  state.counters["menus"] = (double)menulist.size();
}
BENCHMARK(BM_FrontEndTitleTick)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same title painted by the real renderer with the game's own pictures,
// one tick a frame as the paced title shows it: its CPU per frame, every
// thread counted, is what the title costs a player's machine at 60 a second.
// Needs an X display and the generated data folder.
void BM_TitleFrameGL(benchmark::State& state) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why) || !UseRenderer(GLRenderBackend(), &why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  StartHeavyGame(true);
  SetDefaultConfig();
  DeriveStarCount();
  explosionsetting = (int)state.range(0);
  const RenderScale scales[] = {RenderScale::Full, RenderScale::Auto, RenderScale::Half};
  SetRenderScale(scales[state.range(1)]);
  SetGlowBudget(GlowBudget::Idle);
  ReturnToFrontEnd(MenuState::Enter);
  for (int i = 0; i < 300; i++) PaintedTick();
  double cpustart = ProcessCpuSeconds();
  for (auto _ : state) {
    PaintedTick();
    Flip(0);
  }
  ReportFrameStats(state, cpustart);
  SetRenderScale(RenderScale::Auto);
  SetGlowBudget(GlowBudget::Play);
}
BENCHMARK(BM_TitleFrameGL)
    ->Args({0, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({2, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

// The high-score viewer over a full table of large scores.
void BM_HighScoreViewerTick(benchmark::State& state) {
  StartHeavyGame();
  for (int r = 0; r < HS_ROWS; r++) {
    hsscore[r] = 9876543210LL - r * 1000;
    hsname[r] = "Kestrel of the long names";
  }
  ReturnToFrontEnd(MenuState::Enter);  // the game's particles go
  FrontEndFrame();
  menustate = MenuState::HighScores;
  MeasureTicks(state);
  state.counters["viewer"] = menustate == MenuState::HighScoreViewer;
}
BENCHMARK(BM_HighScoreViewerTick)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
}  // namespace
