// The high-score screens (being built).
#include "frontend/frontend.h"
#include "frontend/highscore_screens.h"

void OpenHighScoreViewer() {}
void HighScoreViewer() {}
void OpenNameEntry() {}
void NameEntryScreen() {}
void EditName() {}
void OpenAttractTable() {}
void AttractTable() {}

std::span<const StateEntry> HighScoreStates() { return {}; }
