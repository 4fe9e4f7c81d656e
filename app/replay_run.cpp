// Recording every game and watching a replay, hooked around the ticks.
#include "app/replay_run.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>

#include "app/frame_loop.h"
#include "app/replay.h"
#include "frontend/frontend.h"
#include "frontend/highscore_screens.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "frontend/table_replays.h"
#include "platform/input_replay.h"
#include "platform/keycodes.h"
#include "playfield/playfield.h"
#include "services/sfx.h"

namespace {

ReplayRecorder recorder;
Replay watched;
std::optional<ReplayPlayer> player;
// How a replay is being watched: not at all, for the whole run (--replay),
// or from the high-score table, which gets the player's own game back after.
enum class Watch { None, WholeRun, FromTable };
Watch watch = Watch::None;
bool started = false, finished = false;
std::string outcome;  // empty while it has not gone wrong
int32_t ownsettings[REPLAY_SETTINGS];  // the player's, kept while a table replay plays

const char* kLastReplay = "replays/last.pfr";

// Writes a replay under replays/, saying on stderr when it cannot.
void Keep(const std::string& path, const Replay& r) {
  std::error_code ec;
  std::filesystem::create_directories("replays", ec);
  std::string why;
  if (ec || !SaveReplay(path, r, &why))
    std::fprintf(stderr, "pulsefield: cannot save the replay \"%s\": %s\n", path.c_str(),
                 ec ? ec.message().c_str() : why.c_str());
}

// Writes the game just recorded as the last game, and a game over that made
// the high-score table also under its date and score.
void SaveLast() {
  recorder.End(score, gameclock);
  Keep(kLastReplay, recorder.Result());
  if (gamestate == GameState::FrontEnd && menustate == MenuState::GameOver && highrank > 0) {
    Keep(TableReplayPath(score, std::time(nullptr)), recorder.Result());
    ReplayKeptForTable();
  }
}

bool NewGameTick() { return gamestate == GameState::Game && playstate == PlayState::Start; }

// A table replay is over (played out, gone wrong or left): the player's own
// settings and devices come back, and so does the table.
void EndTableReplay() {
  if (player) player->End();
  player.reset();
  ApplyReplaySettings(ownsettings);
  watch = Watch::None;
  started = finished = false;
  SetPlayState(PlayState::Start);
  StopGameMusic(true);
  ClearForFrontEnd();
  ReturnToFrontEnd(MenuState::HighScores);
}

void Finish(const std::string& wrong) {
  if (watch == Watch::FromTable) {
    EndTableReplay();
    if (!wrong.empty()) {
      std::fprintf(stderr, "pulsefield: replay: %s\n", wrong.c_str());
      SayOnTable("the replay stopped early: " + wrong);
    }
    return;
  }
  finished = true;
  outcome = wrong;
  RequestQuit();
}

}  // namespace

bool LoadReplayToWatch(const std::string& path, std::string* why) {
  if (!LoadReplay(path, watched, why)) return false;
  watch = Watch::WholeRun;
  return true;
}

bool LoadReplayBytesToWatch(const uint8_t* data, size_t n, std::string* why) {
  if (!DecodeReplay(data, n, watched, why)) return false;
  watch = Watch::WholeRun;
  return true;
}

bool WatchingReplay() { return watch != Watch::None; }
bool WatchingWholeRun() { return watch == Watch::WholeRun; }

bool WatchTableReplay(const std::string& path, std::string* why, std::string* reason) {
  if (watch != Watch::None || !LoadReplay(path, watched, why, reason)) return false;
  CaptureReplaySettings(ownsettings);
  watch = Watch::FromTable;
  started = finished = false;
  StopTitleMusic();
  BeginGame();
  return true;
}

void ReplayBeforeTick() {
  if (watch == Watch::None) {
    if (NewGameTick()) recorder.Begin();  // the generator as the game finds it
    recorder.TickStart();
    return;
  }
  if (finished) return;
  if (!started) {
    if (!NewGameTick()) return;  // the start-up ticks before the game
    player.emplace(watched);
    player->Begin();
    started = true;
  }
  if (!player->BeforeTick()) Finish("the replay holds no ticks");
}

void ReplayAfterTick() {
  if (watch == Watch::None) {
    if (!recorder.Recording()) return;
    recorder.TickEnd();
    if (gamestate != GameState::Game) SaveLast();  // game over or quit to the menus
    return;
  }
  if (!started || finished) return;
  // Escape leaves a replay watched from the table at once.
  if (watch == Watch::FromTable && InputDeviceKeyDown(VK_ESCAPE)) {
    EndTableReplay();
    return;
  }
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

int ReplaySpeed() { return WatchingReplay() && InputDeviceKeyDown(VK_TAB) ? 4 : 1; }

void FinishReplays() {
  if (recorder.Recording()) SaveLast();
  if (watch == Watch::FromTable) {
    ApplyReplaySettings(ownsettings);  // the player's own settings are the ones saved
    watch = Watch::None;
  }
  if (player) player->End();
}

int ReplayOutcome() {
  if (watch != Watch::WholeRun) return 0;
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

bool WatchedReplayExact(std::string* why) {
  if (!finished) {
    if (why)
      *why = "the replay was left at tick " + std::to_string(player ? player->TicksRun() : 0u) + " of " +
             std::to_string(watched.ticks);
    return false;
  }
  if (!outcome.empty()) {
    if (why) *why = outcome;
    return false;
  }
  return true;
}
