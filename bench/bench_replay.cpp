// The replay recorder's cost on each tick of a game: taking in the tick's
// input, writing its changes and, every REPLAY_CHECK_EVERY ticks, summing
// the game state with 200 enemies in the arena. Reports the time per tick,
// the body bytes per tick and the heap allocations per tick after warm-up
// (the goal: under 2 microseconds and none).
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/replay.h"
#include "bench/bench_support.h"
#include "bench/scenes.h"
#include "enemies/enemies.h"
#include "platform/input.h"
#include "platform/keycodes.h"

namespace {

// A game recorded in one go runs this many ticks at most before the
// benchmark starts another (ten minutes of play: the body stays within the
// memory the recorder set aside at its start).
constexpr long kTicksPerGame = 37500;

// A busy player's input on tick t: the pointer moves every tick, the
// sticks every fourth, and a steering key goes down or up every 30th.
void BusyInput(long t) {
  double a = (double)t * 3 * 3.14159265358979 / 180;
  HeadlessSetMouse(400 + (int)(200 * std::cos(a)), 300 + (int)(150 * std::sin(a)));
  if (t % 4 == 0) {
    HeadlessSetJoyAxis(0, JOYAXIS_X, (float)std::sin(a));
    HeadlessSetJoyAxis(0, JOYAXIS_Y, (float)std::cos(a));
  }
  if (t % 30 == 0) HeadlessSetKey(VK_D, (int)(t / 30 % 2));
  HeadlessSetMouseButton(MOUSE_LEFT, t % 90 < 60);
}

void BM_ReplayRecordTick(benchmark::State& state) {
  StartHeavyGame();
  TopUpEnemies();
  HeadlessSetJoystickCount(1);
  ReplayRecorder recorder;
  recorder.Begin();
  long t = 0;
  // Warm-up: the first checkpoints, every kind of change written once.
  for (; t < 3 * REPLAY_CHECK_EVERY; t++) {
    BusyInput(t);
    recorder.TickStart();
    recorder.TickEnd();
  }
  long before = HeapAllocations();
  size_t bytes = 0;
  long ticks = 0;
  for (auto _ : state) {
    BusyInput(t);
    recorder.TickStart();
    recorder.TickEnd();
    if (++t % kTicksPerGame == 0) {
      bytes += recorder.Result().body.size();
      ticks += (long)recorder.Result().ticks;
      recorder.Begin();
    }
  }
  bytes += recorder.Result().body.size();
  ticks += (long)recorder.Result().ticks;
  ReportAllocationsPerTick(state, before);
  state.counters["body_bytes_per_tick"] = (double)bytes / (double)(ticks > 0 ? ticks : 1);
  state.counters["enemies"] = (double)nmelist.size();
}
BENCHMARK(BM_ReplayRecordTick)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
