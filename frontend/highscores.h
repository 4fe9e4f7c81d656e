// The 100-row high-score table, the awards ever earned, and "highscore.dat".
#pragma once
#include <cstdint>

void LoadHighScores();
bool SaveHighScores();
// Enters a game's final score with the play clock; returns its row 0..99,
// or -2 when it does not make the table.
int InsertScore(int64_t score);
// The best row's score.
int64_t HighScoreTop();
