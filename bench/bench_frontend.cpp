// Front-end ticks on the headless back end: the title backdrop with its
// stars and explosions under an open main menu, and the high-score viewer. Reports the time per tick and
// the heap allocations per tick after warm-up (the goal is none: the menus
// allocate only when a screen is built).
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include "bench/scenes.h"
#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "platform/render.h"
#include "shell/draw.h"

namespace {
void BM_FrontEndTitleTick(benchmark::State& state) {
  StartHeavyGame();
  ReturnToFrontEnd(MenuState::Enter);
  for (int i = 0; i < 300; i++) {
    attracttimer = attractdelay;
    FrontEndFrame();
    Cls();
    RenderDrawList();
  }
  long before = HeapAllocations();
  for (auto _ : state) {
    attracttimer = attractdelay;  // stay on the title
    FrontEndFrame();
    Cls();
    RenderDrawList();
  }
  long allocs = HeapAllocations() - before;
  state.counters["allocs_per_tick"] =
      benchmark::Counter((double)allocs / (double)state.iterations());
  state.counters["draws"] = (double)drawlist.size();
  state.counters["menus"] = (double)menulist.size();
}
BENCHMARK(BM_FrontEndTitleTick)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

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
  for (int i = 0; i < 300; i++) {
    FrontEndFrame();
    Cls();
    RenderDrawList();
  }
  long before = HeapAllocations();
  for (auto _ : state) {
    FrontEndFrame();
    Cls();
    RenderDrawList();
  }
  long allocs = HeapAllocations() - before;
  state.counters["allocs_per_tick"] =
      benchmark::Counter((double)allocs / (double)state.iterations());
  state.counters["viewer"] = menustate == MenuState::HighScoreViewer;
}
BENCHMARK(BM_HighScoreViewerTick)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
}  // namespace
