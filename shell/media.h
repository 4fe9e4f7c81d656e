// The media catalogue: every picture and sound, loaded once at start-up into
// a named global kept for the whole run.
#pragma once
#include "platform/audio.h"
#include "platform/render.h"
#include "playfield/awards.h"
#include "shell/picture_list.h"

// One global per picture of shell/picture_list.h, named after it: the
// picture "nme01" loads into nme01img.
#define PULSEFIELD_DECLARE_PICTURE(name, ...) extern TImage* name##img;
PULSEFIELD_PICTURES(PULSEFIELD_DECLARE_PICTURE)
#undef PULSEFIELD_DECLARE_PICTURE

extern TSound *menubeep01snd, *menubeep02snd, *multiplysnd, *extralifesnd, *extrabombsnd;
extern TSound *playerfire03snd, *playerfire02snd, *playerfire01snd, *playerexpsnd, *bombsnd,
    *bombhitsnd, *playerrezsnd, *shieldwarningsnd;
extern TSound *nme01expsnd, *nme01spawnsnd, *nme02spawnsnd, *nme03spawnsnd, *nme04spawnsnd,
    *nme05spawnsnd, *nme06spawnsnd, *nme07spawnsnd, *nme08spawnsnd;
extern TSound *awardsnd, *holesnd, *holeexpsnd;
extern TSound *titlemusicsnd, *ingamemusicsnd, *qvosoundsnd, *kelvloadsnd, *kelvvoicesnd;

extern int custommusic;
extern int custommusicstarted;

// Award images in award-index order, filled by LoadImages.
extern TImage* awardimgs[AWARD_COUNT];

void LoadMedia();
void LoadImages();
void LoadSounds();
