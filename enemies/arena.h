// The arena emptied between games and lives: the enemies, then the
// playfield under them.
#pragma once
#include "playfield/playfield.h"

void ClearArena(ClearFor why);
