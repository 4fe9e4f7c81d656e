// The program's replays: every game recorded to replays/last.pfr (and a
// game that made the high-score table under its date and score), and a
// replay watched in place of play (--replay, or from the table). The frame
// loop calls these.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Loads the replay to watch; false with a message when it cannot be played.
bool LoadReplayToWatch(const std::string& path, std::string* why);
// The same for replay bytes held in memory (an upload, never a named file).
bool LoadReplayBytesToWatch(const uint8_t* data, size_t n, std::string* why);
// True while a replay plays, from the command line or from the table.
bool WatchingReplay();
// True when the whole run is a replay (--replay): nothing is saved at the end.
bool WatchingWholeRun();
// Plays a replay from the high-score table in place of a game; the player's
// own settings come back when it ends, is left with Escape, or goes wrong,
// and the table opens again, saying why if it stopped early. False with a
// message naming the file when it cannot be played (and *reason, the cause
// alone, for the screen).
bool WatchTableReplay(const std::string& path, std::string* why, std::string* reason = nullptr);
// Around each tick: the recording, or the watched replay's input and checks.
void ReplayBeforeTick();
void ReplayAfterTick();
// Ticks to run for each tick due: 4 while a watcher holds Tab, else 1.
int ReplaySpeed();
// The program ends: a game still being recorded is saved as it stands.
void FinishReplays();
// The watched replay's outcome, printed once: "replay ok" or what went
// wrong. The exit code is 0 when it played back exactly, 1 otherwise.
int ReplayOutcome();
// The watched replay's outcome, unprinted: true when it played back exactly
// to its last tick; else false with *why saying what went wrong.
bool WatchedReplayExact(std::string* why);
