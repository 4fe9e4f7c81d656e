// Placeholder until the spring grid lands.
#include "playfield/grid.h"

TBank* bgmap = nullptr;

// Loads the border map bank and builds the grid.
void CreateGrid() { bgmap = LoadBank(ResolveMediaPath("data\\misc\\BGmap.bnk")); }
