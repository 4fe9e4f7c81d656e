// The running game: play sub-states, game-wide values and the playfield tick.
#pragma once

extern int playstate;
void UpdateGame();
