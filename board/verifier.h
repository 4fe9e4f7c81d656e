// The board's verifier: claims pending games one at a time and plays each
// replay headless in a child process held by CPU-time and memory limits.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "app/replay.h"
#include "board/store.h"

struct VerifierOptions {
  std::string db;
  std::string datadir;       // the game's media; found beside the program when empty
  bool once = false;         // work until no game is pending, then exit
  int64_t leaseseconds = 0;  // how long a claim holds before another verifier may take the game
  int64_t cpuseconds = 0;    // the CPU time one replay may take
};

// The longest a replay plays: eight hours of ticks at a hundred times real
// time, plus the start-up (the media) and slack for a busy machine.
constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kMaxPlaySeconds = (int64_t)REPLAY_MAX_TICKS * framestep / kMsPerSecond;
constexpr int64_t kMinSpeedup = 100;
constexpr int64_t kStartUpCpuSeconds = 60;
constexpr int64_t kDefaultCpuSeconds = kMaxPlaySeconds / kMinSpeedup + kStartUpCpuSeconds;
// A claim outlasts the longest play, so a live verifier never loses its game.
constexpr int64_t kDefaultLeaseSeconds = 2 * kDefaultCpuSeconds;

// What playing a replay showed.
struct Verdict {
  GameStatus status = GameStatus::Refused;
  std::string reason;
  int64_t score = 0, clock = 0;
};

// Judges one submitted file against its claims: verified only when it is of
// this game's version and plays back exactly to the score and clock it claims.
Verdict JudgeReplay(const std::vector<uint8_t>& bytes, int64_t score, int64_t clock, const VerifierOptions& opts,
                    const std::string& datadir);
// The verifier's loop; returns the process's exit code.
int RunVerifier(const VerifierOptions& opts);
