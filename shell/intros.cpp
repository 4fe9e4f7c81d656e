// Placeholder until the intro sequences land: each ends at once.
#include "shell/intros.h"

#include "shell/draw.h"
#include "shell/frame_loop.h"

void GroupIntro(int nextstate) {
  ClearDrawList();
  gamestate = nextstate;
}

void SplashIntro(int nextstate) {
  ClearDrawList();
  gamestate = nextstate;
}
