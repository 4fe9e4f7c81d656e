// The three screens of the high-score table: the viewer from the main menu,
// the name entry after a game that made the table, and the attract display
// the idle main menu falls into.
#pragma once

void OpenHighScoreViewer();
void HighScoreViewer();
// After game over, when the last game's score made the table.
void OpenNameEntry();
void NameEntryScreen();
// Typing (or stick-cycling) one step of the name being entered.
void EditName();
void OpenAttractTable();
void AttractTable();
