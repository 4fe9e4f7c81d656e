// A heavy playfield tick on the headless back end: 2000 live particles, 200
// bullets in flight, grid and stars at HIGH. Reports the time per tick and
// the heap allocations per tick once the lists have grown to size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <cstdlib>

#include "frontend/config.h"
#include "frontend/frontend.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "playfield/bullets.h"
#include "playfield/game.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "bench/bench_support.h"
#include "playfield/player.h"
#include "shell/controls.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"
#include "shell/media.h"
#include "shell/random.h"


namespace {
constexpr size_t kParticles = 2000;
constexpr size_t kBullets = 200;
TBank bordermap;

// A border map that frames the arena: a ring of tiles just outside it.
void BuildBorderMap() {
  bordermap.data.assign(1700, 0);
  for (int i = 0; i < 34; i++)
    for (int j = 0; j < 50; j++) {
      int wx = 32 * j + 32, wy = 32 * i + 64;
      bool ring = (wx >= 528 && wx <= 1616 && wy >= 272 && wy <= 1104) &&
                  (wx < 560 || wx > 1584 || wy < 304 || wy > 1072);
      if (ring) bordermap.data[50 * i + j] = (uint8_t)(1 + (i + j) % 6);
    }
}

// Keeps the arena as busy as the benchmark promises: long-lived bouncing
// sparks and bullets fired from random points in random directions.
void TopUp() {
  while (partlist.size() < kParticles) {
    tPART& p = partlist.emplace_back();
    p.t = PART_BOUNCE;
    p.x = (float)RandFloat(600, 1540);
    p.y = (float)RandFloat(340, 1030);
    p.accel = (float)RandFloat(0.5, 3);
    p.ang = (float)RandInt(0, 359);
    p.alpha = 1;
    p.xscale = p.yscale = 1;
    p.img = part01img;
    p.blend = BLEND_LIGHT;
    p.r = 255;
    p.g = 200;
    p.b = 64;
    p.collrad = 8;
  }
  while (bulletlist.size() < kBullets) {
    tBULLET& b = bulletlist.emplace_back();
    b.x = (float)RandFloat(620, 1520);
    b.y = (float)RandFloat(360, 1010);
    b.speed = 12;
    b.ang = (float)RandInt(0, 359);
    b.rot = 180 - b.ang;
    b.collrad = 12;
    b.damage = 100;
    b.alpha = b.scale = 1;
    b.blend = BLEND_LIGHT;
    b.r = 255;
    b.g = 200;
    b.b = 64;
    b.img = playerbulletimg;
  }
}

// Start-up of just what the playfield needs, then a game in play; headless
// unless the real window (with the game's own pictures) is asked for.
void StartHeavyGame(bool real = false) {
  if (!real) {
    PlatformInit(PlatformKind::Headless);
    HeadlessReleaseAll();
    OpenGraphics(800, 600, 0, 60, 0);
  }
  SetDefaultConfig();
  gridsetting = 2;
  starsetting = 2;
  hitscoresetting = 1;
  explosionsetting = 2;
  DeriveStarCount();
  SeedRandom(1234);
  InitFontWidths();
  drawlist.reserve(4096);
  BuildBorderMap();
  SetupGrid(&bordermap);
  lastjoyport = JoystickCount() - 1;
  HeadlessSetMouse(600, 200);
  BeginGame();
  for (int i = 0; i < 400 && playstate != PlayState::Playing; i++) UpdateGame();
  // Warm-up: the lists reach their working size and keep their memory.
  for (int i = 0; i < 300; i++) {
    TopUp();
    UpdateGame();
  }
}

// One playfield tick in play with the arena full.
void BM_PlayfieldTick(benchmark::State& state) {
  StartHeavyGame();
  long before = HeapAllocations();
  for (auto _ : state) {
    TopUp();
    UpdateGame();
    benchmark::DoNotOptimize(drawlist.data());
  }
  long allocs = HeapAllocations() - before;
  state.counters["allocs_per_tick"] =
      benchmark::Counter((double)allocs / (double)state.iterations());
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
  long allocs = HeapAllocations() - before;
  state.counters["allocs_per_tick"] =
      benchmark::Counter((double)allocs / (double)state.iterations());
}
BENCHMARK(BM_PlayfieldTickAndPaint)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same scene painted by the real renderer with the game's own pictures,
// as a player sees it: frames per second (items/s) and GL draw calls a frame.
// Needs an X display and the generated data folder.
void BM_PlayfieldFrameGL(benchmark::State& state) {
  std::string data = std::string(PULSEFIELD_BINARY_DIR) + "/data";
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display || !std::filesystem::is_directory(data + "/gfx")) {
    state.SkipWithError("needs an X display and the generated data folder");
    return;
  }
  static bool loaded = false;
  if (!loaded) {
    PlatformInit(PlatformKind::Real);
    if (!OpenGraphics(800, 600, 0, 60, 0)) {
      state.SkipWithError("the display did not open");
      return;
    }
    SetDataDir(data);
    SetCentreHandles(1);
    SetMaskColor(0, 0, 0);
    LoadImages();
    loaded = true;
  }
  StartHeavyGame(true);
  for (auto _ : state) {
    TopUp();
    UpdateGame();
    Cls();
    RenderDrawList();
    Flip(0);
  }
  ReportFrameStats(state);
}
BENCHMARK(BM_PlayfieldFrameGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
}  // namespace

