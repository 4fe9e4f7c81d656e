// Fuzz target: a ".pfr" replay file, watched from the high-score table as a
// player would. Whatever the bytes, the file is refused with a message, or
// its settings are taken, its stars made and its first ticks played back
// through the real frame loop's ticks, in bounded time and memory; then the
// watcher leaves with Escape and the player's own settings are back.
#include <cstring>

#include "frontend/config.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "playfield/game.h"
#include "playfield/grid.h"
#include "playfield/stars.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"
#include "shell/replay.h"
#include "shell/replay_run.h"
#include "tests/fuzz/fuzz_support.h"

namespace {
// Ticks of a replay played back per input: two checkpoints' worth.
constexpr int kPlayTicks = 2 * REPLAY_CHECK_EVERY;
// Ticks in the front end after leaving, so the table it returns to opens.
constexpr int kAfterTicks = 3;
constexpr const char* kFile = "replays/input.pfr";

// The tick of the frame loop, input taken as seen, as LoopPass runs it.
void Ticks(int n) {
  for (int i = 0; i < n; i++) FrameDispatch();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    std::filesystem::current_path(FuzzScratch("replay"));
    std::filesystem::create_directories("replays");
    PlatformInit(PlatformKind::Headless);
    HeadlessReleaseAll();
    InitFontWidths();
    SetDefaultConfig();
    DeriveStarCount();
    // An empty border map: the grid and its arena without any tiles.
    static TBank map;
    map.data.assign(1700, 0);
    SetupGrid(&map);
    ReturnToFrontEnd(MenuState::Enter);
    Ticks(kAfterTicks);
    return true;
  }();
  (void)ready;
  WriteInputFile(kFile, data, size);
  int32_t own[REPLAY_SETTINGS], after[REPLAY_SETTINGS];
  CaptureReplaySettings(own);
  std::string why;
  if (!WatchTableReplay(kFile, &why)) {
    FUZZ_CHECK(!why.empty());
    FUZZ_CHECK(!WatchingReplay());
    return 0;
  }
  // The first tick takes the file's settings: ones the game can play with.
  Ticks(1);
  if (WatchingReplay()) {
    int32_t taken[REPLAY_SETTINGS];
    CaptureReplaySettings(taken);
    FUZZ_CHECK(ReplaySettingsPlayable(taken, nullptr));
  }
  Ticks(kPlayTicks - 1);
  if (WatchingReplay()) {
    FUZZ_CHECK(starsetting == 0 || starlist.size() == (size_t)starcount + 1);
    HeadlessSetKey(VK_ESCAPE, 1);
    Ticks(1);
    HeadlessSetKey(VK_ESCAPE, 0);
  }
  FUZZ_CHECK(!WatchingReplay());
  Ticks(kAfterTicks);
  FUZZ_CHECK(gamestate == GameState::FrontEnd);
  CaptureReplaySettings(after);
  FUZZ_CHECK(std::memcmp(own, after, sizeof own) == 0);
  return 0;
}
