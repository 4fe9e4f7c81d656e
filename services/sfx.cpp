// Sound effects by index, each started at most once per tick and panned by
// its source's place relative to the ship, and the rules that switch the
// title and in-game music as the game moves between its screens.
#include "services/sfx.h"

#include "services/config.h"
#include "services/media.h"

int fxplayed[128];
TChannel fxchannel[128];
TChannel titlemusicchannel;
int titlemusicplaying = 0;
TChannel musicchannel;
int musicplaying = 0;

// The sound of each effect index; an enemy kind's spawn sound is named in
// the kind's own row and played with PlayFXSound.
static TSound* EffectSound(int index) {
  switch (index) {
    case Sfx::MenuMove: return menubeep01snd;
    case Sfx::MenuSelect: return menubeep02snd;
    case Sfx::PlayerRez: return playerrezsnd;
    case Sfx::Fire1: return playerfire03snd;
    case Sfx::Fire2: return playerfire02snd;
    case Sfx::Fire3: return playerfire01snd;
    case Sfx::ShieldWarning: return shieldwarningsnd;
    case Sfx::Bomb: return bombsnd;
    case Sfx::ExtraLife: return extralifesnd;
    case Sfx::ExtraBomb: return extrabombsnd;
    case Sfx::Award: return awardsnd;
    case Sfx::EnemyExplode: return nme01expsnd;
    case Sfx::PlayerExplode: return playerexpsnd;
    case Sfx::BombHit: return bombhitsnd;
    case Sfx::Multiply: return multiplysnd;
    case Sfx::HoleExplode: return holeexpsnd;
    case Sfx::Hole: return holesnd;
    default: return nullptr;
  }
}

// Where the listener stands: the top points it at the ship's x at start-up.
static const float kArenaLeftX = 560;
static const float* earx = &kArenaLeftX;
void SetEarAt(const float* x) { earx = x; }

// Plays an effect on a fresh channel unless it already started this tick;
// x is the source's world x (-1 for none), panned against the ship's x.
void PlayFX(int index, float x) { PlayFXSound(index, EffectSound(index), x); }

void PlayFXSound(int index, TSound* sound, float x) {
  if (index < 0 || index >= 128 || fxplayed[index] == 1) return;
  float pan = x == -1 ? 0.0f : ((x - 560) - (*earx - 560)) / 512 / 2;
  fxchannel[index] = PlaySound(sound, fxvolume, pan);  // depth 0
  fxplayed[index] = 1;
}

// Forgets which effects started this tick; called at the start of every
// tick of a state that plays effects.
void ClearFX() {
  for (int& f : fxplayed) f = 0;
}

// Starts the music of a single looping track on a new channel.
static TChannel StartTrack(TSound* track) { return PlaySound(track, musicvolume); }

// Entering the front end, or the game-over screen opening: the title track
// starts unless it plays already; the custom track starts once, on the
// first entry to the front end, and then plays for the whole run.
void StartTitleMusic(bool enteringfrontend) {
  if (custommusic == 0) {
    if (titlemusicplaying == 0) {
      titlemusicchannel = StartTrack(titlemusicsnd);
      titlemusicplaying = 1;
    }
  } else if (enteringfrontend && custommusicstarted == 0) {
    custommusicstarted = 1;
    titlemusicchannel = StartTrack(titlemusicsnd);
  }
}

// A game is started from the menu: the title track stops.
void StopTitleMusic() {
  if (custommusic == 0 && titlemusicplaying == 1) {
    StopChannel(titlemusicchannel);
    titlemusicplaying = 0;
  }
}

// A new game begins: the in-game track starts unless it plays already.
void StartGameMusic() {
  if (custommusic == 0 && musicplaying == 0) {
    musicchannel = StartTrack(ingamemusicsnd);
    musicplaying = 1;
  }
}

// The quit prompt opens: the in-game track holds its place.
void PauseGameMusic() {
  if (custommusic == 0 && musicplaying == 1) SetChannelPaused(musicchannel, 1);
}

// The quit prompt is dismissed and play goes on: the in-game track resumes.
void ResumeGameMusic() {
  if (custommusic == 0) SetChannelPaused(musicchannel, 0);
}

// Quitting to the front end from the prompt, or losing the last life: the
// in-game track stops (the quit leaves the custom track alone).
void StopGameMusic(bool fromquit) {
  if (musicplaying == 1 && !(fromquit && custommusic != 0)) {
    StopChannel(musicchannel);
    musicplaying = 0;
  }
}

// The music volume was changed in the menu: the playing title or custom
// track follows at once.
void ApplyMusicVolume() {
  if (custommusic == 0) {
    if (titlemusicplaying == 1) SetChannelVolume(titlemusicchannel, musicvolume);
  } else if (custommusicstarted == 1) {
    SetChannelVolume(titlemusicchannel, musicvolume);
  }
}
