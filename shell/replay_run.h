// The program's replays: every game recorded to replays/last.pfr, and a
// replay watched in place of play (--replay). The frame loop calls these.
#pragma once
#include <string>

// Loads the replay to watch; false with a message when it cannot be played.
bool LoadReplayToWatch(const std::string& path, std::string* why);
bool WatchingReplay();
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
