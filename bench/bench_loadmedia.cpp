// Start-up media loading on the generated data folder: the real program
// from process start to the end of loading (--headless --ticks 0), and the
// in-process parts: the whole catalogue, the pictures alone, and every
// sound decoded on one thread for comparison with the worker threads.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "services/media.h"

namespace {

const std::string bindir = PULSEFIELD_BINARY_DIR;

bool Ready(benchmark::State& state) {
  if (std::filesystem::exists(bindir + "/data/gfx/titlelogo.png")) return true;
  state.SkipWithError("no data folder in the build directory");
  return false;
}

void Setup() {
  PlatformInit(PlatformKind::Headless);
  OpenGraphics(800, 600, 0, 60, 0);
  SetCentreHandles(1);
  SetDataDir(bindir + "/data");
  SetProgramDir(std::filesystem::temp_directory_path().string() + "/pf_bench_nomusic");
}

// Process start to the end of LoadMedia: the whole program with no ticks.
void BM_ProgramStartToLoaded(benchmark::State& state) {
  if (!Ready(state)) return;
  std::filesystem::create_directories("/tmp/pf_bench_user");
  std::string cmd = "'" + bindir + "/pulsefield' --headless --ticks 0 --userdir /tmp/pf_bench_user >/dev/null 2>&1";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("the program failed");
}
BENCHMARK(BM_ProgramStartToLoaded)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// The whole catalogue in this process (images plus threaded sound decoding).
void BM_LoadMedia(benchmark::State& state) {
  if (!Ready(state)) return;
  Setup();
  for (auto _ : state) LoadMedia();
}
BENCHMARK(BM_LoadMedia)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The pictures alone.
void BM_LoadImages(benchmark::State& state) {
  if (!Ready(state)) return;
  Setup();
  for (auto _ : state) LoadImages();
}
BENCHMARK(BM_LoadImages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Every sound decoded one after another on this thread.
void BM_DecodeSoundsOneThread(benchmark::State& state) {
  if (!Ready(state)) return;
  namespace fs = std::filesystem;
  for (auto _ : state)
    for (const auto& e : fs::directory_iterator(bindir + "/data/sfx")) delete LoadSound(e.path().string(), 0);
}
BENCHMARK(BM_DecodeSoundsOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
