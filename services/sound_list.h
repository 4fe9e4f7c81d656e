// Every sound the game loads from data\sfx\: the effects, the intro sounds
// and the two music loops. Each effect and intro sound "name" loads from
// name.ogg into the global name + "snd". The game, the media generator and
// the tests all walk these lists.
#pragma once
#include <iterator>

// The effect sounds, in loading order.
#define PULSEFIELD_EFFECT_SOUNDS(SOUND)                                                          \
  SOUND(menubeep01) SOUND(menubeep02) SOUND(multiply) SOUND(extralife) SOUND(extrabomb)          \
  SOUND(playerfire03) SOUND(playerfire02) SOUND(playerfire01) SOUND(playerexp) SOUND(bomb)       \
  SOUND(bombhit) SOUND(playerrez) SOUND(shieldwarning) SOUND(nme01exp) SOUND(nme01spawn)        \
  SOUND(nme02spawn) SOUND(nme03spawn) SOUND(nme04spawn) SOUND(nme05spawn) SOUND(nme06spawn)     \
  SOUND(nme07spawn) SOUND(nme08spawn) SOUND(award) SOUND(hole) SOUND(holeexp)

// The intro sounds, loaded after the music.
#define PULSEFIELD_INTRO_SOUNDS(SOUND) SOUND(qvosound) SOUND(kelvload) SOUND(kelvvoice)

#define PULSEFIELD_SOUND_STEM(name) #name,
inline constexpr const char* kEffectSoundStems[] = {PULSEFIELD_EFFECT_SOUNDS(PULSEFIELD_SOUND_STEM)};
inline constexpr const char* kIntroSoundStems[] = {PULSEFIELD_INTRO_SOUNDS(PULSEFIELD_SOUND_STEM)};
#undef PULSEFIELD_SOUND_STEM
inline constexpr int kEffectSoundCount = int(std::size(kEffectSoundStems));
inline constexpr int kIntroSoundCount = int(std::size(kIntroSoundStems));

// The two built-in music loops (a "music.ogg" beside the program replaces both).
inline constexpr const char* kTitleMusicStem = "titlemusic";
inline constexpr const char* kIngameMusicStem = "ingamemusic";
