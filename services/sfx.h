// Sound effects by index, at most once per tick each, and the music rules.
#pragma once
#include "platform/audio.h"

// The effect indices PlayFX takes.
namespace Sfx {
enum Effect : int {
  MenuMove = 0,
  MenuSelect = 1,
  PlayerRez = 2,
  Fire1 = 3,  // the first weapon's volley
  Fire2 = 4,
  Fire3 = 5,
  ShieldWarning = 6,
  Bomb = 7,
  ExtraLife = 8,
  ExtraBomb = 9,
  Award = 10,
  EnemyExplode = 11,
  PlayerExplode = 12,
  BombHit = 13,  // an enemy rammed by the shielded ship
  Multiply = 14,
  HoleExplode = 15,
  Hole = 16,
  SpawnFirst = 17  // spawn sounds by enemy kind code from here on: keep it last
};
// The spawn sound of an enemy kind: they follow the kind codes, after every
// other effect, so a new kind's sound never lands on one of them.
constexpr int SpawnOf(int kind) { return SpawnFirst + kind; }
}

extern int fxplayed[128];
extern TChannel fxchannel[128];
extern TChannel titlemusicchannel;
extern int titlemusicplaying;
extern TChannel musicchannel;
extern int musicplaying;

// The x the effects are panned against (the ship's), handed down once at
// start-up; until then the arena's left edge.
void SetEarAt(const float* x);
void PlayFX(int index, float x);
// As PlayFX, with the sound its caller names under the effect's index (an
// enemy kind's spawn sound, named in the kind's own row).
void PlayFXSound(int index, TSound* sound, float x);
void ClearFX();
void StartTitleMusic(bool enteringfrontend);
void StopTitleMusic();
void StartGameMusic();
void PauseGameMusic();
void ResumeGameMusic();
void StopGameMusic(bool fromquit);
void ApplyMusicVolume();
