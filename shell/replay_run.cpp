// Recording every game and watching a replay, hooked around the ticks.
#include "shell/replay_run.h"

#include <cstdio>
#include <filesystem>

#include "platform/input_replay.h"
#include "platform/keycodes.h"
#include "playfield/game.h"
#include "shell/frame_loop.h"
#include "shell/replay.h"

namespace {

ReplayRecorder recorder;
Replay watched;
ReplayPlayer* player = nullptr;
bool watching = false, started = false, finished = false;
std::string outcome;  // empty while it has not gone wrong

const char* kLastReplay = "replays/last.pfr";

// Writes the game just recorded as the last game.
void SaveLast() {
  recorder.End(score, gameclock);
  std::error_code ec;
  std::filesystem::create_directories("replays", ec);
  std::string why;
  if (ec || !SaveReplay(kLastReplay, recorder.Result(), &why))
    std::fprintf(stderr, "pulsefield: cannot save the replay \"%s\": %s\n", kLastReplay,
                 ec ? ec.message().c_str() : why.c_str());
}

bool NewGameTick() { return gamestate == GameState::Game && playstate == PlayState::Start; }

void Finish(const std::string& wrong) {
  finished = true;
  outcome = wrong;
  quitflag = 1;
}

}  // namespace

bool LoadReplayToWatch(const std::string& path, std::string* why) {
  if (!LoadReplay(path, watched, why)) return false;
  watching = true;
  return true;
}

bool WatchingReplay() { return watching; }

void ReplayBeforeTick() {
  if (!watching) {
    if (NewGameTick()) recorder.Begin();  // the generator as the game finds it
    recorder.TickStart();
    return;
  }
  if (finished) return;
  if (!started) {
    if (!NewGameTick()) return;  // the start-up ticks before the game
    static ReplayPlayer p(watched);
    player = &p;
    player->Begin();
    started = true;
  }
  if (!player->BeforeTick()) Finish("the replay holds no ticks");
}

void ReplayAfterTick() {
  if (!watching) {
    if (!recorder.Recording()) return;
    recorder.TickEnd();
    if (gamestate != GameState::Game) SaveLast();  // game over or quit to the menus
    return;
  }
  if (!started || finished) return;
  std::string why;
  if (!player->AfterTick(&why)) {
    Finish(why);
    return;
  }
  bool ended = gamestate != GameState::Game;
  uint32_t t = player->TicksRun();
  if (ended && t < watched.ticks) {
    Finish("desync at tick " + std::to_string(t) + ": the game ended, the recording goes on to tick " +
           std::to_string(watched.ticks));
  } else if (t == watched.ticks) {
    // A recording may also end with the program (closed mid-game): then
    // the game goes on here, and the score and clock still have to match.
    if (score != watched.finalscore) Finish("desync at the end: the final score differs");
    else if (gameclock != watched.finalclock) Finish("desync at the end: the play clock differs");
    else Finish("");
  }
}

int ReplaySpeed() { return watching && InputDeviceKeyDown(VK_TAB) ? 4 : 1; }

void FinishReplays() {
  if (recorder.Recording()) SaveLast();
  if (player) player->End();
}

int ReplayOutcome() {
  if (!watching) return 0;
  long long secs = (long long)(gameclock / 60);
  ReplayCheck c;
  TakeReplayCheck(&c);
  uint64_t state = 1469598103934665603ull;
  for (uint64_t part : c.part) state = (state ^ part) * 1099511628211ull;
  std::printf("score %lld\nclock %lld:%02lld:%02lld (%lld ticks)\nstate %016llx\n", (long long)score,
              secs / 3600, secs / 60 % 60, secs % 60, (long long)gameclock, (unsigned long long)state);
  if (!finished) {
    std::printf("replay left at tick %u of %u\n", player ? player->TicksRun() : 0u, watched.ticks);
    return 0;
  }
  if (!outcome.empty()) {
    std::printf("%s\n", outcome.c_str());
    return 1;
  }
  std::printf("replay ok\n");
  return 0;
}
