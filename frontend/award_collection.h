// What the menu screens need of the high-score table and the award
// collection: the awards ever earned and the two resets of GAME SETTINGS.
// The table's own unit defines these.
#pragma once

// Awards earned in any game so far, by award index (1 earned, 0 not).
extern int awards[16];
// Every row of the high-score table back to "Empty" with a score of 0.
void ClearHighScoreTable();
// Every award of the collection back to not earned.
void ClearAwards();
