// Placeholder until the sound effects land.
#include "shell/sfx.h"

int fxplayed[128];
TChannel fxchannel[128];
TChannel titlemusicchannel;
int titlemusicplaying = 0;
TChannel musicchannel;
int musicplaying = 0;

void PlayFX(int, float) {}
void ClearFX() {
  for (int& f : fxplayed) f = 0;
}
void StartTitleMusic(bool) {}
void StopTitleMusic() {}
void StartGameMusic() {}
void PauseGameMusic() {}
void ResumeGameMusic() {}
void StopGameMusic(bool) {}
void ApplyMusicVolume() {}
