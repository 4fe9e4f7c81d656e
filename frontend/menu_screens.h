// The menu screens: options, controls, screen mode, game settings and their
// detail menus, audio with its volume screens, the graphics driver, the two
// reset confirmations, credits, awards and the game-over screen.
#pragma once
#include <span>

#include "frontend/frontend.h"
#include "services/awards.h"
#include "services/sfx.h"

// Settings menus; each opens on the line of the setting's current value.
void OpenOptionsMenu();
void OpenControlsMenu();
void OpenControlTypeMenu();
void OpenScreenModeMenu();
void OpenGameSettingsMenu();
void OpenStarsMenu();
void OpenHitScoreMenu();
void OpenExplosionsMenu();
void OpenGridMenu();
void OpenAudioMenu();
void OpenGraphicsDriverMenu();

// The display closed and opened again in screenmode's mode (a window for 0,
// the desktop's full screen for 16, 24 and 32).
void SwitchScreenMode();

// Volume screens (volume_screens.cpp): the panel, then one tick of the
// adjustment of the music or the effects volume.
void OpenMusicVolume();
void OpenEffectsVolume();
void MusicVolumeScreen();
void EffectsVolumeScreen();
// The volume steps are 0.01; a value is always kept within 0..1.
constexpr float VOLUME_STEP = 0.01f;
// While the effects volume changes, this effect plays at the new level, at
// most once in this many ticks (about four a second).
constexpr int EFFECTS_PREVIEW_SOUND = Sfx::EnemyExplode;
constexpr int EFFECTS_PREVIEW_TICKS = 16;

// Game over (game_over.cpp): set-up, its tick, and CONTINUE.
void OpenGameOverScreen();
void GameOverScreen();
void AfterGameOver();
// The tops of the one or two rows of this game's award names, under the panel.
extern const int kGameOverNameTop;
extern const int kGameOverNameRowStep;

// Awards and credits (awards_credits.cpp).
void OpenAwardsScreen();
void AwardsScreen();
void OpenCreditsScreen();
void CreditsScreen();
void CreditsBack();
// Where each award's picture sits on the awards screen, by award index.
struct ScreenPoint {
  float x, y;
};
extern const ScreenPoint kAwardPlaces[AWARD_COUNT];
// An award not yet earned is drawn at this alpha with its hint (kAwardHints)
// at this scale, its top this far below the picture's centre.
extern const float kUnearnedAlpha;
extern const float kHintScale;
extern const int kHintBelow;

