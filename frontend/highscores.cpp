// The high-score table; a stand-in until the table and its file land.
#include "frontend/highscores.h"

// Reads "highscore.dat" at start-up (nothing kept yet).
void LoadHighScores() {}

// Writes "highscore.dat" at the orderly end (nothing kept yet).
bool SaveHighScores() { return true; }

// Game over offers the final score; no row can be made yet.
int InsertScore(int64_t) { return -2; }

// The HUD's starting high score: the best row, 0 while the table is empty.
int64_t HighScoreTop() { return 0; }
