// Placeholder until the intro sequences land: each ends at once.
#include "shell/intros.h"

#include "shell/draw.h"
#include "shell/frame_loop.h"

// The group-logo intro, for now over at once.
void GroupIntro(int nextstate) {
  ClearDrawList();
  gamestate = nextstate;
}

// The engine-logo splash, for now over at once.
void SplashIntro(int nextstate) {
  ClearDrawList();
  gamestate = nextstate;
}
