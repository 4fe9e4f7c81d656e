// Placeholder until the intro sequences land: each ends at once.
#include "shell/intros.h"

#include "frontend/frontend.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"

// Start-up is over: the group-logo intro begins.
void EnterIntros() { gamestate = GameState::GroupIntro; }

// The group-logo intro, for now over at once.
void GroupIntro() {
  ClearDrawList();
  gamestate = GameState::Splash;
}

// The engine-logo splash, for now over at once.
void SplashIntro() {
  ClearDrawList();
  ReturnToFrontEnd(MenuState::Enter);
}
