// Drawing speed of the real renderer on a heavy frame: 3000 sprites in the
// runs a busy game frame has (stars, enemies, particles, bullets, score
// sprites) plus 6144 grid lines of width 2, through the draw list. Needs an
// X display (run under xvfb-run). Reports frames per second (items/s) and GL
// draw calls per frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/bench_support.h"
#include "bench/scenes.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "services/draw.h"

namespace {

bool OpenDisplay() {
  static int opened = -1;
  if (opened >= 0) return opened;
  const char* display = std::getenv("DISPLAY");
  opened = 0;
  if (!display || !*display) return false;
  PlatformInit(PlatformKind::Real);
  if (!OpenGraphics(800, 600, 0, 60, 0)) return false;
  opened = 1;
  return true;
}

void RunFrames(benchmark::State& state, void (*queue)()) {
  if (!OpenDisplay()) {
    state.SkipWithError("no X display to draw on");
    return;
  }
  queue();
  double cpustart = ProcessCpuSeconds();
  for (auto _ : state) {
    Cls();
    RenderDrawList();
    Flip(0);
  }
  ReportFrameStats(state, cpustart);
}

void BM_RenderGameFrame(benchmark::State& state) { RunFrames(state, QueueSyntheticGameFrame); }

// Queueing the heavy list tick after tick: after the first tick the list
// keeps its memory, so no command allocates.
void BM_QueueGameFrame(benchmark::State& state) {
  QueueSyntheticGameFrame();  // warm-up
  long before = HeapAllocations();
  for (auto _ : state) QueueSyntheticGameFrame();
  ReportAllocationsPerTick(state, before);
  state.counters["commands"] = (double)drawlist.size();
}
void BM_RenderInterleavedFrame(benchmark::State& state) { RunFrames(state, QueueInterleavedFrame); }

BENCHMARK(BM_QueueGameFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderGameFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderInterleavedFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
