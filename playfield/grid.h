// The spring grid behind the arena and the arena's border tiles.
#pragma once
#include "platform/files.h"

extern TBank* bgmap;
// Loads the border map and builds the grid at rest (start-up).
void CreateGrid();
