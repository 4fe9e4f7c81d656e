// Sound effects by index, at most once per tick each, and the music rules.
#pragma once
#include "platform/audio.h"

extern int fxplayed[128];
extern TChannel fxchannel[128];
extern TChannel titlemusicchannel;
extern int titlemusicplaying;
extern TChannel musicchannel;
extern int musicplaying;

void PlayFX(int index, float x);
void ClearFX();
void StartTitleMusic(bool enteringfrontend);
void StopTitleMusic();
void StartGameMusic();
void PauseGameMusic();
void ResumeGameMusic();
void StopGameMusic(bool fromquit);
void ApplyMusicVolume();
