// Placeholder until the playfield lands.
#include "playfield/game.h"

#include "shell/draw.h"
#include "shell/frame_loop.h"

int playstate = 0;

// One tick of the game.
void UpdateGame() {
  ClearDrawList();
  gamestate = 0;
}
