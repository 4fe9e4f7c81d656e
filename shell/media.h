// The media catalogue: every picture and sound, loaded once at start-up into
// a named global kept for the whole run.
#pragma once
#include "platform/audio.h"
#include "platform/render.h"

extern TImage *titlelogoimg, *fontimg, *fontsmallimg, *menubarimg, *whiteimg, *white2img;
extern TImage *scoreimg, *scorehighimg, *scorenumosimg, *scorebombimg, *multiplierimg;
extern TImage *border01img, *border02img, *border03img, *border04img, *border05img, *border06img,
    *border07img, *border08img, *border09img;
extern TImage *star01img, *star02img, *star03img;
extern TImage *playerimg, *playersightimg, *playershieldimg;
extern TImage *playerrez01img, *playerrez02img, *playerrez03img, *playerrez04img, *playerrez05img;
extern TImage *thrustimg, *bombimg, *playerbulletimg, *part01img, *part02img;
extern TImage *nme01img, *nme02img, *nme03img, *nme04img, *nme05img, *nme06img, *nme07img,
    *nme07bimg, *nme08img, *nme09img, *nme09shieldimg, *nme10img, *nme10bimg, *nme10cimg;
extern TImage *partex01img, *partex02img;
extern TImage *awdpansyimg, *awdsuckerimg, *awd100timg, *awd250timg, *awd500timg, *awd1000timg,
    *awd100cimg, *awd250cimg, *awd500cimg, *awd1000cimg, *awdquarterimg, *awdmultiimg,
    *awdskillimg, *awdnoshootimg;
extern TImage *qvobgimg, *qvozarqimg, *qvozorvimg, *qvolineimg, *qvocoverimg, *qvoshineimg;
extern TImage *kelvarcimg, *kelvarcmaskimg, *kelvaneimg, *kelvtextimg;

extern TSound *menubeep01snd, *menubeep02snd, *multiplysnd, *extralifesnd, *extrabombsnd;
extern TSound *playerfire03snd, *playerfire02snd, *playerfire01snd, *playerexpsnd, *bombsnd,
    *bombhitsnd, *playerrezsnd, *shieldwarningsnd;
extern TSound *nme01expsnd, *nme01spawnsnd, *nme02spawnsnd, *nme03spawnsnd, *nme04spawnsnd,
    *nme05spawnsnd, *nme06spawnsnd, *nme07spawnsnd, *nme08spawnsnd;
extern TSound *awardsnd, *holesnd, *holeexpsnd;
extern TSound *titlemusicsnd, *ingamemusicsnd, *qvosoundsnd, *kelvloadsnd, *kelvvoicesnd;

extern int custommusic;
extern int custommusicstarted;

// Award images in award-index order (0..13), filled by LoadImages.
extern TImage* awardimgs[14];

void LoadMedia();
void LoadImages();
void LoadSounds();
