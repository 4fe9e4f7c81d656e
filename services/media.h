// The media catalogue: every picture and sound, loaded once at start-up into
// a named global kept for the whole run.
#pragma once
#include "platform/audio.h"
#include "platform/render.h"
#include "services/awards.h"
#include "services/picture_list.h"
#include "services/sound_list.h"

// One global per picture of services/picture_list.h, named after it: the
// picture "nme01" loads into nme01img.
#define PULSEFIELD_DECLARE_PICTURE(name, ...) extern TImage* name##img;
PULSEFIELD_PICTURES(PULSEFIELD_DECLARE_PICTURE)
#undef PULSEFIELD_DECLARE_PICTURE

// One global per effect and intro sound of services/sound_list.h: "award"
// loads into awardsnd. The music has a global per track.
#define PULSEFIELD_DECLARE_SOUND(name) extern TSound* name##snd;
PULSEFIELD_EFFECT_SOUNDS(PULSEFIELD_DECLARE_SOUND)
PULSEFIELD_INTRO_SOUNDS(PULSEFIELD_DECLARE_SOUND)
#undef PULSEFIELD_DECLARE_SOUND
extern TSound *titlemusicsnd, *ingamemusicsnd;

extern int custommusic;
extern int custommusicstarted;

// Award images in award-index order, filled by LoadImages.
extern TImage* awardimgs[AWARD_COUNT];

void LoadMedia();
void LoadImages();
void LoadSounds();
