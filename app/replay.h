// Replays: a game's starting generator state, the settings that change play
// and, tick by tick, what it read from the input layer (changes only), with a
// checksum of the game state every REPLAY_CHECK_EVERY ticks. The byte layout
// is described at the top of app/replay.cpp.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/input_replay.h"

constexpr int REPLAY_CHECK_EVERY = 60;
// The newest format this game reads and writes; a file is written in the
// oldest format that holds everything it records.
constexpr uint16_t REPLAY_FORMAT = 2;
constexpr int REPLAY_SETTINGS = 55;
// The largest unpacked body a file may declare (over 30 hours of play).
constexpr uint32_t REPLAY_MAX_BODY = 64u << 20;
// The most ticks a replay holds: eight hours at 62.5 ticks a second, longer
// than any sitting, paused or not. A recording stops there, and its game
// goes on unrecorded; a file that claims more is refused, so no replay can
// keep a player of strangers' files busy for longer.
constexpr uint32_t REPLAY_MAX_TICKS = 8u * 3600u * 1000u / 16u;

// The parts of the game state a checkpoint sums, in this order.
enum ReplayPart { RP_PLAYER, RP_SCORE, RP_MULTIPLIER, RP_LIVES, RP_BOMBS, RP_ENEMIES, RP_GENERATOR, RP_COUNT };
const char* ReplayPartName(int part);

struct ReplayCheck {
  uint64_t part[RP_COUNT];
};
// Sums the running game's state part by part.
void TakeReplayCheck(ReplayCheck* out);

struct Replay {
  uint16_t format = 1;            // the oldest that holds it (2: a focus loss is recorded)
  std::string gameversion;
  int64_t startstate = 0;         // the generator's state when the game started
  int32_t settings[REPLAY_SETTINGS] = {};
  uint32_t ticks = 0;
  int64_t finalscore = 0, finalclock = 0;
  std::vector<uint8_t> body;      // the tick records, unpacked
};

// The settings that change play, as they are now; and put back from a replay.
void CaptureReplaySettings(int32_t* out);
void ApplyReplaySettings(const int32_t* in);
// True when every setting is one the game itself can set (the whole
// numbers within what the settings file keeps, the star count the one the
// star setting makes); false with *why naming the first that is not.
bool ReplaySettingsPlayable(const int32_t* in, std::string* why);

// Packs a replay into the file's bytes; false only if compression failed.
bool EncodeReplay(const Replay& r, std::vector<uint8_t>& out);
// Checks a file's header alone, unpacking nothing: *out gets every field but
// the body, *bodyat where the packed body starts and *bodylength its
// declared unpacked length; false with a message as DecodeReplay's.
bool DecodeReplayHeader(const uint8_t* data, size_t n, Replay& out, size_t* bodyat, uint32_t* bodylength,
                        std::string* why);
// Unpacks and checks file bytes (every tick record included); false with a
// message saying what is wrong. Never reads outside data..data+n.
bool DecodeReplay(const uint8_t* data, size_t n, Replay& out, std::string* why);
// Reads a replay file; false with a message naming the file (and *reason,
// the cause alone).
bool LoadReplay(const std::string& path, Replay& out, std::string* why, std::string* reason = nullptr);
// Writes a replay file atomically; false with a reason.
bool SaveReplay(const std::string& path, const Replay& r, std::string* why);

// Records one game. Begin before its first tick; TickStart before each tick
// (the levels the tick will read), TickEnd after it (the levels it ended
// with and, every REPLAY_CHECK_EVERY ticks, the game state); End with the
// result. After warm-up a tick allocates nothing.
class ReplayRecorder {
 public:
  void Begin();
  void TickStart();
  void TickEnd();
  void End(int64_t finalscore, int64_t finalclock);
  bool Recording() const { return recording_; }
  const Replay& Result() const { return replay_; }

 private:
  Replay replay_;
  InputFrame last_{}, start_{};
  bool recording_ = false;
  bool full_ = false;  // REPLAY_MAX_TICKS recorded: the rest of the game is not
};

// Plays one replay's ticks back through the input layer.
class ReplayPlayer {
 public:
  explicit ReplayPlayer(const Replay& r) : r_(r) {}
  // Seeds the generator, applies the settings and starts feeding frames.
  void Begin();
  // Before a tick: feeds the tick's input. False when every tick has run.
  bool BeforeTick();
  // After a tick: compares its checkpoint, if it has one. False at the first
  // difference, with *why saying the tick and the part.
  bool AfterTick(std::string* why);
  void End();  // the devices answer again
  uint32_t TicksRun() const { return tick_; }

 private:
  const Replay& r_;
  InputFrame frame_{}, then_{};
  size_t pos_ = 0;
  uint32_t tick_ = 0;
  bool hascheck_ = false;
  ReplayCheck check_{};
};
