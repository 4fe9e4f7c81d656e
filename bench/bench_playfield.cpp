// A heavy playfield tick on the headless back end: 2000 live particles, 200
// bullets in flight, grid and stars at HIGH. Reports the time per tick and
// the heap allocations per tick once the lists have grown to size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <cstdlib>

#include "frontend/config.h"
#include "enemies/enemy.h"
#include "enemies/kinds.h"
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

// Keeps 200 enemies of every kind in the arena, active: Snakes with full
// trails, two awake Holes (held below bursting), a Shieldship, Splinters, and
// the plain kinds; whatever dies (shot, swallowed, rammed) comes back.
void TopUpEnemies() {
  constexpr size_t kEnemies = 200;
  int holes = 0, shieldships = 0, snakes = 0, splinters = 0;
  for (tNME& n : nmelist) {
    holes += n.t == NME_HOLE;
    shieldships += n.t == NME_SHIELDSHIP;
    snakes += n.t == NME_SNAKE;
    splinters += n.t == NME_SPLINTER;
    if (n.t == NME_HOLE && n.mode == NME_ACTIVE) {
      n.counter1 = 1;  // awake
      if (n.energy > 4000) n.energy = 2000;
    }
  }
  while (nmelist.size() < kEnemies) {
    float x = (float)RandFloat(600, 1540), y = (float)RandFloat(340, 1030);
    size_t first = nmelist.size();
    if (holes < 2) {
      SpawnHole(x, y);
      holes++;
    } else if (shieldships < 1) {
      SpawnShieldship(x, y);
      shieldships++;
    } else if (snakes < 20) {
      SpawnSnake(x, y);
      snakes++;
    } else if (splinters < 30) {
      SpawnSplinter(x, y);
      splinters++;
    } else {
      switch (RandInt(0, 4)) {
        case 0: SpawnWanderer(x, y); break;
        case 1: SpawnChaser(x, y, 0); break;
        case 2: SpawnDodger(x, y, 0); break;
        case 3: SpawnWeaver(x, y); break;
        default: SpawnSpawnling(x, y, 0); break;
      }
    }
    for (size_t i = first; i < nmelist.size(); i++) {
      tNME& n = nmelist[i];
      if (n.mode == NME_SPAWNING && n.t != NME_SPLINTER && n.t != NME_SPAWNLING) {
        n.mode = NME_ACTIVE;
        n.alpha = 1;
        n.counter1 = n.t == NME_HOLE ? 1 : 0;
        n.counter2 = 0;
      }
      if (n.t == NME_SNAKE)
        for (int k = 0; k < 96; k++) {
          n.tabx[k] = n.x + (float)(k % 24);
          n.taby[k] = n.y + (float)k;
        }
    }
  }
  shield = 200;  // the ship rams what touches it and lives on
}

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
  long allocs = HeapAllocations() - before;
  state.counters["allocs_per_tick"] =
      benchmark::Counter((double)allocs / (double)state.iterations());
  state.counters["enemies"] = (double)nmelist.size();
  state.counters["draws"] = (double)drawlist.size();
}
BENCHMARK(BM_EnemyTick)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

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

// The real window with the game's own pictures, opened once for every GL
// benchmark; false (the benchmark skipped) without a display or the data.
bool OpenRealWindow(benchmark::State& state) {
  std::string data = std::string(PULSEFIELD_BINARY_DIR) + "/data";
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display || !std::filesystem::is_directory(data + "/gfx")) {
    state.SkipWithError("needs an X display and the generated data folder");
    return false;
  }
  static bool loaded = false;
  if (!loaded) {
    PlatformInit(PlatformKind::Real);
    if (!OpenGraphics(800, 600, 0, 60, 0)) {
      state.SkipWithError("the display did not open");
      return false;
    }
    SetDataDir(data);
    SetCentreHandles(1);
    SetMaskColor(0, 0, 0);
    LoadImages();
    loaded = true;
  }
  return true;
}

// The same scene painted by the real renderer with the game's own pictures,
// as a player sees it: frames per second (items/s) and GL draw calls a frame.
// Needs an X display and the generated data folder.
void BM_PlayfieldFrameGL(benchmark::State& state) {
  if (!OpenRealWindow(state)) return;
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

// The heaviest enemy scene painted by the real renderer.
void BM_EnemyFrameGL(benchmark::State& state) {
  if (!OpenRealWindow(state)) return;
  StartHeavyGame(true);
  for (int i = 0; i < 100; i++) {
    TopUp();
    TopUpEnemies();
    UpdateGame();
  }
  for (auto _ : state) {
    TopUp();
    TopUpEnemies();
    UpdateGame();
    Cls();
    RenderDrawList();
    Flip(0);
  }
  ReportFrameStats(state);
}
BENCHMARK(BM_EnemyFrameGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
}  // namespace

