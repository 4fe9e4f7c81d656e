// The two logo sequences before the title, each a small state machine run
// once per tick by the frame dispatcher.
#pragma once
#include "platform/audio.h"

// Group-logo intro phases.
enum GroupPhase : int {
  GROUP_FADE_IN = 0,
  GROUP_WIPE = 1,
  GROUP_TAGLINE = 2,
  GROUP_FADE_OUT = 3,
  GROUP_END = 4
};
// Engine-logo splash phases.
enum SplashPhase : int {
  SPLASH_FADE_IN = 1,
  SPLASH_SLIDE = 2,
  SPLASH_LINE = 3,
  SPLASH_FADE_OUT = 4,
  SPLASH_END = 5
};

extern int groupphase, grouplatch;
extern float groupfade, groupmaskx, grouptextalpha, groupoutfade;
extern int grouploadstarted, groupvoicestarted;
extern TChannel grouploadchannel, groupvoicechannel;

extern int splashphase, splashlatch, splashfade, splashsoundstarted;
extern TChannel splashchannel;
extern float splashalpha, splashtopy, splashbottomy, splashlinex, splashlinealpha;
extern float splashsparkalpha, splashsparkscale, splashshine, splashshinealpha;

// Start-up is over: the group-logo intro begins.
void EnterIntros();
// The group-logo intro; leads to the splash.
void GroupIntro();
// The engine-logo splash; leads to the front end.
void SplashIntro();
