// Drawing speed of the real renderer on a heavy frame: 3000 sprites in the
// runs a busy game frame has (stars, enemies, particles, bullets, score
// sprites) plus 6144 grid lines of width 2, through the draw list. Needs an
// X display (run under xvfb-run). Reports frames per second (items/s) and GL
// draw calls per frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "bench/bench_support.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "shell/draw.h"
#include "shell/random.h"

namespace {

std::vector<TImage*> images;

// A soft round blob of one colour, 32x32, filtered and mipmapped like the game's.
TImage* Blob(int r, int g, int b) {
  std::vector<uint8_t> px(32 * 32 * 4);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) {
      float d = std::hypot(x - 15.5f, y - 15.5f) / 16.0f;
      float a = d >= 1 ? 0 : 1 - d;
      uint8_t* p = &px[(y * 32 + x) * 4];
      p[0] = (uint8_t)r;
      p[1] = (uint8_t)g;
      p[2] = (uint8_t)b;
      p[3] = (uint8_t)(a * 255);
    }
  TImage* img = CreateImageFromPixels(32, 32, px.data(), true, IMG_FILTERED | IMG_MIPMAPPED);
  img->handle_x = img->handle_y = 16;
  return img;
}

// The eight test pictures, made once (seeded, so every run draws the same ones).
void EnsureImages() {
  if (!images.empty()) return;
  SeedRandom(1234);
  for (int i = 0; i < 8; i++) images.push_back(Blob(RandInt(64, 255), RandInt(64, 255), RandInt(64, 255)));
}

bool OpenDisplay() {
  static int opened = -1;
  if (opened >= 0) return opened;
  const char* display = std::getenv("DISPLAY");
  opened = 0;
  if (!display || !*display) return false;
  PlatformInit(PlatformKind::Real);
  if (!OpenGraphics(800, 600, 0, 60, 0)) return false;
  EnsureImages();
  opened = 1;
  return true;
}

// 6144 grid lines of width 2: a 64 x 48 lattice, gently bent.
void DrawGridLines() {
  SetRotation(0);
  SetScale(1, 1);
  SetLineWidth(2);
  SetBlend(BLEND_LIGHT);
  SetAlpha(0.5f);
  int n = 0;
  for (int row = 0; row < 48 && n < 6144; row++)
    for (int col = 0; col < 64 && n < 6144; col++) {
      float x = col * 12.5f, y = row * 12.5f + std::sin(col * 0.3f) * 3;
      SetColor(32, 64 + row, 255 - col);
      DrawLine(x, y, x + 12.5f, y + std::sin(col * 0.3f + 0.3f) * 3 - std::sin(col * 0.3f) * 3, 0);
      DrawLine(x, y, x, y + 12.5f, 0);
      n += 2;
    }
}

void Sprites(int count, int image, int blend, float scale) {
  for (int i = 0; i < count; i++)
    AddDraw(images[image], RandFloat(0, 800), RandFloat(0, 600), 0, RandInt(64, 255), RandInt(64, 255),
            RandInt(64, 255), RandFloat(0.3f, 1), RandFloat(0, 360), scale, scale, blend);
}

// A busy frame: each group shares one picture and one blend mode.
void QueueGameFrame() {
  ClearDrawList();
  Sprites(256, 0, BLEND_LIGHT, 0.1f);             // stars
  AddDraw(nullptr, 0, 0, 0, GRID_MARKER, 0, 0, 0, 0, 1, 1, 0);
  for (int kind = 1; kind <= 4; kind++) Sprites(60, kind, BLEND_ALPHA, 0.8f);  // enemies
  Sprites(2000, 5, BLEND_LIGHT, 0.25f);           // particles
  Sprites(400, 6, BLEND_LIGHT, 0.3f);             // bullets
  Sprites(104, 7, BLEND_ALPHA, 0.5f);             // score sprites and HUD
}

// The worst case: every sprite changes picture and blend mode.
void QueueInterleavedFrame() {
  ClearDrawList();
  AddDraw(nullptr, 0, 0, 0, GRID_MARKER, 0, 0, 0, 0, 1, 1, 0);
  for (int i = 0; i < 3000; i++) Sprites(1, i % 8, i % 2 ? BLEND_LIGHT : BLEND_ALPHA, 0.3f);
}

void RunFrames(benchmark::State& state, void (*queue)()) {
  if (!OpenDisplay()) {
    state.SkipWithError("no X display to draw on");
    return;
  }
  gridlinesdrawer = DrawGridLines;
  queue();
  for (auto _ : state) {
    Cls();
    RenderDrawList();
    Flip(0);
  }
  ReportFrameStats(state);
}

void BM_RenderGameFrame(benchmark::State& state) { RunFrames(state, QueueGameFrame); }

// Queueing the heavy list tick after tick: after the first tick the list
// keeps its memory, so no command allocates.
void BM_QueueGameFrame(benchmark::State& state) {
  EnsureImages();
  QueueGameFrame();  // warm-up
  long before = HeapAllocations();
  for (auto _ : state) QueueGameFrame();
  state.counters["allocs_per_tick"] =
      benchmark::Counter((double)(HeapAllocations() - before) / (double)state.iterations());
  state.counters["commands"] = (double)drawlist.size();
}
void BM_RenderInterleavedFrame(benchmark::State& state) { RunFrames(state, QueueInterleavedFrame); }

BENCHMARK(BM_QueueGameFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderGameFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderInterleavedFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
