// A game in play: the play sub-states in turn, a new game and a new life,
// the playfield's tick, the Escape quit prompt and the hand-offs to the
// front end at game over and on quit.
#pragma once

// The quit prompt's latches: Escape and the joystick's start control must
// be let go before they count again.
extern int esclatch, joylatch;
// Games started since start-up (the statistics line).
extern long gamesstarted;

// One tick of the game, by play sub-state; the frame loop calls it during a game.
void UpdateGame();
void StartGame();
void RestartLife();
// One tick of everything on the playfield, queued bottom to top.
void UpdatePlayfield(int withoutenemies);
void OpenQuitPrompt();
void UpdateQuitPrompt();
void UpdateResumeWait();
