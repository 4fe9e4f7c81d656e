// Placeholder until the media catalogue lands.
#include "shell/media.h"

TImage *titlelogoimg, *fontimg, *fontsmallimg, *menubarimg, *whiteimg, *white2img;
TImage *scoreimg, *scorehighimg, *scorenumosimg, *scorebombimg, *multiplierimg;
TImage *border01img, *border02img, *border03img, *border04img, *border05img, *border06img,
    *border07img, *border08img, *border09img;
TImage *star01img, *star02img, *star03img;
TImage *playerimg, *playersightimg, *playershieldimg;
TImage *playerrez01img, *playerrez02img, *playerrez03img, *playerrez04img, *playerrez05img;
TImage *thrustimg, *bombimg, *playerbulletimg, *part01img, *part02img;
TImage *nme01img, *nme02img, *nme03img, *nme04img, *nme05img, *nme06img, *nme07img, *nme07bimg,
    *nme08img, *nme09img, *nme09shieldimg, *nme10img, *nme10bimg, *nme10cimg;
TImage *partex01img, *partex02img;
TImage *awdpansyimg, *awdsuckerimg, *awd100timg, *awd250timg, *awd500timg, *awd1000timg,
    *awd100cimg, *awd250cimg, *awd500cimg, *awd1000cimg, *awdquarterimg, *awdmultiimg,
    *awdskillimg, *awdnoshootimg;
TImage *qvobgimg, *qvozarqimg, *qvozorvimg, *qvolineimg, *qvocoverimg, *qvoshineimg;
TImage *kelvarcimg, *kelvarcmaskimg, *kelvaneimg, *kelvtextimg;
TSound *menubeep01snd, *menubeep02snd, *multiplysnd, *extralifesnd, *extrabombsnd;
TSound *playerfire03snd, *playerfire02snd, *playerfire01snd, *playerexpsnd, *bombsnd, *bombhitsnd,
    *playerrezsnd, *shieldwarningsnd;
TSound *nme01expsnd, *nme01spawnsnd, *nme02spawnsnd, *nme03spawnsnd, *nme04spawnsnd, *nme05spawnsnd,
    *nme06spawnsnd, *nme07spawnsnd, *nme08spawnsnd;
TSound *awardsnd, *holesnd, *holeexpsnd;
TSound *titlemusicsnd, *ingamemusicsnd, *qvosoundsnd, *kelvloadsnd, *kelvvoicesnd;
int custommusic = 0;
int custommusicstarted = 0;
TImage* awardimgs[14];

void LoadMedia() {
  LoadImages();
  LoadSounds();
}
void LoadImages() {
  SetDefaultImageFlags(6);
  titlelogoimg = LoadImage("data\\gfx\\titlelogo.png", -1);
  fontimg = LoadImageCells("data\\gfx\\font.png", 32, 32, 0, 100, -1);
}
void LoadSounds() {}
