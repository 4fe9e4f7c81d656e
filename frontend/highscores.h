// The 100-row high-score table, the awards ever earned, and "highscore.dat".
#pragma once

void LoadHighScores();
bool SaveHighScores();
