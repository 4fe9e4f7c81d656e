// A heavy playfield tick on the headless back end: 2000 live particles, 200
// bullets in flight, grid and stars at HIGH. Reports the time per tick and
// the heap allocations per tick once the lists have grown to size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "app/play_session.h"
#include "bench/bench_support.h"
#include "bench/scenes.h"
#include "enemies/enemies.h"
#include "platform/input.h"
#include "platform/render.h"
#include "playfield/bullets.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/draw.h"

namespace {
// One playfield tick in play with the arena full.
void BM_PlayfieldTick(benchmark::State& state) {
  StartHeavyGame();
  long before = HeapAllocations();
  for (auto _ : state) {
    TopUp();
    UpdateGame();
    benchmark::DoNotOptimize(drawlist.data());
  }
  ReportAllocationsPerTick(state, before);
  state.counters["particles"] = (double)partlist.size();
  state.counters["bullets"] = (double)bulletlist.size();
  state.counters["draws"] = (double)drawlist.size();
}
BENCHMARK(BM_PlayfieldTick)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same tick plus the pass that paints it (grid lines included) into the
// headless renderer.
void BM_PlayfieldTickAndPaint(benchmark::State& state) {
  StartHeavyGame();
  for (int i = 0; i < 10; i++) {
    Cls();
    RenderDrawList();
  }
  long before = HeapAllocations();
  for (auto _ : state) {
    TopUp();
    UpdateGame();
    Cls();
    RenderDrawList();
  }
  ReportAllocationsPerTick(state, before);
}
BENCHMARK(BM_PlayfieldTickAndPaint)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The heaviest tick a game reaches: the busy arena above with 200 enemies
// of every kind at work, the director running.
void BM_EnemyTick(benchmark::State& state) {
  StartHeavyGame();
  for (int i = 0; i < 300; i++) {
    TopUp();
    TopUpEnemies();
    UpdateGame();
  }
  long before = HeapAllocations();
  for (auto _ : state) {
    TopUp();
    TopUpEnemies();
    UpdateGame();
    benchmark::DoNotOptimize(drawlist.data());
  }
  ReportAllocationsPerTick(state, before);
  state.counters["enemies"] = (double)nmelist.size();
  state.counters["draws"] = (double)drawlist.size();
}
BENCHMARK(BM_EnemyTick)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same scene painted by a real renderer with the game's own pictures,
// as a player sees it: frames per second (items/s) and GL draw calls a frame.
// Needs an X display and the generated data folder.
static void PaintPlayfieldFrames(benchmark::State& state, const RenderBackend* renderer) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why) || !UseRenderer(renderer, &why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  StartHeavyGame(true);
  double cpustart = ProcessCpuSeconds();
  for (auto _ : state) {
    TopUp();
    UpdateGame();
    Cls();
    RenderDrawList();
    Flip(0);
  }
  ReportFrameStats(state, cpustart);
  UseRenderer(GLRenderBackend(), &why);
}
void BM_PlayfieldFrameGL(benchmark::State& state) { PaintPlayfieldFrames(state, GLRenderBackend()); }
BENCHMARK(BM_PlayfieldFrameGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
// The shader renderer on the same scene.
void BM_PlayfieldFrameGLES(benchmark::State& state) { PaintPlayfieldFrames(state, GLESRenderBackend()); }
BENCHMARK(BM_PlayfieldFrameGLES)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// A heavy game with a burst of rings painted over each frame, as the
// player sees it, timed frame by frame.
void PaintRingBursts(benchmark::State& state) {
  StartHeavyGame(true);
  double cpustart = ProcessCpuSeconds();
  for (auto _ : state) {
    TopUp();
    UpdateGame();
    Cls();
    RenderDrawList();
    PaintRingBurst(120);
    Flip(0);
  }
  ReportFrameStats(state, cpustart);
}

// The busiest playfield with a burst of 120 explosion rings (about twenty
// screens of glow) on top: at full resolution, forced to half, and as Auto
// draws it when the machine is slow (a quarter).
void BM_RingBurstGL(benchmark::State& state) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  const RenderScale scales[] = {RenderScale::Full, RenderScale::Half, RenderScale::Auto};
  long measured = HalfResolutionThreshold();
  SetRenderScale(scales[state.range(0)]);
  SetHalfResolutionThreshold(1);
  PaintRingBursts(state);
  SetRenderScale(RenderScale::Auto);
  SetHalfResolutionThreshold(measured);
}
BENCHMARK(BM_RingBurstGL)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The shader renderer (the page's) on the same burst, which it draws at full
// resolution: magnified rings in pieces from copies without mipmaps.
void BM_RingBurstGLES(benchmark::State& state) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why) || !UseRenderer(GLESRenderBackend(), &why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  PaintRingBursts(state);
  UseRenderer(GLRenderBackend(), &why);
}
BENCHMARK(BM_RingBurstGLES)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The heaviest enemy scene painted by the real renderer.
void BM_EnemyFrameGL(benchmark::State& state) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  StartHeavyGame(true);
  for (int i = 0; i < 100; i++) {
    TopUp();
    TopUpEnemies();
    UpdateGame();
  }
  double cpustart = ProcessCpuSeconds();
  for (auto _ : state) {
    TopUp();
    TopUpEnemies();
    UpdateGame();
    Cls();
    RenderDrawList();
    Flip(0);
  }
  ReportFrameStats(state, cpustart);
}
BENCHMARK(BM_EnemyFrameGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
// A whole directed game of 20000 ticks (5 minutes 20 of play): the waves
// come as the director sends them, the ship circles firing and keeps its
// shield, so the game lasts and the difficulty climbs.
void BM_DirectedGame(benchmark::State& state) {
  for (auto _ : state) {
    StartHeavyGame();
    nmelist.clear();
    partlist.clear();
    bulletlist.clear();
    HeadlessSetMouseButton(MOUSE_LEFT, 1);
    long enemies = 0;
    for (int t = 0; t < 20000; t++) {
      double a = t * 4.0 * 3.14159265358979 / 180.0;
      HeadlessSetMouse(400 + (int)(150 * std::cos(a)), 300 + (int)(150 * std::sin(a)));
      shield = 150;
      UpdateGame();
      enemies += (long)nmelist.size();
    }
    HeadlessSetMouseButton(MOUSE_LEFT, 0);
    state.counters["mean_enemies"] = (double)enemies / 20000;
    state.counters["score"] = (double)score;
  }
}
BENCHMARK(BM_DirectedGame)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

